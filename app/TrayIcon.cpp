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

// The menu's items are the media keys' commands, carried out as the keys are; Exit lies beyond
// every command's number.
struct TrayItem {
    UINT command;
    const wchar_t* text;
};
constexpr TrayItem kTrayItems[] = {
    {APPCOMMAND_MEDIA_PLAY_PAUSE, L"Play/Pause"},
    {APPCOMMAND_MEDIA_STOP, L"Stop"},
    {APPCOMMAND_MEDIA_NEXTTRACK, L"Next"},
    {APPCOMMAND_MEDIA_PREVIOUSTRACK, L"Previous"},
};
constexpr UINT kTrayExit = 0x100;

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

// The name of the playing song's row, or nothing.
std::string PlayingRowName(PlayerApp& app)
{
    PlaybackGuard guard(app.playback);
    const PlayListNode* playing = app.playlist.NodeAt(app.PlayingIndex());
    return playing != nullptr ? std::string(RowNameOf(*playing)) : std::string();
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
    SetTip(data, PlayingRowName(*this));
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
    SetTip(data, PlayingRowName(*this));
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
    for (const TrayItem& item : kTrayItems)
        AppendMenuW(menu, MF_STRING, item.command, item.text);
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
    if (command == kTrayExit)
        PostMessageA(w, WM_CLOSE, 0, 0);
    else if (command != 0)
        OnAppCommand(static_cast<int32_t>(command));
}
