// Where the player's windows open and where they were left: the places kept in "Corvane.ini".
#include <windows.h>

#include <vector>

#include "app/PlayerApp.h"
#include "skin/ScreenPlace.h"

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas)
{
    MONITORINFO information = {};
    information.cbSize = sizeof information;
    if (GetMonitorInfoA(monitor, &information)) {
        const RECT& work = information.rcWork;
        reinterpret_cast<std::vector<SkinRect>*>(areas)->push_back(
            SkinRect{work.left, work.top, work.right, work.bottom});
    }
    return TRUE;
}

WindowPlace PlaceOf(const RECT& frame)
{
    return WindowPlace{1, frame.left, frame.top};
}

}  // namespace

POINT OnScreenPlace(const WindowPlace& place, int32_t width, int32_t height)
{
    std::vector<SkinRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&monitors));
    const SkinPoint at =
        PlaceOnScreen(SkinRect{place.x, place.y, place.x + width, place.y + height}, monitors);
    return POINT{at.x, at.y};
}

void PlayerApp::TakeWindowPlaces()
{
    const HWND w = window.load();
    RECT frame;
    if (w != nullptr && IsIconic(w)) {
        // An iconic window's rectangle is the icon's: its place is the one it returns to.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (GetWindowPlacement(w, &placement))
            places.main = PlaceOf(placement.rcNormalPosition);
    } else if (w != nullptr && GetWindowRect(w, &frame)) {
        places.main = PlaceOf(frame);
    }
    POINT playlistAt;
    if (playlistWindow.Place(playlistAt))
        places.playlist = WindowPlace{1, playlistAt.x, playlistAt.y};
    places.playlistOpen = playlistWindow.IsShown() || (inTray && playlistHiddenInTray) ? 1 : 0;
}

void PlayerApp::ShowPlaylistWindow()
{
    if (playlistWindow.IsShown())
        return;
    const HWND w = window.load();
    RECT frame;
    if (!GetWindowRect(w, &frame))
        return;
    // Where it was left, else beside the main window: its top-left corner at the main
    // window's top-right corner.
    POINT at = {frame.right, frame.top};
    WindowPlace last = places.playlist;
    POINT shownAt;
    if (playlistWindow.Place(shownAt))
        last = WindowPlace{1, shownAt.x, shownAt.y};
    if (last.known)
        at = OnScreenPlace(last, playlistWindow.width, playlistWindow.height);
    playlistWindow.ShowAt(w, at);
}
