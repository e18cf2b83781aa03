// Until the playlist window is built, the playlist button opens nothing.
#include "playlist/PlayListWindow.h"

PlayListWindow::PlayListWindow(PlayerApp& owner, PlayList& list) : player(owner), playlist(list) {}

PlayListWindow::~PlayListWindow() = default;

int32_t PlayListWindow::ShowAt(HWND owner, POINT topLeft)
{
    (void)owner;
    (void)topLeft;
    return 0;
}

int32_t PlayListWindow::IsShown() const
{
    return hwnd != nullptr && IsWindowVisible(hwnd) ? 1 : 0;
}

void PlayListWindow::PlaylistChanged() {}
