// What the playlist window asks of the player that owns it: the few commands its buttons and
// rows lead to, and the lock that every walk or change of the shared playlist holds. The player
// implements it; the window knows nothing else of the player.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

class PlayerCommands {
public:
    virtual ~PlayerCommands() = default;

    // The player's playback lock (recursive). Held around every walk or change of the playlist
    // and every read of the current index; never while a window message is sent or a song is
    // played. Removing the playing row stops it under the lock: the check and the removal are
    // one step.
    virtual void LockPlayback() = 0;
    virtual void UnlockPlayback() = 0;
    // The entry the player plays or would play next, 0-based; the caller holds the lock.
    virtual int32_t CurrentIndex() const = 0;
    // Moves the current entry without touching the song: for a rearrangement, a move or a
    // removal that took the current entry elsewhere. The caller holds the lock.
    virtual void SetCurrentIndex(int32_t index) = 0;
    // The entry whose song is open now, 0-based, or -1 when none is; the caller holds the lock.
    virtual int32_t PlayingIndex() const = 0;

    // Plays entry `index`: 1 when it is in the list, else the song halts and the answer is 0.
    virtual int SelectEntry(int32_t index) = 0;
    // Stops and closes the current song.
    virtual void StopSong() = 0;
    // The open dialog: the chosen file joins the end of the playlist without playing.
    virtual void OpenMediaDialog() = 0;
    // Adds the dropped files as a drop on the main window would; releases the drop.
    virtual void DropFiles(HDROP drop) = 0;
    // Appends the entries of the playlist file at `path` (UTF-8) whose song exists and is
    // claimed by a plug-in, without playing; the main window shows how many were skipped.
    // Answers the number added.
    virtual int32_t AddPlaylistFile(const char* path) = 0;
    // Writes the whole list as M3U8 to `path` (UTF-8); 1 when the file was written.
    virtual int SavePlaylistFile(const char* path) = 0;
};

// Holds the player's playback lock for the guard's scope.
class PlaybackHold {
public:
    explicit PlaybackHold(PlayerCommands& player) : player_(player) { player_.LockPlayback(); }
    ~PlaybackHold() { player_.UnlockPlayback(); }
    PlaybackHold(const PlaybackHold&) = delete;
    PlaybackHold& operator=(const PlaybackHold&) = delete;

private:
    PlayerCommands& player_;
};
