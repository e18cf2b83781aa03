#include "skin/KnobLogic.h"

#include <cmath>
#include <cstdint>

namespace {

// Radians per tenth of a degree. The constant is pi / 1800 rounded in its ninth digit; the dot's
// pixel positions are computed with it, and the knob pictures are drawn to match them.
constexpr double kRadiansPerTenthDegree = 0.0017453292521111112;
// A drag turns the knob by distance x range x grab x this factor.
constexpr double kDragScale = 0.0005;

// Truncates toward zero into the int32 range; values beyond it stop at its ends instead of
// being undefined.
int32_t TruncateToInt32(double v) {
    if (!(v > -2147483648.0)) return INT32_MIN;  // also NaN
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(v);
}

int32_t ClampToInt32(int64_t v) {
    if (v < INT32_MIN) return INT32_MIN;
    if (v > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(v);
}

// The largest r with r x r <= n, for n >= 0.
int64_t IntegerSquareRoot(int64_t n) {
    int64_t r = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
    while (r > 0 && r * r > n) --r;
    while ((r + 1) * (r + 1) <= n) ++r;
    return r;
}

}  // namespace

SkinPoint KnobCentre(const SkinRect& bounds) {
    return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

int32_t GrabFactor(const SkinRect& bounds, int32_t x, int32_t y) {
    const SkinPoint centre = KnobCentre(bounds);
    const int64_t dx = static_cast<int64_t>(centre.x) - x;
    const int64_t dy = static_cast<int64_t>(centre.y) - y;
    const int64_t distance = IntegerSquareRoot(dx * dx + dy * dy);
    const int32_t halfWidth = bounds.Width() / 2;
    const int32_t halfHeight = bounds.Height() / 2;
    return ClampToInt32((halfWidth > halfHeight ? halfWidth : halfHeight) - distance);
}

int32_t PointerAngle(SkinPoint centre, int32_t x, int32_t y) {
    const double dx = static_cast<int16_t>(x) - static_cast<double>(centre.x);
    const double dy = static_cast<int16_t>(y) - static_cast<double>(centre.y);
    if (dx * dx + dy * dy < static_cast<double>(kRealisticDeadZone) * kRealisticDeadZone)
        return -1;
    const double tenths = std::atan2(dy, dx) / kRadiansPerTenthDegree;
    const int32_t angle = static_cast<int32_t>(std::lround(tenths));
    return (angle % 3600 + 3600) % 3600;
}

KnobStep KnobPress(ButtonLogic& button, KnobFields& knob, bool inside, int32_t x, int32_t y) {
    // A drag whose release went to another window (the capture was taken away) is still in
    // progress, with the cursor hidden once. Hiding it again would leave the platform's count
    // one below visible after the next release: the cursor would stay hidden over the window.
    const bool alreadyHidden = button.tracking != 0;
    const ButtonStep pressed = button.Press(inside);
    KnobStep step;
    if (pressed.result == 0) return step;
    step.result = 1;
    step.capture = pressed.capture;
    step.redraw = pressed.redraw;
    // A realistic knob leaves the cursor alone. (The owner changes `realistic` only between
    // drags, so the release shows the cursor exactly when the press hid it.)
    step.hideCursor = !alreadyHidden && !knob.realistic;
    knob.grab = GrabFactor(button.bounds, x, y);
    knob.pointerAngle = PointerAngle(KnobCentre(button.bounds), x, y);
    return step;
}

KnobStep KnobDrag(ButtonLogic& button, KnobFields& knob, int32_t x, int32_t y) {
    KnobStep step;
    if (!button.tracking) return step;

    knob.moveCounter += 1;
    if (knob.moveCounter >= button.stateCount) knob.moveCounter = 0;
    button.state = knob.moveCounter;

    // Positions come from the platform as the low 16 bits of a message parameter: a pointer
    // above or left of the window arrives as a large 16-bit number that means a negative one.
    const SkinPoint centre = KnobCentre(button.bounds);
    const double range = static_cast<double>(knob.maxValue) - static_cast<double>(knob.minValue);
    int32_t delta = 0;
    if (knob.realistic) {
        // The turn since the last movement, the short way round; the cursor stays where it is.
        const int32_t angle = PointerAngle(centre, x, y);
        if (angle >= 0 && knob.pointerAngle >= 0) {
            int32_t turn = angle - knob.pointerAngle;
            if (turn > 1800) turn -= 3600;
            if (turn < -1800) turn += 3600;
            const double span = std::fabs(static_cast<double>(knob.endAngle) - knob.startAngle);
            if (span > 0) delta = TruncateToInt32(turn * range / span);
        }
        if (angle >= 0) knob.pointerAngle = angle;
    } else {
        const int32_t rise = static_cast<int16_t>(centre.y) - static_cast<int16_t>(y);
        delta = TruncateToInt32(rise * range * knob.grab * kDragScale);
    }

    if (!knob.realistic && (x != centre.x || y != centre.y)) {
        // The platform then reports a movement to the centre, which turns the knob by 0.
        step.recentre = true;
        step.centre = centre;
    }

    int64_t value = static_cast<int64_t>(knob.value) + delta;
    if (knob.frameMode == 0) {
        if (value < knob.minValue) value = knob.minValue;
        if (value > knob.maxValue) value = knob.maxValue;
    } else {
        // A jump to the other end, not a modulo.
        if (value < knob.minValue) value = knob.maxValue;
        if (value > knob.maxValue) value = knob.minValue;
    }
    knob.value = static_cast<int32_t>(value);
    step.result = knob.frameMode == 0 ? knob.value : delta;
    return step;
}

KnobStep KnobRelease(ButtonLogic& button, const KnobFields& knob) {
    KnobStep step;
    if (!button.tracking) return step;
    step.showCursor = !knob.realistic;
    step.releaseCapture = true;
    button.tracking = 0;
    button.state = button.isToggle && button.savedState == 0 ? 1 : 0;
    step.result = 1;
    return step;
}

SkinPoint IndicatorOrigin(const KnobFields& knob, const SkinRect& bounds) {
    // The angle in integers, the division truncating toward zero. An empty value range puts
    // the dot at the start angle instead of dividing by zero.
    const int64_t span = static_cast<int64_t>(knob.maxValue) - knob.minValue;
    int64_t angle = knob.startAngle;
    if (span != 0) {
        angle += (static_cast<int64_t>(knob.value) - knob.minValue) *
                 (static_cast<int64_t>(knob.endAngle) - knob.startAngle) / span;
    }
    const double theta = static_cast<double>(angle) * kRadiansPerTenthDegree;
    const int32_t ox = TruncateToInt32(knob.radius * std::cos(theta) - 0.5);
    const int32_t oy = TruncateToInt32(knob.radius * std::sin(theta) - 0.5);
    const double centreX = (static_cast<double>(bounds.left) + bounds.right) * 0.5;
    const double centreY = (static_cast<double>(bounds.top) + bounds.bottom) * 0.5;
    return {TruncateToInt32(ox + centreX - knob.indicatorBox.Width() * 0.5),
            TruncateToInt32(oy + centreY - knob.indicatorBox.Height() * 0.5)};
}

int32_t FrameIndex(const KnobFields& knob, int32_t frameCount) {
    const int64_t span = static_cast<int64_t>(knob.maxValue) - knob.minValue;
    if (span == 0) return 0;
    const int64_t scaled = (static_cast<int64_t>(knob.value) - knob.minValue) * frameCount;
    // The knob's picture strip holds 12 frames: the index wraps at 12 whatever frame count the
    // caller scales by, so it never reads past the strip.
    return TruncateToInt32(static_cast<double>(scaled) / static_cast<double>(span)) % 12;
}

int32_t FrameToDraw(KnobFields& knob, int32_t frameCount, bool force) {
    const int32_t frame = FrameIndex(knob, frameCount);
    if (frame == knob.lastFrame && !force) return -1;
    knob.lastFrame = frame;
    return frame;
}
