#include "dialogs/CreditsScroller.h"

#include <algorithm>

#include "dialogs/CreditsText.h"

namespace {
// Long enough for any frame (a copy of 268 x 270 pixels) to finish on a busy machine.
constexpr DWORD kStopWaitMillis = 5000;
}  // namespace

int32_t NextScrollPos(int32_t scrollPos, int32_t textHeight)
{
    const int32_t next = scrollPos + 1;
    return next > textHeight ? kFirstScrollPos : next;
}

void DrawCreditsBand(HDC target, HDC creditsDc, HBRUSH background, int32_t scrollPos)
{
    // The part of the band that the surface has, in surface rows; may be empty.
    const int32_t first = std::max(scrollPos, 0);
    const int32_t end = std::min(scrollPos + kBandHeight, kCreditsSurfaceHeight);
    if (first < end) {
        BitBlt(target, kBandLeft, kBandTop + (first - scrollPos), kCreditsWidth, end - first,
               creditsDc, 0, first, SRCCOPY);
    }
    // Copying rows a memory bitmap lacks leaves the window's pixels as they were, so fill them.
    const int32_t filledAbove = std::clamp(first - scrollPos, 0, kBandHeight);
    if (filledAbove > 0) {
        const RECT above = {kBandLeft, kBandTop, kBandLeft + kCreditsWidth, kBandTop + filledAbove};
        FillRect(target, &above, background);
    }
    const int32_t keptRows = std::max(end - first, 0);
    if (filledAbove + keptRows < kBandHeight) {
        const RECT below = {kBandLeft, kBandTop + filledAbove + keptRows,
                            kBandLeft + kCreditsWidth, kBandTop + kBandHeight};
        FillRect(target, &below, background);
    }
}

CreditsScroller::~CreditsScroller()
{
    // A thread that would not end still waits on the event: leave it to the process's end.
    if (Stop() && stopEvent_ != nullptr)
        CloseHandle(stopEvent_);
}

bool CreditsScroller::Start(HWND window, HRGN clip, HDC creditsDc, int32_t textHeight)
{
    if (thread_ != nullptr)
        return false;
    if (stopEvent_ == nullptr)
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ == nullptr)
        return false;
    ResetEvent(stopEvent_);
    window_ = window;
    clip_ = clip;
    creditsDc_ = creditsDc;
    textHeight_ = textHeight;
    if (!background_)
        background_.Reset(CreateSolidBrush(kCreditsBackground));
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    return thread_ != nullptr;
}

bool CreditsScroller::Stop()
{
    if (thread_ == nullptr)
        return true;
    SetEvent(stopEvent_);
    if (WaitForSingleObject(thread_, kStopWaitMillis) != WAIT_OBJECT_0)
        return false;
    CloseHandle(thread_);
    thread_ = nullptr;
    return true;
}

DWORD WINAPI CreditsScroller::ThreadMain(void* self)
{
    static_cast<CreditsScroller*>(self)->Run();
    return 1;
}

void CreditsScroller::Run()
{
    DWORD frameStart = GetTickCount();
    int32_t scrollPos = textHeight_;  // the first step wraps to the start of a cycle
    while (WaitForSingleObject(stopEvent_, 0) == WAIT_TIMEOUT) {
        scrollPos = NextScrollPos(scrollPos, textHeight_);
        DrawFrame(scrollPos);
        // One frame every kFrameMillis; a frame that took longer is followed at once, and the
        // lost time is not made up. Waiting on the stop event lets a close end the wait.
        const DWORD now = GetTickCount();
        if (now - frameStart >= kFrameMillis) {
            frameStart = now;
            continue;
        }
        if (WaitForSingleObject(stopEvent_, frameStart + kFrameMillis - now) != WAIT_TIMEOUT)
            break;
        frameStart = GetTickCount();
    }
}

void CreditsScroller::DrawFrame(int32_t scrollPos)
{
    const WindowDc dc(window_);
    if (!dc)
        return;
    SelectClipRgn(dc.Get(), clip_);
    DrawCreditsBand(dc.Get(), creditsDc_, background_.Get(), scrollPos);
}
