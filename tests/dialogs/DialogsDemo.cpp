// Shows one of the dialogs for a while, for screenshots (scripts/dialog-screenshots):
//   dialogs_demo about|general|about-tab|bare MILLIS
// "about" is the About window; the others are the preferences window on its General tab, on
// its About tab, and with its tab control hidden by a click on the picture.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "dialogs/AboutWindow.h"
#include "dialogs/PreferencesWindow.h"
#include "tests/dialogs/DesktopInput.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const char* view = argv[1];
    const DWORD millis = static_cast<DWORD>(std::atoi(argv[2]));
    if (std::strcmp(view, "about") == 0) {
        ShowAboutWindow(nullptr);
    } else {
        ShowPreferencesWindow(nullptr);
        const HWND prefs = FindWindowA(kPreferencesWindowClass, kPreferencesWindowTitle);
        const HWND tabs = FindWindowExA(prefs, nullptr, WC_TABCONTROLA, nullptr);
        if (std::strcmp(view, "about-tab") == 0) {
            // As a click on the tab would: select it, then tell the window.
            TabCtrl_SetCurSel(tabs, 1);
            NMHDR change = {tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageA(prefs, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
        } else if (std::strcmp(view, "bare") == 0) {
            SendMessageA(prefs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 270));
        }
    }
    PumpFor(millis);
    return 0;
}
