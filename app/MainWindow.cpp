// The main window's procedure: a switchboard from window messages to the application object.
#include <windows.h>

#include <string>

#include "app/HandedPath.h"
#include "app/PlayerApp.h"
#include "playlist/WideText.h"
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
    case WM_CAPTURECHANGED:
        app->OnCaptureChanged();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void PlayerApp::OnDestroy()
{
    // Later starts wait for the next player rather than hand their song to this one.
    singleInstance.MarkClosing();
    // No frame may start once the window goes: the paint thread ends before the song does.
    EndPaintThread();
    // Before the song halts: the playing entry is saved with the title its plug-in reports.
    if (ownsRememberedList)
        RememberPlaylist();
    HaltSong();
    PostQuitMessage(0);
    gSettings.WriteSettings(kSettingsFileName);
}

void PlayerApp::OnCopyData(const COPYDATASTRUCT* data)
{
    // The text comes from another process: read no further than the bytes it sent.
    if (data == nullptr || data->lpData == nullptr)
        return;
    std::string text;
    if (data->dwData == kHandOverUtf16Tag) {
        const auto* wide = static_cast<const wchar_t*>(data->lpData);
        const size_t chars = wcsnlen(wide, data->cbData / sizeof(wchar_t));
        text = Utf8FromWide(wide, static_cast<int>(chars));
    } else {
        // The older 8-bit form, in the system code page.
        const auto* narrow = static_cast<const char*>(data->lpData);
        text = Utf8FromCodePage(std::string_view(narrow, strnlen(narrow, data->cbData)));
    }
    char path[kPathChars];
    if (!PathFromHandedText(text.c_str(), text.size(), path))
        return;
    // A start without a song, or with one no plug-in takes, leaves the playing song alone.
    if (AddHandedPath(path))
        PlayIfOnlySong();
}

void PlayerApp::OnCaptureChanged()
{
    // A knob that loses the mouse mid-turn would go on tracking with the cursor hidden, warping
    // the pointer and turning on every later move: it is let go, its cursor shown again, and
    // a seek not yet committed is dropped.
    int32_t seekReleased = 0;
    {
        PaintLock paint(*this);
        volumeKnob.OnMouseUp(0, 0);
        seekReleased = seekKnob.OnMouseUp(0, 0);
    }
    if (seekReleased)
        InterlockedExchange(&seekPreview, -1);
    dragger.EndDrag();
    WakePaintThread();
}

void PlayerApp::OnChar(WPARAM character)
{
    {
        // The paint thread reads the modes while it draws the visualisation under paintMutex.
        PaintLock paint(*this);
        if (character == '1')
            visModes ^= 1;
        else if (character == '2')
            visModes ^= 2;
    }
    WakePaintThread();
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
