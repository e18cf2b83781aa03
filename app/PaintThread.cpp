// The paint thread: one frame every 33 ms, drawn straight into the window, and on the way the
// end of a song noticed (the player learns it only from the song's position passing its length).
#include <windows.h>

#include "app/PlayerApp.h"
#include "skin/GdiHandles.h"

namespace {

constexpr DWORD kFramePeriodMs = 33;
constexpr LONG kTitleScrollStep = 2;

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
            if (CurrentPosition() > CurrentLength())
                SelectEntry(currentIndex + 1);
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
        // Sleep only the rest of the period: a frame that took longer is followed at once.
        const DWORD now = GetTickCount();
        if (now - last >= kFramePeriodMs) {
            last = now;
        } else {
            Sleep(kFramePeriodMs - (now - last));
            last = GetTickCount();
        }
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
