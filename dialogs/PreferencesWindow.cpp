// Until the preferences window is built, a double click on the background opens nothing.
#include "dialogs/PreferencesWindow.h"

void ShowPreferencesWindow(HWND owner)
{
    (void)owner;
}
