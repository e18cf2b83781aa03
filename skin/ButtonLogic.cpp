#include "skin/ButtonLogic.h"

ButtonStep ButtonLogic::Press(bool inside) {
    ButtonStep step;
    if (!inside) return step;
    if (isToggle) {
        // A press whose release went to another window (the capture was taken away) is still
        // in progress: it keeps the state it began from, or the next release inside would take
        // the pressed look for the starting state and leave the toggle where it was.
        if (!tracking) savedState = state;
        state = savedState == 1 ? 0 : 1;
    } else {
        state = 1;
    }
    tracking = 1;
    step.result = 1;
    step.capture = true;
    step.redraw = true;
    return step;
}

ButtonStep ButtonLogic::Move(bool inside) {
    ButtonStep step;
    if (!tracking) return step;
    if (inside) {
        // Back inside: a push button goes down again, a toggle shows its pressed look again if
        // a move outside had put it back to where the press began.
        if (isToggle ? state == savedState : state != 1) {
            state = PressedState();
            step.redraw = true;
        }
        step.result = 1;
        return step;
    }
    if (state != RestingState()) {
        state = RestingState();
        step.redraw = true;
    }
    return step;
}

ButtonStep ButtonLogic::Release(bool inside) {
    ButtonStep step;
    if (!tracking) return step;
    tracking = 0;
    step.releaseCapture = true;
    if (!inside) return step;
    state = isToggle && savedState == 0 ? 1 : 0;
    step.redraw = true;
    step.result = 1;
    return step;
}

ButtonStep ButtonLogic::Toggle() {
    ButtonStep step;
    if (isToggle) {
        state = state == 0 ? 1 : 0;
        step.redraw = true;
    }
    step.result = state;
    return step;
}
