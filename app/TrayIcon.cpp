// "Minimize to System Tray": the minimise button hides both windows and puts an icon in the
// notification area, whose tooltip is the playing title. A click on the icon brings the windows
// back; its right-click menu plays, stops, steps and exits.
//
// The windows are hidden (not iconic) while in the tray, so the paint thread, which draws
// nothing into a window that IsWindowVisible says is hidden, rests.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/PlayerApp.h"
#include "playlist/WideText.h"
#include "settings/Settings.h"

namespace {

constexpr UINT kTrayIconId = 1;

enum TrayCommand : UINT { kTrayPlayPause = 1, kTrayStop, kTrayNext, kTrayPrevious, kTrayExit };

NOTIFYICONDATAW IconData(HWND window)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

// The tooltip: the playing song's title, else the program's name; cut to the field's size.
void SetTip(NOTIFYICONDATAW& data, const std::string& title)
{
    const std::wstring tip = WideFromUtf8(title.empty() ? "Corvane" : title.c_str());
    const size_t room = sizeof data.szTip / sizeof data.szTip[0] - 1;
    tip.copy(data.szTip, room);
    data.szTip[tip.size() < room ? tip.size() : room] = L'\0';
    data.uFlags |= NIF_TIP;
}

}  // namespace

void PlayerApp::Minimise()
{
    const HWND w = window.load();
    if (gSettings.minimizeToSystemTray != 1 || inTray) {
        ShowWindow(w, SW_MINIMIZE);
        return;
    }
    NOTIFYICONDATAW data = IconData(w);
    data.uFlags = NIF_ICON | NIF_MESSAGE;
    data.uCallbackMessage = kTrayIconMessage;
    data.hIcon = windowIcon;
    {
        PlaybackGuard guard(playback);
        const PlayListNode* playing = playlist.NodeAt(PlayingIndex());
        SetTip(data, playing != nullptr ? std::string(RowNameOf(*playing)) : std::string());
    }
    if (!Shell_NotifyIconW(NIM_ADD, &data)) {
        // No notification area to put the icon in: the window is minimised as usual instead of
        // vanishing without a way back.
        ShowWindow(w, SW_MINIMIZE);
        return;
    }
    inTray = 1;
    playlistHiddenInTray = playlistWindow.IsShown();
    if (playlistHiddenInTray)
        ShowWindow(playlistWindow.hwnd, SW_HIDE);
    ShowWindow(w, SW_HIDE);
}

void PlayerApp::RestoreFromTray()
{
    if (!inTray)
        return;
    RemoveTrayIcon();
    const HWND w = window.load();
    ShowWindow(w, SW_SHOW);
    if (playlistHiddenInTray && playlistWindow.hwnd != nullptr)
        ShowWindow(playlistWindow.hwnd, SW_SHOW);
    playlistHiddenInTray = 0;
    SetForegroundWindow(w);
}

void PlayerApp::RemoveTrayIcon()
{
    if (!inTray)
        return;
    NOTIFYICONDATAW data = IconData(window.load());
    Shell_NotifyIconW(NIM_DELETE, &data);
    inTray = 0;
}

void PlayerApp::UpdateTrayTip()
{
    if (!inTray)
        return;
    NOTIFYICONDATAW data = IconData(window.load());
    {
        PlaybackGuard guard(playback);
        const PlayListNode* playing = playlist.NodeAt(PlayingIndex());
        SetTip(data, playing != nullptr ? std::string(RowNameOf(*playing)) : std::string());
    }
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void PlayerApp::OnTrayIcon(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK) {
        RestoreFromTray();
        return;
    }
    if (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_CONTEXTMENU)
        return;
    const HWND w = window.load();
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    AppendMenuW(menu, MF_STRING, kTrayPlayPause, L"Play/Pause");
    AppendMenuW(menu, MF_STRING, kTrayStop, L"Stop");
    AppendMenuW(menu, MF_STRING, kTrayNext, L"Next");
    AppendMenuW(menu, MF_STRING, kTrayPrevious, L"Previous");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kTrayExit, L"Exit");
    POINT at;
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    SetForegroundWindow(w);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, w,
                       nullptr));
    DestroyMenu(menu);
    switch (command) {
    case kTrayPlayPause:
        TogglePause();
        break;
    case kTrayStop:
        StopSong();
        break;
    case kTrayNext:
        NextSong();
        break;
    case kTrayPrevious:
        PreviousSong();
        break;
    case kTrayExit:
        PostMessageA(w, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}
