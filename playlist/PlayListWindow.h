// The playlist window: a skinned popup beside the main window that shows the player's playlist
// in an owner-drawn list, where rows are played, reordered, removed, added and cleared.
#pragma once

#include <windows.h>

#include <cstdint>

class PlayList;
class PlayerApp;

class PlayListWindow {
public:
    // `player` owns this window object and the playlist; both live as long as the program.
    PlayListWindow(PlayerApp& player, PlayList& list);
    virtual ~PlayListWindow();
    PlayListWindow(const PlayListWindow&) = delete;
    PlayListWindow& operator=(const PlayListWindow&) = delete;

    // Creates and shows the window at `topLeft` (screen coordinates), owned by `owner`.
    // 1 when the window was made, else 0.
    int32_t ShowAt(HWND owner, POINT topLeft);
    // 1 while the window exists and is visible.
    int32_t IsShown() const;
    // The playlist changed outside this window (files dropped, a song from another instance):
    // a shown window rebuilds its rows. Called on the user-interface thread.
    void PlaylistChanged();

    PlayerApp& player;
    PlayList& playlist;
    HWND hwnd = nullptr;
};
