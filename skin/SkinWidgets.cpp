#include "skin/SkinWidgets.h"

#include "resources/ResourceIds.h"
#include "skin/GdiHandles.h"
#include "skin/Surface.h"

namespace {

SkinRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---- SkinButton --------------------------------------------------------------------------

void SkinButton::SetImages(HDC dc0, HDC dc1, HDC dc2, HDC dc3) {
    stateDc[0] = dc0;
    stateDc[1] = dc1;
    if (dc2 != nullptr) {
        stateDc[2] = dc2;
        stateCount = 3;
        if (dc3 != nullptr) {
            stateDc[3] = dc3;
            stateCount = 4;
        }
    }
}

int32_t SkinButton::SetRegion(HRGN newRegion, HWND owner) {
    useRegion = 1;
    region = newRegion;
    window = owner;
    RECT box{};
    const int32_t result = GetRgnBox(newRegion, &box);
    bounds = FromRect(box);
    return result;
}

int32_t SkinButton::HitTest(int32_t x, int32_t y) const {
    if (useRegion) return PtInRegion(region, x, y) ? 1 : 0;
    return bounds.Contains(x, y) ? 1 : 0;
}

int32_t SkinButton::OnMouseDown(int32_t x, int32_t y) {
    const ButtonStep step = Press(HitTest(x, y) != 0);
    Carry(step);
    return step.result;
}

int32_t SkinButton::OnMouseMove(int32_t x, int32_t y) {
    if (!tracking) return 0;
    const ButtonStep step = Move(HitTest(x, y) != 0);
    Carry(step);
    return step.result;
}

int32_t SkinButton::OnMouseUp(int32_t x, int32_t y) {
    if (!tracking) return 0;
    const ButtonStep step = Release(HitTest(x, y) != 0);
    Carry(step);
    return step.result;
}

int32_t SkinButton::OnSetCursor(int32_t, int32_t) const { return 0; }

void SkinButton::Draw(HDC dc) const {
    if (!visible) return;
    if (clipToRegion) SelectClipRgn(dc, region);
    // States beyond the four images draw from the target itself, which changes nothing.
    const HDC source = state >= 0 && state < 4 ? stateDc[state] : dc;
    if (source == nullptr) return;
    BitBlt(dc, bounds.left, bounds.top, bounds.Width(), bounds.Height(), source, bounds.left,
           bounds.top, SRCCOPY);
}

void SkinButton::Redraw() const {
    if (window == nullptr) return;
    WindowDc dc(window);
    if (dc) Draw(dc.Get());
}

int32_t SkinButton::Toggle() {
    const ButtonStep step = ButtonLogic::Toggle();
    Carry(step);
    return step.result;
}

void SkinButton::Carry(const ButtonStep& step) const {
    if (step.capture) SetCapture(window);
    if (step.releaseCapture) ReleaseCapture();
    if (step.redraw) Redraw();
}

// ---- SkinKnob ----------------------------------------------------------------------------

SkinKnob::SkinKnob()
    : cursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCursorKnob))) {}

void SkinKnob::SetRange(int32_t newStartAngle, int32_t newEndAngle, int32_t newMinValue,
                        int32_t newMaxValue, int32_t newRadius) {
    startAngle = newStartAngle;
    endAngle = newEndAngle;
    minValue = newMinValue;
    maxValue = newMaxValue;
    radius = newRadius;
}

void SkinKnob::SetFrames(const Surface* table, int32_t count) {
    frames = table;
    stateCount = count;
}

void SkinKnob::SetSourceOrigin(int32_t x, int32_t y) {
    sourceX = x;
    sourceY = y;
}

void SkinKnob::UseBoundsAsSource() { SetSourceOrigin(bounds.left, bounds.top); }

int32_t SkinKnob::SetIndicator(HDC dc, HRGN newIndicatorRegion) {
    indicatorDc = dc;
    indicatorRegion = newIndicatorRegion;
    RECT box{};
    const int32_t result = GetRgnBox(newIndicatorRegion, &box);
    indicatorBox = FromRect(box);
    return result;
}

int32_t SkinKnob::OnMouseDown(int32_t x, int32_t y) {
    const KnobStep step = KnobPress(*this, *this, HitTest(x, y) != 0, x, y);
    Carry(step);
    return step.result;
}

int32_t SkinKnob::OnMouseMove(int32_t x, int32_t y) {
    const KnobStep step = KnobDrag(*this, *this, x, y);
    Carry(step);
    return step.result;
}

int32_t SkinKnob::OnMouseUp(int32_t, int32_t) {
    const KnobStep step = KnobRelease(*this, *this);
    Carry(step);
    return step.result;
}

int32_t SkinKnob::OnSetCursor(int32_t x, int32_t y) const {
    if (!HitTest(x, y)) return 0;
    SetCursor(cursor);
    return 1;
}

int32_t SkinKnob::GrabFactor(int32_t x, int32_t y) const { return ::GrabFactor(bounds, x, y); }

void SkinKnob::Draw(HDC dc, int32_t force) {
    if (frameMode == 0) {
        DrawIndicator(dc);
    } else {
        DrawFrame(dc, force);
    }
}

void SkinKnob::DrawIndicator(HDC dc) {
    const SkinPoint dot = IndicatorOrigin(*this, bounds);
    if (indicatorRegion != nullptr) {
        RECT box{};
        GetRgnBox(indicatorRegion, &box);
        OffsetRgn(indicatorRegion, dot.x - box.left, dot.y - box.top);
    }
    if (clipToRegion) SelectClipRgn(dc, region);
    if (frames != nullptr && state >= 0) {
        BitBlt(dc, bounds.left, bounds.top, bounds.Width(), bounds.Height(), frames[state].dc,
               sourceX, sourceY, SRCCOPY);
    }
    if (clipToRegion && indicatorRegion != nullptr) ExtSelectClipRgn(dc, indicatorRegion, RGN_AND);
    if (indicatorDc != nullptr) {
        BitBlt(dc, dot.x, dot.y, indicatorBox.Width(), indicatorBox.Height(), indicatorDc,
               indicatorBox.left, indicatorBox.top, SRCCOPY);
    }
}

void SkinKnob::DrawFrame(HDC dc, int32_t force) {
    const int32_t frame = FrameToDraw(*this, stateCount, force != 0);
    // A frame outside the table (a value outside the range, fewer than 12 frames) draws nothing.
    if (frame < 0 || frame >= stateCount || frames == nullptr) return;
    if (clipToRegion) SelectClipRgn(dc, region);
    BitBlt(dc, bounds.left, bounds.top, bounds.Width(), bounds.Height(), frames[frame].dc, sourceX,
           sourceY, SRCCOPY);
}

void SkinKnob::Carry(const KnobStep& step) const {
    if (step.capture) SetCapture(window);
    if (step.redraw) Redraw();
    if (step.hideCursor) ShowCursor(FALSE);
    if (step.showCursor) ShowCursor(TRUE);
    if (step.releaseCapture) ReleaseCapture();
    if (step.recentre) {
        POINT centre{step.centre.x, step.centre.y};
        ClientToScreen(window, &centre);
        SetCursorPos(centre.x, centre.y);
    }
}
