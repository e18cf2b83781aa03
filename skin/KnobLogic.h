// The arithmetic of a skinned rotary knob, apart from the platform: the drag protocol, the
// leverage of a press, where an indicator knob draws its dot and which frame a frame knob shows.
// SkinKnob (SkinWidgets.h) holds a ButtonLogic and these fields and carries out the steps.
//
// Angles are in tenths of a degree in screen coordinates (y grows downwards): 0 points right of
// the centre, 900 below, 1800 left and 2700 above, so growing angles turn clockwise on screen.
//
// While a knob is dragged the cursor is hidden and pinned to the knob's centre, so every mouse
// movement is measured from the centre: moving up by d pixels turns the knob by
// d x (maxValue - minValue) x grab / 2000 towards maxValue, and the knob can turn without limit.
//
// A "realistic" knob instead follows the pointer's angle around its centre, as a real knob turns
// under a finger: the cursor stays visible and free, and turning the pointer by an angle d turns
// the knob by d over the knob's own angle range (a full turn of the seek knob is its whole
// range). Points within kRealisticDeadZone pixels of the centre turn nothing, since
// their angle is all noise.
#pragma once

#include <cstdint>

#include "skin/ButtonLogic.h"
#include "skin/SkinGeometry.h"

// The knob-only fields, with their values after construction.
struct KnobFields {
    int32_t lastFrame = -1;  // frame knobs: the frame drawn last
    double grab = 0.0;       // leverage factor taken at the press
    int32_t sourceX = 0;     // the knob's top-left corner in its source images
    int32_t sourceY = 0;
    int32_t frameMode = 0;   // 0 = indicator knob (bounded value), 1 = frame knob (wrapping)
    int32_t radius = 0;      // indicator knobs: distance of the dot from the centre, pixels
    SkinRect indicatorBox;   // box of the indicator region when it was set
    int32_t value = 0;       // changed by dragging only
    int32_t maxValue = 0;
    int32_t minValue = 0;
    int32_t endAngle = 0;    // angle of maxValue
    int32_t startAngle = 0;  // angle of minValue
    int32_t moveCounter = 0; // drag movements modulo the frame count
    int32_t realistic = 0;   // 1: follow the pointer's angle (taken at the press)
    int32_t pointerAngle = -1;  // realistic drags: the pointer's last angle, -1 for none yet
};

inline constexpr int32_t kRealisticDeadZone = 3;

// The angle of (x, y) around `centre` in tenths of a degree, 0 to 3599 (clockwise on the
// screen), or -1 within kRealisticDeadZone pixels of the centre.
int32_t PointerAngle(SkinPoint centre, int32_t x, int32_t y);

// What the platform side has to do after a knob's mouse operation, in this order: capture the
// mouse, redraw, hide or show the cursor, release the mouse, put the cursor back on `centre`.
struct KnobStep {
    int32_t result = 0;
    bool capture = false;
    bool releaseCapture = false;
    bool redraw = false;
    bool hideCursor = false;
    bool showCursor = false;
    bool recentre = false;
    SkinPoint centre;  // client coordinates of the knob's centre when `recentre`
};

// The knob's centre: the middle of its bounds, truncated.
SkinPoint KnobCentre(const SkinRect& bounds);

// The leverage of a press at (x, y): the larger half-extent of the bounds minus the truncated
// distance from the centre. Largest at the centre, about 0 on the rim and negative in a corner
// of the box outside the inscribed circle, which turns the knob the other way.
int32_t GrabFactor(const SkinRect& bounds, int32_t x, int32_t y);

// The press: the button's press (hit test, tracking, toggle rule, capture, redraw); when it
// succeeds the cursor is hidden (unless a drag that lost its release still hides it, or the knob
// is realistic) and the leverage of the press point, or its angle, is taken.
KnobStep KnobPress(ButtonLogic& button, KnobFields& knob, bool inside, int32_t x, int32_t y);

// One movement during a drag to (x, y). Steps the state through the frame count, turns the
// value by the vertical distance from the centre (positions arrive as 16-bit numbers, so a
// pointer above the window counts as negative), and pins the cursor to the centre again. An
// indicator knob stops at its ends; a frame knob jumps to the other end. Returns the new value
// for an indicator knob, the change for a frame knob, 0 while idle.
KnobStep KnobDrag(ButtonLogic& button, KnobFields& knob, int32_t x, int32_t y);

// The release, wherever the pointer is: shows the cursor (that the press hid), releases the
// capture, ends the drag and applies the toggle rule to the state; no redraw. Returns 1, or 0
// while idle.
KnobStep KnobRelease(ButtonLogic& button, const KnobFields& knob);

// Indicator knobs: the top-left corner at which the dot is drawn for the current value, on the
// circle of `radius` around the centre of `bounds`, between startAngle and endAngle.
SkinPoint IndicatorOrigin(const KnobFields& knob, const SkinRect& bounds);

// Frame knobs: the frame for the current value, (value - minValue) x frameCount / (maxValue -
// minValue) truncated, modulo 12. The value maxValue itself shows frame 0 again.
int32_t FrameIndex(const KnobFields& knob, int32_t frameCount);

// Frame knobs: the frame to draw now, or -1 when nothing needs drawing because the frame is the
// one drawn last and `force` is not set. Remembers the frame as drawn.
int32_t FrameToDraw(KnobFields& knob, int32_t frameCount, bool force);
