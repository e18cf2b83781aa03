/* Prints what a running player's playlist window shows, for tests that drive the player from
 * outside: one line per row, then "selected N" (-1 for none). Exit status 1 when no playlist
 * window is shown within MILLIS (default 5000). With FIRST, only the first FIRST rows, then
 * "count N" with the number of rows: cheap enough to poll a long list.
 *   playlist-rows [MILLIS [FIRST]] */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    DWORD millis = argc > 1 ? (DWORD)strtoul(argv[1], NULL, 10) : 5000;
    DWORD start = GetTickCount();
    HWND window = NULL;
    HWND list = NULL;
    LRESULT count, i, shown;
    for (;;) {
        window = FindWindowA("CorvanePlayListDlg", NULL);
        if (window != NULL && IsWindowVisible(window))
            list = FindWindowExA(window, NULL, "LISTBOX", NULL);
        if (list != NULL || GetTickCount() - start >= millis)
            break;
        Sleep(20);
    }
    if (list == NULL)
        return 1;
    count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    shown = argc > 2 && strtol(argv[2], NULL, 10) < count ? strtol(argv[2], NULL, 10) : count;
    for (i = 0; i < shown; ++i) {
        /* Asked in UTF-16: Wine hands an ANSI LB_GETTEXT from another process back unconverted. */
        WCHAR wide[2048];
        char text[4096];
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, (WPARAM)i, 0);
        wide[0] = 0;
        text[0] = '\0';
        if (length >= 0 && length < (LRESULT)(sizeof wide / sizeof wide[0]))
            SendMessageW(list, LB_GETTEXT, (WPARAM)i, (LPARAM)wide);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, (int)sizeof text, NULL, NULL);
        printf("%s\n", text);
    }
    if (argc > 2)
        printf("count %ld\n", (long)count);
    printf("selected %ld\n", (long)SendMessageA(list, LB_GETCURSEL, 0, 0));
    return 0;
}
