// The playlist window: a skinned popup beside the main window that shows the player's playlist
// in an owner-drawn list, where rows are played, reordered, removed, added and cleared.
//
// The window works on the player's one PlayList directly; row i always shows entry i. It reaches
// the player only through PlayerCommands. Every change or walk of the list made here holds the
// player's playback lock, so the paint thread's end-of-song advance never walks a list that is
// being changed. The lock is never held while a window message is sent, nor while the player is
// asked to play a song; removing the playing row stops it under the lock, so that the check and
// the removal are one step.
#pragma once

#include <windows.h>

#include <cstdint>

#include "playlist/CorvaneListCtrl.h"
#include "playlist/PlayerCommands.h"
#include "skin/GdiHandles.h"
#include "skin/SkinWidgets.h"
#include "skin/Surface.h"

class PlayList;

inline constexpr char kPlayListWindowClass[] = "CorvanePlayListDlg";
inline constexpr int32_t kPlayListControlId = 129;

// The buttons, in the order they are offered mouse messages.
enum PlayListButton : int32_t {
    loadButton,
    saveButton,
    addButton,
    removeButton,
    clearButton,
    dismissButton,
    okButton,
    shuffleButton,
    reverseButton,
    sortButton,
    scrollDownButton,
    scrollUpButton,
    kPlayListButtonCount
};

class PlayListWindow {
public:
    // `player` owns this window object and the playlist; both live as long as the program.
    PlayListWindow(PlayerCommands& player, PlayList& list);
    virtual ~PlayListWindow();
    PlayListWindow(const PlayListWindow&) = delete;
    PlayListWindow& operator=(const PlayListWindow&) = delete;

    // Creates and shows the window at `topLeft` (screen coordinates), owned by `owner`, with
    // fresh rows from the playlist. 1 when the window was made, else 0.
    int32_t ShowAt(HWND owner, POINT topLeft);
    // 1 while the window exists and is visible.
    int32_t IsShown() const;
    // Where the window stands (screen coordinates), or stood when it was last closed; 0 when it
    // has never been shown.
    int32_t Place(POINT& topLeft) const;
    // The playlist changed outside this window (files dropped, a song from another instance,
    // the open dialog): a shown window rebuilds its rows, keeping the selection and the top row
    // where they still exist, as soon as the current message is handled. Called on the
    // user-interface thread.
    void PlaylistChanged();

    // The song that plays changed, or learnt its title: the playing row shows the title and
    // carries the mark. Called on the user-interface thread.
    void SongChanged();

    // Rebuilds the rows from the playlist: one row per entry, its title when known, else its
    // file name and extension; the playing row is marked.
    void RefreshRows();
    // The commands of the buttons and of the list.
    void PlaySelected();
    void AddFiles();
    void RemoveSelected();
    void ClearAll();
    // One row down (`down` 1) or up; nothing beyond either end.
    void ScrollRows(int32_t down);
    // LOAD: the chosen playlist's entries join the end of the list.
    void LoadPlaylist();
    // SAVE: the list goes to the chosen ".m3u8" file.
    void SavePlaylist();
    // SORT, REVERSE, SHUFFLE: the playing song keeps playing and the selection stays on its
    // entry wherever the entry went.
    void Rearrange(int32_t button);
    // Ctrl+Up (`down` 0) and Ctrl+Down: the selected entry one row up or down.
    void MoveSelected(int32_t down);
    // Moves entry `from` to `to` (a drag or a key); the current entry follows its song.
    void MoveEntry(int32_t from, int32_t to);
    // Delete, Enter, Ctrl+Up and Ctrl+Down; Ctrl+O, Ctrl+L and the media keys go on to the
    // player. 1 when the key was one of them.
    int32_t OnKey(WPARAM key);

    PlayerCommands& player;
    PlayList& playlist;

    // Skin material, made once on the first ShowAt and shared by every window made later.
    int32_t skinLoaded = 0;
    OwnedRegion windowShape;
    OwnedRegion buttonRegions[kPlayListButtonCount];
    OwnedRegion listRegion;                    // in window client coordinates
    SkinButton buttons[kPlayListButtonCount];  // see PlayListButton for the order
    Surface normalSkin;                        // the face and the list's background
    Surface litSkin;                           // every button pressed
    int32_t width = 426;
    int32_t height = 350;

    int32_t startedFromList = 0;  // a row was played from this window; never cleared
    int32_t rebuildPosted = 0;    // a rebuild of the rows waits in the window's queue
    uint32_t shuffleSeed = 0;     // the next shuffle's seed; set from the clock when first used
    CorvaneListCtrl listCtrl;
    HWND hwnd = nullptr;          // the window while it exists
    POINT lastPlace = {};         // its top-left corner when it was last destroyed
    int32_t placeKnown = 0;       // lastPlace holds a place

private:
    static LRESULT CALLBACK PlayListWndProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    int32_t PrepareSkin();
    void LayOut();
    // RefreshRows, then the selection and the top row again where they still exist.
    void RebuildRows();
    void PostRebuild();
    void OnPaint();
    void OnLeftButtonDown(LPARAM position);
    void OnLeftButtonUp(int32_t x, int32_t y);
    void OnMouseMove(int32_t x, int32_t y);
    void RunButton(int32_t button);
};
