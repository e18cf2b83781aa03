// The main window's procedure: a switchboard from window messages to the application object.
#include <windows.h>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "app/Settings.h"

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* app = reinterpret_cast<PlayerApp*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (app == nullptr)  // messages sent while the window is being created
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        app->OnDestroy();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted from the skin; erasing would only flicker
    case WM_NCHITTEST:
        return HTCLIENT;  // borderless: the whole window is client area
    case WM_COPYDATA:
        app->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return 0;
    case WM_DROPFILES:
        app->DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void PlayerApp::OnDestroy()
{
    HaltSong();
    PostQuitMessage(0);
    gSettings.WriteSettings(kSettingsFileName);
    // Nothing may draw into the window from now on.
    window = nullptr;
}

void PlayerApp::OnCopyData(const COPYDATASTRUCT* data)
{
    // The text comes from another process: read no further than the bytes it sent.
    if (data == nullptr || data->lpData == nullptr)
        return;
    char path[kPathChars];
    if (!PathFromHandedText(static_cast<const char*>(data->lpData), data->cbData, path))
        return;
    AddToPlaylist(path);
    PlayIfOnlySong();
}
