// Windowless skinned controls over regions of their owner window. The owner's window procedure
// forwards WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP and WM_SETCURSOR to each widget in turn
// and uses their results; the owner's painting asks each widget to draw itself.
//
// Every operation is non-virtual: an owner calls a knob's own versions explicitly. Widgets only
// point to the regions, contexts and surfaces they use; the owner creates, outlives and deletes
// them.
//
// Calling order: construct, SetRegion, then SetImages (buttons) or SetRange, SetFrames, the
// source origin and, for an indicator knob, SetIndicator; then set isToggle, clipToRegion and
// frameMode directly.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/ButtonLogic.h"
#include "skin/KnobLogic.h"

class Surface;

// A push button or a two-state toggle. It shows one of up to four full-window images in its
// own area and captures the mouse while it is pressed (ButtonLogic.h has the behaviour).
class SkinButton : public ButtonLogic {
public:
    HWND window = nullptr;     // borrowed: the owner window; capture and Redraw use it
    HRGN region = nullptr;     // borrowed: the hit and clip area
    HDC stateDc[4] = {};       // borrowed: each state's image, the size of the whole window
    int32_t useRegion = 0;     // 1 after SetRegion: hit tests use the region, else bounds

    SkinButton() = default;
    virtual ~SkinButton() = default;
    SkinButton(const SkinButton&) = delete;
    SkinButton& operator=(const SkinButton&) = delete;

    // States 0 and 1 show dc0 and dc1; a third and a fourth image raise the state count.
    void SetImages(HDC dc0, HDC dc1, HDC dc2 = nullptr, HDC dc3 = nullptr);
    // Binds the button to its area and owner; bounds become the region's box. Returns
    // GetRgnBox's result.
    int32_t SetRegion(HRGN newRegion, HWND owner);
    // 1 when (x, y) lies in the region (or in bounds before SetRegion).
    int32_t HitTest(int32_t x, int32_t y) const;

    // Mouse messages, in client coordinates. Down: 1 when the press started. Move: 1 while
    // pressed and inside. Up: 1 for a click (released inside).
    int32_t OnMouseDown(int32_t x, int32_t y);
    int32_t OnMouseMove(int32_t x, int32_t y);
    int32_t OnMouseUp(int32_t x, int32_t y);
    // A button never sets the cursor: 0.
    int32_t OnSetCursor(int32_t x, int32_t y) const;

    // Copies the button's area from the current state's image into dc at the same position,
    // clipped to the region when clipToRegion is set (that clip stays selected). A state
    // without an image draws nothing.
    void Draw(HDC dc) const;
    // Draws into the owner window's context at once.
    void Redraw() const;
    // Flips a toggle and redraws it; a push button is left alone. Returns the state.
    int32_t Toggle();

protected:
    void Carry(const ButtonStep& step) const;
};

// A rotary knob dragged with the mouse (KnobLogic.h has the arithmetic). An indicator knob
// (frameMode 0) shows a bounded value as a dot on a circle around its centre over a background
// taken from `frames` by state; a frame knob (frameMode 1) shows a wrapping value as one of its
// pre-rendered frames. While dragged, the cursor is hidden and pinned to the knob's centre.
class SkinKnob : public SkinButton, public KnobFields {
public:
    HRGN indicatorRegion = nullptr;  // borrowed: the dot's area; Draw moves it with the dot
    HDC indicatorDc = nullptr;       // borrowed: the dot's image
    HCURSOR cursor = nullptr;        // shown over the knob: the program's cursor 128 (shared)
    // Borrowed table of background sources: frame knobs index it by frame (stateCount
    // entries), indicator knobs by state, so a two-state indicator knob needs two entries even
    // with a frame count of 1.
    const Surface* frames = nullptr;

    SkinKnob();

    void SetRange(int32_t newStartAngle, int32_t newEndAngle, int32_t newMinValue,
                  int32_t newMaxValue, int32_t newRadius);
    void SetFrames(const Surface* table, int32_t count);
    void SetSourceOrigin(int32_t x, int32_t y);
    // The knob's top-left in its sources is its own position: full-window background images.
    void UseBoundsAsSource();
    // Returns GetRgnBox's result for the dot's region.
    int32_t SetIndicator(HDC dc, HRGN newIndicatorRegion);

    // Down: 1 when the drag started (cursor hidden). Move: the new value (indicator knob) or
    // the change (frame knob) while dragging, else 0. Up: 1 wherever the pointer is, 0 idle.
    int32_t OnMouseDown(int32_t x, int32_t y);
    int32_t OnMouseMove(int32_t x, int32_t y);
    int32_t OnMouseUp(int32_t x, int32_t y);
    // Over the knob: sets the knob cursor and returns 1; else 0.
    int32_t OnSetCursor(int32_t x, int32_t y) const;

    // Paints the knob. An indicator knob always draws; a frame knob draws only when its frame
    // changed since the last draw, or when `force` is set.
    void Draw(HDC dc, int32_t force);
    int32_t GrabFactor(int32_t x, int32_t y) const;

private:
    void Carry(const KnobStep& step) const;
    void DrawIndicator(HDC dc);
    void DrawFrame(HDC dc, int32_t force);
};
