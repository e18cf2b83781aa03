// The paint thread: one frame every 33 ms, drawn straight into the window, and on the way the
// songs followed (app/SongFollowing.cpp): the player learns of a song's end only from its
// position passing its length, looked at every frame and at once when the device reports that a
// stream has ended.
#include <windows.h>

#include "app/PlayerApp.h"
#include "skin/GdiHandles.h"

namespace {

constexpr DWORD kFramePeriodMs = 33;
constexpr LONG kTitleScrollStep = 2;
// After the device reports a stream's end, the plug-in reports its song over within moments:
// it is looked for every millisecond for this long, since the blocks still queued are all the
// time the next song has to follow on without a gap.
constexpr int kEndLooks = 30;

}  // namespace

DWORD WINAPI PlayerApp::PaintThreadMain(LPVOID app)
{
    static_cast<PlayerApp*>(app)->PaintFrames();
    return 1;
}

void PlayerApp::PaintFrames()
{
    DWORD last = GetTickCount();
    while (HWND w = window.load()) {
        InterlockedExchangeAdd(&titleScroll, -kTitleScrollStep);
        {
            PlaybackGuard guard(playback);
            FollowPlayback();
            // The window may have gone while the song changed.
            if (window.load() == nullptr)
                break;
            if (LockPaint()) {
                if (const WindowDc dc(w); dc)
                    PaintFrame(dc.Get());
                UnlockPaint();
            } else {
                OutputDebugStringA(" Failure to Get PaintMutex \n");
            }
        }
        // Wait only the rest of the period: a frame that took longer is followed at once. The
        // end of a stream is acted on at once.
        for (;;) {
            const DWORD spent = GetTickCount() - last;
            if (spent >= kFramePeriodMs ||
                WaitForSingleObject(audio.endedEvent, kFramePeriodMs - spent) != WAIT_OBJECT_0)
                break;
            for (int look = 0; look < kEndLooks && window.load() != nullptr && !FollowPlayback(); ++look)
                Sleep(1);
        }
        last = GetTickCount();
    }
}

void PlayerApp::RunPaintThread()
{
    paintThread = CreateThread(nullptr, 0, PaintThreadMain, this, 0, &paintThreadId);
}

void PlayerApp::EndPaintThread()
{
    window.store(nullptr);
    if (paintThread == nullptr)
        return;
    // While it ends, the thread may still ask this (the window's) thread for something through
    // a sent message: answer those instead of blocking on it.
    for (;;) {
        const DWORD result =
            MsgWaitForMultipleObjects(1, &paintThread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(paintThread);
    paintThread = nullptr;
    paintThreadId = 0;
}
