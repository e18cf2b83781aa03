// The paint thread: draws the window's animated parts straight into the window, and on the way
// follows the songs (app/SongFollowing.cpp): the player learns of a song's end only from its
// position passing its length, looked at every frame while a song plays and at once when the
// device reports that a stream has ended.
//
// It draws a frame every 33 ms while something moves on its own (a song plays: the title
// scrolls, the scopes and the time follow it; the progress pointer still sweeps; the picture of
// the scopes still fades; a message stands), and only the parts that changed. When nothing will
// change it rests until WakePaintThread says something did. It draws nothing while the window
// cannot be seen, and then looks at the song only four times a second (and at once when a stream
// ends); a whole repaint draws the picture, and wakes the thread, when it can be seen again.
#include <windows.h>
#include <mmsystem.h>

#include "app/PlayerApp.h"
#include "skin/GdiHandles.h"

namespace {

constexpr DWORD kFramePeriodMs = 33;
// While the window cannot be seen only the song is followed: the playlist's playing row and the
// tray's tooltip learn of a song change within this, and the end of a stream still wakes the
// thread at once.
constexpr DWORD kUnseenPeriodMs = 250;
constexpr LONG kTitleScrollStep = 2;
// After the device reports a stream's end, the plug-in reports its song over within moments:
// it is looked for every millisecond for this long, since the blocks still queued are all the
// time the next song has to follow on without a gap.
constexpr int kEndLooks = 30;

// Whether the window is shown at all: not hidden and not minimised.
bool WindowShown(HWND window)
{
    return IsWindowVisible(window) && !IsIconic(window);
}

// Whether the windows above `window` in the Z order hide all of `shape` (window coordinates).
// Asked of the windows themselves: top-level windows each keep their own picture, so a covered
// window's drawing context still lets everything through.
bool WhollyCovered(HWND window, HRGN shape)
{
    RECT frame;
    if (!GetWindowRect(window, &frame))
        return false;
    const GdiObject<HRGN> uncovered(CreateRectRgn(0, 0, 0, 0));
    const GdiObject<HRGN> cover(CreateRectRgn(0, 0, 0, 0));
    const GdiObject<HRGN> coverShape(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(uncovered.Get(), shape, nullptr, RGN_COPY);
    OffsetRgn(uncovered.Get(), frame.left, frame.top);
    for (HWND above = GetWindow(window, GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT box;
        // A see-through (layered) window covers nothing.
        if (!IsWindowVisible(above) || IsIconic(above) || !GetWindowRect(above, &box) ||
            (GetWindowLongPtrA(above, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 ||
            !RectInRegion(uncovered.Get(), &box))
            continue;
        SetRectRgn(cover.Get(), box.left, box.top, box.right, box.bottom);
        // A shaped window covers only its shape.
        if (GetWindowRgn(above, coverShape.Get()) != ERROR) {
            OffsetRgn(coverShape.Get(), box.left, box.top);
            CombineRgn(cover.Get(), cover.Get(), coverShape.Get(), RGN_AND);
        }
        if (CombineRgn(uncovered.Get(), uncovered.Get(), cover.Get(), RGN_DIFF) == NULLREGION)
            return true;
    }
    return false;
}

}  // namespace

DWORD WINAPI PlayerApp::PaintThreadMain(LPVOID app)
{
    static_cast<PlayerApp*>(app)->PaintFrames();
    return 1;
}

void PlayerApp::WakePaintThread()
{
    if (paintWake != nullptr)
        SetEvent(paintWake);
}

void PlayerApp::PaintFrames()
{
    // The platform sets its audio devices up at the first wave-out call (a fifth of a second
    // under Wine): here, off the user's thread, rather than in the first song's open, where a
    // stop pressed at once would wait for it.
    waveOutGetNumDevs();
    DWORD last = GetTickCount();
    while (HWND w = window.load()) {
        int moving = 0;
        bool seen = false;
        {
            PlaybackGuard guard(playback);
            // Under the lock: whoever holds it sees the title where the last frame drew it.
            InterlockedExchangeAdd(&titleScroll, -kTitleScrollStep);
            FollowPlayback();
            // The window may have gone while the song changed.
            if (window.load() == nullptr)
                break;
            // Nothing is drawn where it cannot be seen: minimised, hidden, or wholly covered while
            // a song plays (the few frames that bring a stopped picture to rest are drawn even
            // under other windows, so that it is right when they go).
            seen = WindowShown(w) && !(songLoaded && WhollyCovered(w, windowShape));
            if (!seen) {
                framesMissed.store(1);
            } else if (LockPaint()) {
                // The frames not drawn are made good by the window's whole repaint.
                if (framesMissed.exchange(0))
                    InvalidateRect(w, nullptr, FALSE);
                if (const WindowDc dc(w); dc) {
                    PaintFrame(dc.Get());
                    moving = PictureMoves();
                }
                UnlockPaint();
            } else {
                OutputDebugStringA(" Failure to Get PaintMutex \n");
                moving = 1;  // the frame is tried again in a period
            }
            // A playing song's end is noticed only here, whether the window shows or not, and a
            // stream still playing out or a song still heard is followed; the frames go on, as
            // they do while a song plays, while a message stands.
            moving |= songLoaded | messageShown | heard.active | (audio.streamOpen != 0);
        }
        // The end of a stream comes first: a wait on the first handle alone is a wait for it.
        const HANDLE events[] = {audio.endedEvent, paintWake};
        if (!moving) {
            // Nothing will change until woken, or until a stream ends or fails to open.
            WaitForMultipleObjects(2, events, FALSE, INFINITE);
            last = GetTickCount();
            continue;
        }
        // Wait only the rest of the period: a frame that took longer is followed at once. The
        // end of a stream is acted on at once. While the window is seen a wake meanwhile changes
        // nothing, since the next frame draws what changed anyway; while it is not, a wake (the
        // window shown again, a stop) ends the long wait.
        const DWORD period = seen ? kFramePeriodMs : kUnseenPeriodMs;
        for (;;) {
            const DWORD spent = GetTickCount() - last;
            if (spent >= period ||
                WaitForMultipleObjects(seen ? 1 : 2, events, FALSE, period - spent) != WAIT_OBJECT_0)
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
    WakePaintThread();  // a resting thread sees the window gone
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
