// The main window's procedure: a switchboard from window messages to the application object.
#include <windows.h>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "settings/Settings.h"

namespace {

// Mouse positions arrive as two unsigned 16-bit halves; a captured pointer left or above the
// window therefore reads as a large number, which the knobs and the dragger expect.
int32_t MouseX(LPARAM lParam) { return static_cast<int32_t>(LOWORD(lParam)); }
int32_t MouseY(LPARAM lParam) { return static_cast<int32_t>(HIWORD(lParam)); }

}  // namespace

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
    case WM_PAINT:
        app->OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted from the skin; erasing would only flicker
    case WM_NCHITTEST:
        return HTCLIENT;  // borderless: the whole window is client area
    case WM_SETCURSOR:
        if (app->OnSetCursor())
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_COPYDATA:
        app->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return 0;
    case WM_CHAR:
        app->OnChar(wParam);
        return 0;
    case WM_MOUSEMOVE:
        app->OnMouseMove(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        app->OnLeftButtonDown(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        app->OnLeftButtonUp(MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        app->OnLeftButtonDoubleClick(MouseX(lParam), MouseY(lParam));
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
    // No frame may start once the window goes: the paint thread ends before the song does.
    EndPaintThread();
    HaltSong();
    PostQuitMessage(0);
    gSettings.WriteSettings(kSettingsFileName);
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

void PlayerApp::OnChar(WPARAM character)
{
    // The paint thread reads the modes while it draws the visualisation under paintMutex.
    PaintLock paint(*this);
    if (character == '1')
        visModes ^= 1;
    else if (character == '2')
        visModes ^= 2;
}

int PlayerApp::OnSetCursor()
{
    POINT pointer;
    GetCursorPos(&pointer);
    ScreenToClient(window.load(), &pointer);
    int set = 0;
    for (SkinButton* button : ButtonsInEventOrder())
        set |= button->OnSetCursor(pointer.x, pointer.y);
    if (!set)
        set = volumeKnob.OnSetCursor(pointer.x, pointer.y);
    if (!set)
        set = seekKnob.OnSetCursor(pointer.x, pointer.y);
    return set;
}
