// The one lock around playback: whatever opens, starts, stops or closes a song, moves
// currentIndex, reads or changes the playlist, or reads a plug-in slot's song information holds
// it. The paint thread (its end-of-song advance and its position polling) and the user-interface
// thread (buttons, drops, another instance, the playlist window) both drive playback.
//
// Lock order: this lock first, then paintMutex, never the other way round. A thread holding
// paintMutex never stops a song: a plug-in's Stop may wait a second for its decoder thread.
// The lock is recursive, so an operation that takes it may call another that takes it too.
#pragma once

#include <windows.h>

class PlaybackLock {
public:
    PlaybackLock() { InitializeCriticalSection(&section_); }
    virtual ~PlaybackLock() { DeleteCriticalSection(&section_); }
    PlaybackLock(const PlaybackLock&) = delete;
    PlaybackLock& operator=(const PlaybackLock&) = delete;

    void Lock() { EnterCriticalSection(&section_); }
    void Unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a PlaybackLock for the guard's scope.
class PlaybackGuard {
public:
    explicit PlaybackGuard(PlaybackLock& lock) : lock_(lock) { lock_.Lock(); }
    ~PlaybackGuard() { lock_.Unlock(); }
    PlaybackGuard(const PlaybackGuard&) = delete;
    PlaybackGuard& operator=(const PlaybackGuard&) = delete;

private:
    PlaybackLock& lock_;
};
