// The button state machine: press, move out and in, release inside and outside, toggles.
#include "skin/ButtonLogic.h"

#include <gtest/gtest.h>

namespace {

ButtonLogic PushButton() { return ButtonLogic{}; }

ButtonLogic ToggleButton() {
    ButtonLogic button;
    button.isToggle = 1;
    return button;
}

}  // namespace

TEST(ButtonLogicTest, PushButtonPressMoveOutMoveInReleaseInsideClicks) {
    ButtonLogic button = PushButton();

    // Press inside: down, mouse captured, redrawn.
    ButtonStep step = button.Press(true);
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.capture);
    EXPECT_TRUE(step.redraw);
    EXPECT_EQ(button.state, 1);
    EXPECT_EQ(button.tracking, 1);

    // Move out: it pops up.
    step = button.Move(false);
    EXPECT_EQ(step.result, 0);
    EXPECT_TRUE(step.redraw);
    EXPECT_EQ(button.state, 0);

    // Further moves outside change nothing and draw nothing.
    step = button.Move(false);
    EXPECT_FALSE(step.redraw);

    // Move back in: down again.
    step = button.Move(true);
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.redraw);
    EXPECT_EQ(button.state, 1);
    EXPECT_FALSE(button.Move(true).redraw) << "already down";

    // Release inside: the click.
    step = button.Release(true);
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.releaseCapture);
    EXPECT_TRUE(step.redraw);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.tracking, 0);
}

TEST(ButtonLogicTest, PushButtonReleasedOutsideIsNoClick) {
    ButtonLogic button = PushButton();
    button.Press(true);
    button.Move(false);
    const ButtonStep step = button.Release(false);
    EXPECT_EQ(step.result, 0);
    EXPECT_TRUE(step.releaseCapture) << "the capture ends wherever the release happens";
    EXPECT_FALSE(step.redraw);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.tracking, 0);
}

TEST(ButtonLogicTest, PressOutsideChangesNothing) {
    ButtonLogic button = ToggleButton();
    const ButtonStep step = button.Press(false);
    EXPECT_EQ(step.result, 0);
    EXPECT_FALSE(step.capture);
    EXPECT_FALSE(step.redraw);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.tracking, 0);
}

TEST(ButtonLogicTest, IdleButtonIgnoresMovesAndReleases) {
    ButtonLogic button = PushButton();
    const ButtonStep move = button.Move(true);
    EXPECT_EQ(move.result, 0);
    EXPECT_FALSE(move.redraw);
    const ButtonStep release = button.Release(true);
    EXPECT_EQ(release.result, 0);
    EXPECT_FALSE(release.releaseCapture) << "a release without a press must not end a capture";
    EXPECT_EQ(button.state, 0);
}

TEST(ButtonLogicTest, ToggleTurnsOnWithOneClickAndOffWithTheNext) {
    ButtonLogic button = ToggleButton();

    // Off: the press shows it on, moving out off again, moving in on again.
    EXPECT_EQ(button.Press(true).result, 1);
    EXPECT_EQ(button.state, 1);
    EXPECT_EQ(button.savedState, 0);
    button.Move(false);
    EXPECT_EQ(button.state, 0);
    button.Move(true);
    EXPECT_EQ(button.state, 1);
    // The release inside leaves it on.
    EXPECT_EQ(button.Release(true).result, 1);
    EXPECT_EQ(button.state, 1);
    EXPECT_EQ(button.IsOn(), 1);

    // The second click turns it off, showing off while pressed and on while outside.
    button.Press(true);
    EXPECT_EQ(button.savedState, 1);
    EXPECT_EQ(button.state, 0);
    button.Move(false);
    EXPECT_EQ(button.state, 1);
    button.Move(true);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.Release(true).result, 1);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.IsOn(), 0);
}

TEST(ButtonLogicTest, ToggleReleasedOutsideKeepsItsState) {
    ButtonLogic button = ToggleButton();
    button.Press(true);
    button.Move(false);
    EXPECT_EQ(button.Release(false).result, 0);
    EXPECT_EQ(button.state, 0) << "was off, stays off";

    button.state = 1;
    button.Press(true);
    button.Move(false);
    EXPECT_EQ(button.Release(false).result, 0);
    EXPECT_EQ(button.state, 1) << "was on, stays on";
}

TEST(ButtonLogicTest, TogglePressedAgainAfterALostReleaseStillTurnsOn) {
    // The capture was taken away mid-press, so the release went elsewhere; the user presses
    // again, still seeing the pressed look, and releases inside.
    ButtonLogic button = ToggleButton();
    button.Press(true);
    button.Move(true);
    EXPECT_EQ(button.Press(true).result, 1);
    EXPECT_EQ(button.state, 1) << "the pressed look of the press that began from off";
    EXPECT_EQ(button.Release(true).result, 1);
    EXPECT_EQ(button.state, 1) << "a click on a toggle that was off leaves it on";
}

TEST(ButtonLogicTest, ToggleAndIsOn) {
    ButtonLogic toggle = ToggleButton();
    ButtonStep step = toggle.Toggle();
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.redraw);
    EXPECT_EQ(toggle.IsOn(), 1);
    EXPECT_EQ(toggle.Toggle().result, 0);
    toggle.state = 3;
    EXPECT_EQ(toggle.IsOn(), 0) << "only state 1 is on";
    EXPECT_EQ(toggle.Toggle().result, 0) << "any state but 0 toggles to 0";

    ButtonLogic push = PushButton();
    push.state = 1;
    step = push.Toggle();
    EXPECT_EQ(step.result, 1) << "a push button is left alone";
    EXPECT_FALSE(step.redraw);
    EXPECT_EQ(push.state, 1);
}
