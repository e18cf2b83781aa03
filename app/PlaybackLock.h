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

#include <atomic>
#include <functional>
#include <utility>

class PlaybackLock {
public:
    PlaybackLock() { InitializeCriticalSection(&section_); }
    virtual ~PlaybackLock() { DeleteCriticalSection(&section_); }
    PlaybackLock(const PlaybackLock&) = delete;
    PlaybackLock& operator=(const PlaybackLock&) = delete;

    void Lock()
    {
        EnterCriticalSection(&section_);
        if (depth_++ == 0)
            owner_.store(GetCurrentThreadId());
    }
    void Unlock()
    {
        std::function<void()> after;
        if (--depth_ == 0) {
            owner_.store(0);
            after.swap(afterRelease_);
        }
        LeaveCriticalSection(&section_);
        if (after)
            after();
    }

    // Runs `work` on the calling thread once it gives the lock back entirely, or at once when it
    // does not hold it: for what takes long without needing the lock (a message that stands for
    // half a second), so that the other thread is not kept waiting meanwhile. A later request
    // replaces one still waiting.
    void AfterRelease(std::function<void()> work)
    {
        if (owner_.load() == GetCurrentThreadId()) {
            afterRelease_ = std::move(work);
            return;
        }
        work();
    }

private:
    CRITICAL_SECTION section_;
    int depth_ = 0;                    // the owner's nesting; guarded by section_
    std::atomic<DWORD> owner_{0};      // the holding thread, 0 while free
    std::function<void()> afterRelease_;  // guarded by section_
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
