// The thread that scrolls the About window's credits: about 30 times a second it copies one
// band of the drawn text into the window's text area, one row further down the text each time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/GdiHandles.h"

// The band: where it lands in the window and how many rows it shows. Its top row is the
// surface row `scrollPos`. Each cycle starts with the band almost wholly above the text, whose
// first row then shows at the band's bottom edge.
inline constexpr int32_t kBandLeft = 45;
inline constexpr int32_t kBandTop = 40;
inline constexpr int32_t kBandHeight = 270;
inline constexpr int32_t kFirstScrollPos = -268;
inline constexpr DWORD kFrameMillis = 33;

// The position after `scrollPos`: one row further, and back below the text once the band has
// passed its last row.
int32_t NextScrollPos(int32_t scrollPos, int32_t textHeight);

// Copies the band whose top is surface row `scrollPos` from the credits surface to
// (kBandLeft, kBandTop) of `target`. Rows the surface lacks (above its top, below its bottom)
// are filled with the credits background.
void DrawCreditsBand(HDC target, HDC creditsDc, HBRUSH background, int32_t scrollPos);

class CreditsScroller {
public:
    CreditsScroller() = default;
    virtual ~CreditsScroller();  // stops a running thread
    CreditsScroller(const CreditsScroller&) = delete;
    CreditsScroller& operator=(const CreditsScroller&) = delete;

    // Starts scrolling into `window`, clipped to `clip`, from the surface context `creditsDc`
    // that holds `textHeight` rows of text. The window, region and context are borrowed: they
    // must stay until Stop has returned true. Returns false (and scrolls nothing) if the thread
    // cannot be started or one already runs.
    bool Start(HWND window, HRGN clip, HDC creditsDc, int32_t textHeight);

    // Asks the thread to end and waits for it (at most a few seconds). True when no thread runs
    // any more; false when it did not end in time, and then what it borrows must not be freed.
    bool Stop();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void DrawFrame(int32_t scrollPos);

    // Set by Start before the thread exists, then read only by the thread until Stop joins it.
    HWND window_ = nullptr;      // borrowed
    HRGN clip_ = nullptr;        // borrowed
    HDC creditsDc_ = nullptr;    // borrowed
    int32_t textHeight_ = 0;
    GdiObject<HBRUSH> background_;  // owned; made by Start

    HANDLE stopEvent_ = nullptr;  // owned; manual reset, set by Stop; also wakes the frame wait
    HANDLE thread_ = nullptr;     // owned; null while no thread runs
};
