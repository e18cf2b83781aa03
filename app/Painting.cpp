// The main window's painting: the animated parts drawn every frame (time, title, progress ring,
// knobs, visualisation), the full repaint composed in the back buffer, and the short messages
// shown in the time display.
//
// Whoever draws holds paintMutex; whoever also reads the song's position holds the playback
// lock first (the lock order of app/PlaybackLock.h).
#include <windows.h>

#include <string>

#include <cmath>
#include <cstdint>

#include "app/PlayerApp.h"
#include "app/Visualisation.h"
#include "skin/GdiHandles.h"

namespace {

constexpr DWORD kPaintWaitMs = 500;

constexpr RECT kTimeRect = {65, 200, 160, 220};
constexpr COLORREF kTimeTextColour = RGB(0x00, 0xF0, 0x10);
constexpr COLORREF kTimeBackColour = RGB(0x00, 0x22, 0x10);

constexpr int32_t kTitleLeft = 35;
constexpr int32_t kTitleRight = 130;
constexpr int32_t kTitleTop = 46;
constexpr LONG kTitleRestartOffset = 100;

// While paused the time blinks: shown and hidden for this long each.
constexpr DWORD kBlinkHalfPeriodMs = 500;

constexpr int32_t kMessageLeft = 40;
constexpr int32_t kNoSecondShown = INT32_MIN;

// The progress ring: a pointer from (82, 205) turns clockwise from the top; the played part of
// the ring shows skinLit, the rest skinNormal.
constexpr POINT kProgressCentreTop = {82, 150};
constexpr POINT kProgressPivot = {82, 205};
constexpr double kProgressPointerLength = 200.0;
constexpr RECT kProgressCopy = {32, 155, 32 + 104, 155 + 99};
constexpr double kFullTurn = 6.283193076;
constexpr double kQuarterTurn = 1.5707963269;
constexpr double kProgressSettled = 0.01;

void CopyRect(HDC target, const RECT& rect, HDC source)
{
    BitBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
           rect.left, rect.top, SRCCOPY);
}

}  // namespace

int PlayerApp::LockPaint()
{
    const DWORD result = WaitForSingleObject(paintMutex, kPaintWaitMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED ? 1 : 0;
}

void PlayerApp::UnlockPaint()
{
    ReleaseMutex(paintMutex);
}

void PlayerApp::OnPaint()
{
    const HWND w = window.load();
    if (w == nullptr)
        return;
    PlaybackGuard guard(playback);
    if (!LockPaint()) {
        OutputDebugStringA("OnPaint() Failed to get Mutex Handle!\n");
        ValidateRect(w, nullptr);
        return;
    }
    InterlockedExchange(&fullRepaint, 1);
    framesMissed.store(0);
    const HDC back = backBuffer.dc;
    PaintFrame(back);
    SkinButton* const toggles[] = {&playButton, &pluginButton, &blankToggle2, &blankToggle1};
    for (SkinButton* toggle : toggles) {
        SelectClipRgn(back, nullptr);
        toggle->Draw(back);
    }
    SelectClipRgn(back, nullptr);
    seekKnob.Draw(back, 1);
    SelectClipRgn(back, nullptr);
    volumeKnob.Draw(back, 1);
    SelectClipRgn(back, nullptr);
    if (const WindowDc dc(w); dc)
        BitBlt(dc.Get(), 0, 0, windowWidth, windowHeight, back, 0, 0, SRCCOPY);
    UnlockPaint();
    InterlockedExchange(&fullRepaint, 0);
    ValidateRect(w, nullptr);
    // The window shows again (restored, uncovered): what moves on its own goes on moving.
    WakePaintThread();
}

void PlayerApp::PaintFrame(HDC dc)
{
    DrawVisualisation(dc);
    DrawTime(dc);
    DrawTitle(dc);
    DrawProgress(dc);
    seekKnob.Draw(dc, 0);
    // The volume knob changes only while it is turned: it is drawn when its look changed.
    if (fullRepaint || volumeKnob.value != volumeShownValue ||
        volumeKnob.state != volumeShownState) {
        volumeKnob.Draw(dc, 0);
        volumeShownValue = volumeKnob.value;
        volumeShownState = volumeKnob.state;
    }
}

int PlayerApp::PictureMoves() const
{
    return progressMoving || visIdleFrames <= kVisIdleFramesBeforeFreeze;
}

void PlayerApp::DrawTime(HDC dc)
{
    // A message standing in the display is not drawn over; the time returns after it.
    if (messageShown)
        return;
    const int32_t seconds = CurrentPosition() / 1000;
    // 0 while not paused; 1 and 2 alternate while paused (the time shown, then hidden), so the
    // display changes once every blink period.
    const int32_t blinkPhase =
        IsPaused() ? static_cast<int32_t>((GetTickCount() / kBlinkHalfPeriodMs) & 1) + 1 : 0;
    if (seconds == lastShownSecond && blinkPhase == lastBlinkPhase && !fullRepaint)
        return;
    lastShownSecond = seconds;
    lastBlinkPhase = blinkPhase;
    char text[32];
    wsprintfA(text, "%0.2d:%0.2d", seconds / 60, seconds % 60);
    // Hidden, the digits' cells are painted in the background colour alone.
    SetTextColor(dc, blinkPhase == 2 ? kTimeBackColour : kTimeTextColour);
    SetBkColor(dc, kTimeBackColour);
    SetBkMode(dc, OPAQUE);
    SelectClipRgn(dc, timeRegion);
    RECT rect = kTimeRect;
    DrawTextA(dc, text, -1, &rect, DT_LEFT | DT_TOP);
}

void PlayerApp::DrawTitle(HDC dc)
{
    if (songLoaded) {
        // Once the title has moved its whole width past the left edge it comes in again.
        if (titleScroll < -titleWidth)
            InterlockedExchange(&titleScroll, kTitleRestartOffset);
        SelectClipRgn(dc, titleRegion);
        skinFont.DrawStringInBox(dc, titleText, kTitleLeft, kTitleRight, kTitleTop, titleScroll);
        titleScrolled = 1;
    } else if (fullRepaint || titleScrolled) {
        // At rest the title stands at its start, also right after a song stopped mid-scroll.
        SelectClipRgn(dc, titleRegion);
        skinFont.DrawStringInBox(dc, titleText, kTitleLeft, kTitleRight, kTitleTop, 0);
        titleScrolled = 0;
    }
}

void PlayerApp::DrawProgress(HDC dc)
{
    double fraction = 1.0;
    if (seekPreview != -1) {
        fraction = seekPreview * 0.01;
    } else if (IsSongPlaying()) {
        const int32_t length = CurrentLength();
        // A song without a length shows as whole rather than as a division by zero.
        if (length != 0)
            fraction = static_cast<double>(CurrentPosition()) / length;
    }
    const double target = fraction * kFullTurn - kQuarterTurn;
    progressMoving = std::fabs(target - progressAngle) > kProgressSettled;
    if (!progressMoving && !fullRepaint)
        return;
    // A repaint of a pointer at rest draws it where it rests.
    if (progressMoving)
        progressAngle += (target - progressAngle) / 2;

    SelectClipRgn(dc, progressRegion);
    const POINT tip = {
        kProgressPivot.x + static_cast<LONG>(kProgressPointerLength * std::cos(progressAngle)),
        kProgressPivot.y + static_cast<LONG>(kProgressPointerLength * std::sin(progressAngle))};
    const bool rightHalf = tip.x > kProgressPivot.x;
    const POINT polygon[4] = {kProgressCentreTop, kProgressPivot, tip,
                              {rightHalf ? 200 : 0, kProgressCentreTop.y}};
    HRGN sweep = CreatePolygonRgn(polygon, 4, ALTERNATE);
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, saved) == 1;

    // In the right half the sweep is the played part; in the left half it is what remains.
    ExtSelectClipRgn(dc, sweep, rightHalf ? RGN_AND : RGN_DIFF);
    CopyRect(dc, kProgressCopy, skinLit.dc);
    SelectClipRgn(dc, hadClip ? saved : nullptr);
    ExtSelectClipRgn(dc, sweep, rightHalf ? RGN_DIFF : RGN_AND);
    CopyRect(dc, kProgressCopy, skinNormal.dc);

    DeleteObject(saved);
    DeleteObject(sweep);
}

void PlayerApp::DrawMessage(const char* text)
{
    PaintLock paint(*this);
    if (!paint.Locked())
        return;
    PresentTimeArea(text);
    messageShown = 1;
    WakePaintThread();
}

void PlayerApp::RestoreMessageArea()
{
    PaintLock paint(*this);
    if (!paint.Locked())
        return;
    PresentTimeArea(nullptr);
    messageShown = 0;
    // The time comes back at the next frame rather than at the next change of second: a song
    // whose plug-in gives no position would otherwise leave the display empty.
    lastShownSecond = kNoSecondShown;
    WakePaintThread();
}

void PlayerApp::PresentTimeArea(const char* text)
{
    RECT box;
    GetRgnBox(timeRegion, &box);
    const HDC back = backBuffer.dc;
    SelectClipRgn(back, timeRegion);
    CopyRect(back, box, skinNormal.dc);
    if (text != nullptr)
        skinFont.DrawString(back, text, kMessageLeft, (box.top + box.bottom) / 2);
    SelectClipRgn(back, nullptr);
    const HWND w = window.load();
    if (w == nullptr)
        return;
    if (const WindowDc dc(w); dc) {
        SelectClipRgn(dc.Get(), timeRegion);
        CopyRect(dc.Get(), box, back);
    }
}

void PlayerApp::ShowMessage(const char* text, DWORD millis)
{
    // A message stands for up to half a second: under the playback lock that would stop the
    // paint thread for as long, so it waits until the lock is given back, with a copy of its
    // text (the caller's may be gone by then).
    const bool hasText = text != nullptr;
    playback.AfterRelease([this, message = std::string(hasText ? text : ""), hasText, millis] {
        DrawMessage(hasText ? message.c_str() : nullptr);
        Sleep(millis);
        RestoreMessageArea();
    });
}
