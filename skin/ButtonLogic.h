// The behaviour of a skinned button, apart from the platform: which image it shows and how it
// answers the mouse. SkinButton (SkinWidgets.h) holds these fields, asks the platform whether
// the pointer is inside its region and carries out the returned step.
//
// A button is idle or pressed (`tracking`, the mouse captured). Pressing inside starts the
// press, releasing anywhere ends it, and only a release inside is a click. A push button shows
// state 1 while pressed with the pointer inside; a toggle shows the other of its two states
// while pressed inside and keeps it when released inside.
#pragma once

#include <cstdint>

#include "skin/SkinGeometry.h"

// What the platform side has to do after a mouse operation, in this order: capture or release
// the mouse, then redraw the button. `result` is the operation's result for the owner.
struct ButtonStep {
    int32_t result = 0;
    bool capture = false;
    bool releaseCapture = false;
    bool redraw = false;
};

class ButtonLogic {
public:
    int32_t savedState = 0;    // toggles: the state when the current press began
    int32_t isToggle = 0;      // 1 for a two-state (latching) button
    int32_t tracking = 0;      // a press is in progress and the mouse is captured
    int32_t clipToRegion = 0;  // drawing is clipped to the button's region
    int32_t visible = 1;       // Draw does nothing while 0
    int32_t state = 0;         // image shown, 0 to 3: 0 up or off, 1 down or on
    int32_t stateCount = 2;    // number of state images; a knob's frame count
    SkinRect bounds;           // bounding box of the button's region

    // A press at a point that is `inside` the button or not. Outside: result 0, nothing
    // changes. Inside: starts the press (push button down, toggle flipped), captures the mouse,
    // redraws, result 1. A press while one is still in progress (its release went elsewhere)
    // continues it: a toggle shows the pressed look of the state that press began from.
    ButtonStep Press(bool inside);
    // A movement while pressed: inside shows the pressed look (result 1), outside the resting
    // look (result 0). Result 0 and nothing else while idle.
    ButtonStep Move(bool inside);
    // The release: ends the press and releases the capture. Inside it is a click (result 1): a
    // toggle that was off stays on, everything else goes up. Outside the state stays what the
    // last movement left, the resting look. Result 0 and no release while idle.
    ButtonStep Release(bool inside);
    // Flips a toggle (result: the new state, redraw); a push button is left alone.
    ButtonStep Toggle();
    // 1 when state is 1, else 0.
    int32_t IsOn() const { return state == 1 ? 1 : 0; }

private:
    int32_t RestingState() const { return isToggle ? savedState : 0; }
    int32_t PressedState() const { return isToggle ? (savedState == 0 ? 1 : 0) : 1; }
};
