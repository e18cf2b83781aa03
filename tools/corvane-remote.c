/* Drives a running player from outside, for tests and scripts:
 *   corvane-remote wait [MILLIS]   waits until the main window exists (exit 0), else exit 1
 *   corvane-remote close [MILLIS]  asks the main window to close and waits until it is gone
 *   corvane-remote key VK          a key press (virtual-key code, decimal) for the main window
 *   corvane-remote minimise|hide|restore   minimises, hides or restores the main window
 *   corvane-remote close-about     closes the About window (the splash shown at start), if shown */
#include <windows.h>
#include <stdlib.h>
#include <string.h>

static HWND WaitForWindow(DWORD millis)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA("Corvane", "Corvane");
        if (window != NULL || GetTickCount() - start >= millis)
            return window;
        Sleep(20);
    }
}

int main(int argc, char** argv)
{
    DWORD millis = argc > 2 ? (DWORD)strtoul(argv[2], NULL, 10) : 10000;
    if (argc < 2)
        return 2;
    if (strcmp(argv[1], "wait") == 0)
        return WaitForWindow(millis) != NULL ? 0 : 1;
    if (strcmp(argv[1], "key") == 0 && argc > 2) {
        HWND window = WaitForWindow(0);
        UINT key = (UINT)strtoul(argv[2], NULL, 10);
        return window != NULL && SendMessageA(window, WM_KEYDOWN, key, 0) == 0 ? 0 : 1;
    }
    if (strcmp(argv[1], "close") == 0) {
        HWND window = WaitForWindow(0);
        DWORD start = GetTickCount();
        if (window == NULL)
            return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        while (IsWindow(window)) {
            if (GetTickCount() - start >= millis)
                return 1;
            Sleep(20);
        }
        return 0;
    }
    if (strcmp(argv[1], "minimise") == 0 || strcmp(argv[1], "hide") == 0 ||
        strcmp(argv[1], "restore") == 0) {
        HWND window = WaitForWindow(0);
        int how = argv[1][0] == 'm' ? SW_MINIMIZE : argv[1][0] == 'h' ? SW_HIDE : SW_RESTORE;
        if (window == NULL)
            return 1;
        ShowWindow(window, how);
        return 0;
    }
    if (strcmp(argv[1], "close-about") == 0) {
        HWND about = FindWindowA("Corvane About Window", "Corvane About Window");
        if (about != NULL)
            PostMessageA(about, WM_CLOSE, 0, 0);
        return 0;
    }
    return 2;
}
