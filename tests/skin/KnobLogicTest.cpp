// Knob arithmetic with the main window's two knobs: the volume knob (an indicator knob) and the
// seek knob (a frame knob), set up as the main window sets them up.
#include "skin/KnobLogic.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TestKnob {
    ButtonLogic button;
    KnobFields knob;

    KnobStep Press(int32_t x, int32_t y) {
        return KnobPress(button, knob, button.bounds.Contains(x, y), x, y);
    }
    KnobStep Drag(int32_t x, int32_t y) { return KnobDrag(button, knob, x, y); }
    KnobStep Release() { return KnobRelease(button, knob); }
};

TestKnob VolumeKnob() {
    TestKnob k;
    k.button.bounds = {148, 143, 168, 162};
    k.button.isToggle = 1;
    k.button.clipToRegion = 1;
    k.button.stateCount = 1;
    k.knob.startAngle = 900;
    k.knob.endAngle = 3150;
    k.knob.minValue = 1;
    k.knob.maxValue = 65535;
    k.knob.radius = 9;
    k.knob.indicatorBox = {0, 0, 3, 3};
    return k;
}

TestKnob SeekKnob() {
    TestKnob k;
    k.button.bounds = {97, 111, 144, 158};
    k.button.isToggle = 1;
    k.button.clipToRegion = 1;
    k.button.stateCount = 12;
    k.knob.startAngle = 0;
    k.knob.endAngle = 3600;
    k.knob.minValue = 0;
    k.knob.maxValue = 65535;
    k.knob.radius = 13;
    k.knob.frameMode = 1;
    return k;
}

std::string Show(const SkinPoint& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

}  // namespace

TEST(KnobLogicTest, VolumeDotFollowsTheValueAroundTheKnob) {
    TestKnob volume = VolumeKnob();
    const struct {
        int32_t value;
        SkinPoint dot;
    } cases[] = {{0, {156, 159}}, {1, {156, 159}}, {32768, {148, 148}}, {65535, {161, 145}}};
    for (const auto& c : cases) {
        volume.knob.value = c.value;
        const SkinPoint dot = IndicatorOrigin(volume.knob, volume.button.bounds);
        EXPECT_EQ(dot, c.dot) << "value " << c.value << ": " << Show(dot);
    }
}

TEST(KnobLogicTest, SeekFramesStepEvery5462AndWrapToFrame0AtTheEnd) {
    TestKnob seek = SeekKnob();
    const struct {
        int32_t value;
        int32_t frame;
    } cases[] = {{0, 0}, {5461, 0}, {5462, 1}, {32768, 6}, {65534, 11}, {65535, 0}};
    for (const auto& c : cases) {
        seek.knob.value = c.value;
        EXPECT_EQ(FrameIndex(seek.knob, 12), c.frame) << "value " << c.value;
    }
}

TEST(KnobLogicTest, FrameIsDrawnOnlyWhenItChangesUnlessForced) {
    TestKnob seek = SeekKnob();
    EXPECT_EQ(FrameToDraw(seek.knob, 12, false), 0) << "nothing drawn yet";
    EXPECT_EQ(FrameToDraw(seek.knob, 12, false), -1);
    seek.knob.value = 5000;
    EXPECT_EQ(FrameToDraw(seek.knob, 12, false), -1) << "still frame 0";
    EXPECT_EQ(FrameToDraw(seek.knob, 12, true), 0);
    seek.knob.value = 6000;
    EXPECT_EQ(FrameToDraw(seek.knob, 12, false), 1);
    EXPECT_EQ(seek.knob.lastFrame, 1);
}

TEST(KnobLogicTest, DegenerateRangesDoNotDivideByZero) {
    TestKnob knob = VolumeKnob();
    knob.knob.minValue = knob.knob.maxValue = 5;
    knob.knob.value = 5;
    EXPECT_EQ(IndicatorOrigin(knob.knob, knob.button.bounds), (SkinPoint{156, 159}));
    EXPECT_EQ(FrameIndex(knob.knob, 12), 0);
}

TEST(KnobLogicTest, GrabFactorIsLargestAtTheCentreAndNegativeInTheCorners) {
    TestKnob volume = VolumeKnob();
    EXPECT_EQ(KnobCentre(volume.button.bounds), (SkinPoint{158, 152}));
    EXPECT_EQ(GrabFactor(volume.button.bounds, 158, 152), 10);
    EXPECT_EQ(GrabFactor(volume.button.bounds, 148, 152), 0) << "on the rim";

    TestKnob seek = SeekKnob();
    EXPECT_EQ(KnobCentre(seek.button.bounds), (SkinPoint{120, 134}));
    EXPECT_EQ(GrabFactor(seek.button.bounds, 120, 134), 23);
    EXPECT_EQ(GrabFactor(seek.button.bounds, 123, 138), 18) << "5 pixels from the centre";
    EXPECT_EQ(GrabFactor(seek.button.bounds, 97, 111), -9) << "corner: sqrt(2 x 23^2) = 32";
}

TEST(KnobLogicTest, PressHidesTheCursorAndTakesTheGrab) {
    TestKnob volume = VolumeKnob();
    const KnobStep step = volume.Press(158, 152);
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.capture);
    EXPECT_TRUE(step.hideCursor);
    EXPECT_EQ(volume.knob.grab, 10.0);
    EXPECT_EQ(volume.button.tracking, 1);

    TestKnob other = VolumeKnob();
    const KnobStep outside = other.Press(100, 100);
    EXPECT_EQ(outside.result, 0);
    EXPECT_FALSE(outside.hideCursor);
    EXPECT_EQ(other.button.tracking, 0);
}

TEST(KnobLogicTest, OnePixelUpTurnsVolumeBy327AndSeekBy753) {
    TestKnob volume = VolumeKnob();
    volume.Press(158, 152);
    KnobStep step = volume.Drag(158, 151);
    EXPECT_EQ(step.result, 327) << "an indicator knob returns its value";
    EXPECT_EQ(volume.knob.value, 327);
    EXPECT_TRUE(step.recentre);
    EXPECT_EQ(step.centre, (SkinPoint{158, 152}));

    // The platform reports the movement back to the centre: no change, no new re-centring.
    step = volume.Drag(158, 152);
    EXPECT_EQ(step.result, 327);
    EXPECT_FALSE(step.recentre);

    TestKnob seek = SeekKnob();
    seek.Press(120, 134);
    step = seek.Drag(120, 133);
    EXPECT_EQ(step.result, 753) << "a frame knob returns the change";
    EXPECT_EQ(seek.knob.value, 753);
    step = seek.Drag(125, 136);
    EXPECT_EQ(step.result, -1507) << "two pixels down: trunc(-2 x 65535 x 23 / 2000)";
    EXPECT_TRUE(step.recentre) << "a sideways movement is re-centred too";
}

TEST(KnobLogicTest, IndicatorKnobStopsAtItsEnds) {
    TestKnob volume = VolumeKnob();
    volume.Press(158, 152);
    for (int i = 0; i < 10; ++i) volume.Drag(158, 100);
    EXPECT_EQ(volume.knob.value, 65535);
    for (int i = 0; i < 10; ++i) volume.Drag(158, 200);
    EXPECT_EQ(volume.knob.value, 1);
}

TEST(KnobLogicTest, FrameKnobJumpsToTheOtherEnd) {
    TestKnob seek = SeekKnob();
    seek.Press(120, 134);
    seek.Drag(120, 135);  // one pixel down from 0
    EXPECT_EQ(seek.knob.value, 65535);
    seek.Drag(120, 133);  // one pixel up from the end
    EXPECT_EQ(seek.knob.value, 0) << "a jump to the start, not a modulo";
}

TEST(KnobLogicTest, PositionsAboveTheWindowArriveAs16BitNumbers) {
    // A pointer one pixel above the window arrives as 65535, which means -1: the knob turns up
    // by 153 pixels' worth instead of down by 65383.
    TestKnob volume = VolumeKnob();
    volume.Press(158, 152);
    volume.Drag(158, 65535);
    EXPECT_EQ(volume.knob.value, 50133);  // trunc(153 x 65534 x 10 / 2000)
}

TEST(KnobLogicTest, DragStepsTheStateThroughTheFrameCount) {
    TestKnob seek = SeekKnob();
    seek.Press(120, 134);
    for (int32_t move = 1; move <= 13; ++move) {
        seek.Drag(120, 134);
        EXPECT_EQ(seek.button.state, move % 12) << "move " << move;
    }

    TestKnob volume = VolumeKnob();
    volume.Press(158, 152);
    volume.Drag(158, 150);
    EXPECT_EQ(volume.button.state, 0) << "a frame count of 1 keeps state 0 while dragging";
}

TEST(KnobLogicTest, ReleaseAnywhereEndsTheDragAndShowsTheCursor) {
    TestKnob volume = VolumeKnob();
    volume.Press(158, 152);
    volume.Drag(158, 150);
    KnobStep step = volume.Release();
    EXPECT_EQ(step.result, 1);
    EXPECT_TRUE(step.showCursor);
    EXPECT_TRUE(step.releaseCapture);
    EXPECT_FALSE(step.redraw);
    EXPECT_EQ(volume.button.tracking, 0);
    EXPECT_EQ(volume.button.state, 1) << "toggle rule: a drag begun from state 0 ends in 1";

    volume.Press(158, 152);
    EXPECT_EQ(volume.Release().result, 1);
    EXPECT_EQ(volume.button.state, 0) << "a drag begun from state 1 ends in 0";

    step = volume.Release();
    EXPECT_EQ(step.result, 0) << "idle";
    EXPECT_FALSE(step.showCursor);
    EXPECT_FALSE(step.releaseCapture);
}

TEST(KnobLogicTest, PressAfterALostReleaseDoesNotHideTheCursorTwice) {
    // The capture was taken away mid-drag, so the release went elsewhere; the user presses again.
    TestKnob volume = VolumeKnob();
    int32_t hidden = 0;  // the platform's display count below visible
    const auto count = [&hidden](const KnobStep& step) {
        if (step.hideCursor) ++hidden;
        if (step.showCursor) --hidden;
    };
    count(volume.Press(158, 152));
    count(volume.Drag(158, 150));
    count(volume.Press(158, 152));
    EXPECT_EQ(volume.button.tracking, 1);
    count(volume.Release());
    EXPECT_EQ(hidden, 0) << "the one release must make the cursor visible again";
}

TEST(KnobLogicTest, IdleKnobIgnoresDrags) {
    TestKnob seek = SeekKnob();
    const KnobStep step = seek.Drag(120, 100);
    EXPECT_EQ(step.result, 0);
    EXPECT_FALSE(step.recentre);
    EXPECT_EQ(seek.knob.value, 0);
    EXPECT_EQ(seek.knob.moveCounter, 0);
}

TEST(KnobLogicTest, RealisticKnobsTurnWithThePointersAngleAndLeaveTheCursorAlone) {
    // Quarter turns around each knob's centre, with the angles they sweep and the value each
    // turn gives (volume: a value; seek: the change).
    struct Case {
        const char* what;
        TestKnob knob;
        int32_t startValue;
        std::vector<SkinPoint> path;  // the press, then the moves
        int32_t expected;
    };
    TestKnob volume = VolumeKnob();
    volume.knob.realistic = 1;
    TestKnob seek = SeekKnob();
    seek.knob.realistic = 1;
    // Around the volume knob's centre (158, 152): its 225 degrees span the range 1..65535, so
    // each eighth of a turn adds 450 x 65534 / 2250 = 13106. The seek knob's whole turn is its
    // whole range: a quarter turn is a change of 900 x 65535 / 3600 = 16383.
    const Case cases[] = {
        {"volume, clockwise quarter", volume, 1000, {{167, 152}, {165, 159}, {158, 162}}, 27212},
        {"volume, anticlockwise stops at the bottom", volume, 1000,
         {{158, 161}, {165, 159}, {168, 152}}, 1},
        {"seek, a whole clockwise turn across the angle's wrap", seek, 0,
         {{130, 134}, {120, 144}, {110, 134}, {120, 124}, {130, 134}}, 16383},
        {"near the centre nothing turns", volume, 5000, {{158, 152}, {159, 153}, {157, 151}}, 5000},
    };
    for (const Case& c : cases) {
        TestKnob k = c.knob;
        k.knob.value = c.startValue;
        const KnobStep press = k.Press(c.path[0].x, c.path[0].y);
        EXPECT_EQ(press.result, 1) << c.what;
        EXPECT_FALSE(press.hideCursor) << c.what;
        int32_t last = c.startValue;
        for (size_t i = 1; i < c.path.size(); ++i) {
            const KnobStep step = k.Drag(c.path[i].x, c.path[i].y);
            EXPECT_FALSE(step.recentre) << c.what;
            last = k.knob.frameMode ? step.result : step.result != 0 ? step.result : last;
        }
        EXPECT_EQ(c.knob.knob.frameMode ? last : k.knob.value, c.expected) << c.what;
        EXPECT_FALSE(k.Release().showCursor) << c.what;
    }
}
