// Until the About window is built, the splash step of start-up shows nothing.
#include "dialogs/AboutWindow.h"

void ShowAboutWindow(HWND owner)
{
    (void)owner;
}
