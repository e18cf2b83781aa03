// The main window's procedure: a switchboard from window messages to the application object.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
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
    case WM_CLOSE:
        app->OnClose();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
        app->OnDestroy();
        return 0;
    case kTrayIconMessage:
        app->OnTrayIcon(lParam);
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
        return app->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_CHAR:
        app->OnChar(wParam);
        return 0;
    case WM_KEYDOWN:
        if (app->OnKeyDown(wParam))
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_APPCOMMAND:
        if (app->OnAppCommand(GET_APPCOMMAND_LPARAM(lParam)))
            return TRUE;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_HOTKEY:
        app->OnHotKey(wParam);
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam)
            app->RegisterMediaKeys();
        return 0;
    case WM_MOUSEWHEEL:
        app->OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
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
    case kSongChangedMessage:
        app->songChangePosted = false;
        app->playlistWindow.SongChanged();
        app->UpdateTrayTip();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void PlayerApp::OnClose()
{
    TakeWindowPlaces();
    placesTaken = 1;
}

void PlayerApp::OnDestroy()
{
    // Later starts wait for the next player rather than hand their song to this one, and a song
    // that reaches it now is refused so that its start becomes that player.
    closing = 1;
    singleInstance.MarkClosing();
    UnregisterMediaKeys();
    // Destroyed without WM_CLOSE: the main window's place is still there to take.
    if (!placesTaken)
        TakeWindowPlaces();
    // No frame may start once the window goes: the paint thread ends before the song does.
    EndPaintThread();
    // Before the song halts: the playing entry is saved with the title its plug-in reports.
    if (ownsRememberedList)
        RememberPlaylist();
    HaltSong();
    PostQuitMessage(0);
    gSettings.WriteSettings(kSettingsFileName);
    if (ownsRememberedList)
        places.Write(kSettingsFileName);
    RemoveTrayIcon();
}

LRESULT PlayerApp::OnCopyData(const COPYDATASTRUCT* data)
{
    // A closing player takes no song: the start that sent it becomes the next player.
    if (closing)
        return 0;
    // The text comes from another process: read no further than the bytes it sent, and nothing
    // longer than a path and its quotes is converted at all (64 MB would be converted whole).
    if (data == nullptr || data->lpData == nullptr)
        return 1;
    constexpr size_t kMostChars = kPathChars + 2;
    std::string text;
    if (data->dwData == kHandOverUtf16Tag) {
        const auto* wide = static_cast<const wchar_t*>(data->lpData);
        const size_t chars = wcsnlen(wide, std::min<size_t>(data->cbData / sizeof(wchar_t),
                                                            kMostChars));
        if (chars >= kMostChars)
            return 1;  // no path is that long: refused, and not for the sender to retry
        text = Utf8FromWide(wide, static_cast<int>(chars));
    } else {
        // The older 8-bit form, in the system code page.
        const auto* narrow = static_cast<const char*>(data->lpData);
        const size_t chars = strnlen(narrow, std::min<size_t>(data->cbData, kMostChars));
        if (chars >= kMostChars)
            return 1;
        text = Utf8FromCodePage(std::string_view(narrow, chars));
    }
    char path[kPathChars];
    if (!PathFromHandedText(text.c_str(), text.size(), path))
        return 1;
    // A start without a song, or with one no plug-in takes, leaves the playing song alone.
    if (path[0] != '\0')
        AddHandedPaths({path});
    return 1;
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
