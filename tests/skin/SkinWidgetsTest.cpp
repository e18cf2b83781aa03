// Skinned buttons and knobs under Wine: mouse capture, the hidden and re-centred cursor, and
// what Draw copies where.
#include "skin/SkinWidgets.h"

#include <gtest/gtest.h>

#include "skin/GdiHandles.h"
#include "skin/Surface.h"
#include "tests/skin/WinTestSupport.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// A surface of the given size painted in one colour (0x00RRGGBB).
void Paint(Surface& surface, int32_t width, int32_t height, uint32_t colour) {
    ASSERT_EQ(surface.CreateBlank(width, height), 1);
    HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    RECT all{0, 0, width, height};
    FillRect(surface.dc, &all, brush);
    DeleteObject(brush);
}

// The cursor's display count, unchanged.
int CursorCount() {
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

// The cursor's position in the window's client coordinates.
POINT CursorInClient(HWND window) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    return p;
}

}  // namespace

TEST(SkinButtonTest, PressCapturesTheMouseAndReleaseEndsTheCapture) {
    TestWindow window(100, 80);
    OwnedRegion region(CreateEllipticRgn(10, 10, 50, 40));
    SkinButton button;
    EXPECT_EQ(button.SetRegion(region.Get(), window.Get()), COMPLEXREGION);
    RECT box{};
    GetRgnBox(region.Get(), &box);
    EXPECT_EQ(button.bounds, (SkinRect{box.left, box.top, box.right, box.bottom}));

    EXPECT_EQ(button.OnMouseDown(11, 11), 0) << "a corner of the box lies outside the ellipse";
    EXPECT_EQ(GetCapture(), nullptr);

    EXPECT_EQ(button.OnMouseDown(30, 25), 1);
    EXPECT_EQ(GetCapture(), window.Get());
    EXPECT_EQ(button.OnMouseMove(70, 70), 0);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(button.OnMouseMove(30, 25), 1);
    EXPECT_EQ(button.state, 1);
    EXPECT_EQ(button.OnMouseUp(30, 25), 1) << "released inside: a click";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(button.OnSetCursor(30, 25), 0);
}

TEST(SkinButtonTest, ReleaseWithoutPressKeepsSomeoneElsesCapture) {
    TestWindow window(100, 80);
    OwnedRegion region(CreateRectRgn(10, 10, 50, 40));
    SkinButton button;
    button.SetRegion(region.Get(), window.Get());
    SetCapture(window.Get());
    EXPECT_EQ(button.OnMouseUp(20, 20), 0);
    EXPECT_EQ(GetCapture(), window.Get());
    ReleaseCapture();
}

TEST(SkinButtonTest, DrawCopiesTheStatesImageClippedToTheRegion) {
    Surface up;
    Surface down;
    Surface target;
    Paint(up, 100, 80, 0x0000FF);
    Paint(down, 100, 80, 0x00FF00);
    Paint(target, 100, 80, kWhite);
    OwnedRegion region(CreateEllipticRgn(10, 10, 50, 40));

    SkinButton button;
    button.SetRegion(region.Get(), nullptr);
    button.SetImages(up.dc, down.dc);
    EXPECT_EQ(button.stateCount, 2);
    button.state = 1;
    button.clipToRegion = 1;
    button.Draw(target.dc);
    EXPECT_EQ(PixelAt(target.dc, 30, 25), 0x00FF00u) << "the centre shows the down image";
    EXPECT_EQ(PixelAt(target.dc, 10, 10), kWhite) << "a corner of the box is outside the region";
    EXPECT_EQ(PixelAt(target.dc, 55, 25), kWhite) << "beyond the box";

    SelectClipRgn(target.dc, nullptr);
    button.clipToRegion = 0;
    button.state = 0;
    button.Draw(target.dc);
    EXPECT_EQ(PixelAt(target.dc, 10, 10), 0x0000FFu) << "unclipped, the whole box is copied";

    button.visible = 0;
    button.state = 1;
    button.Draw(target.dc);
    EXPECT_EQ(PixelAt(target.dc, 30, 25), 0x0000FFu) << "an invisible button draws nothing";
}

TEST(SkinButtonTest, ThirdAndFourthImagesRaiseTheStateCount) {
    Surface a, b, c, d;
    SkinButton button;
    button.SetImages(a.dc, b.dc, c.dc, d.dc);
    EXPECT_EQ(button.stateCount, 4);
    SkinButton three;
    three.SetImages(a.dc, b.dc, c.dc, nullptr);
    EXPECT_EQ(three.stateCount, 3);
    SkinButton two;
    two.SetImages(a.dc, b.dc, nullptr, d.dc);
    EXPECT_EQ(two.stateCount, 2) << "a fourth image without a third is ignored";
}

TEST(SkinKnobTest, DragHidesThePointerAndPinsItToTheCentre) {
    TestWindow window(177, 292);
    ShowWindow(window.Get(), SW_SHOWNOACTIVATE);
    OwnedRegion region(CreateEllipticRgn(97, 111, 144, 158));
    SkinKnob seek;
    seek.SetRegion(region.Get(), window.Get());
    seek.SetRange(0, 3600, 0, 65535, 13);
    seek.stateCount = 12;
    seek.frameMode = 1;
    seek.isToggle = 1;

    const int shown = CursorCount();
    ASSERT_EQ(seek.OnMouseDown(120, 134), 1);
    EXPECT_EQ(seek.grab, 23.0);
    EXPECT_EQ(GetCapture(), window.Get());
    EXPECT_EQ(CursorCount(), shown - 1) << "the press hid the cursor";

    EXPECT_EQ(seek.OnMouseMove(120, 133), 753);
    const POINT pinned = CursorInClient(window.Get());
    EXPECT_EQ(pinned.x, 120);
    EXPECT_EQ(pinned.y, 134);

    EXPECT_EQ(seek.OnMouseUp(0, 0), 1) << "released far outside, still the end of the drag";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(CursorCount(), shown) << "shown again";
    EXPECT_EQ(seek.state, 1);
    EXPECT_EQ(seek.value, 753);
}

TEST(SkinKnobTest, FrameKnobDrawsItsFrameOnlyWhenItChangesOrIsForced) {
    Surface frames[12];
    for (int32_t k = 0; k < 12; ++k) Paint(frames[k], 49, 49, 0x100000u * (k + 1) + 0x40);
    Surface target;
    Paint(target, 177, 292, kWhite);
    OwnedRegion region(CreateRectRgn(97, 111, 144, 158));

    SkinKnob seek;
    seek.SetRegion(region.Get(), nullptr);
    seek.SetRange(0, 3600, 0, 65535, 13);
    seek.SetFrames(frames, 12);
    seek.SetSourceOrigin(1, 1);
    seek.frameMode = 1;
    seek.clipToRegion = 1;

    seek.value = 32768;
    seek.Draw(target.dc, 0);
    EXPECT_EQ(PixelAt(target.dc, 120, 134), PixelAt(frames[6].dc, 24, 24)) << "frame 6";

    SetPixel(target.dc, 120, 134, RGB(255, 255, 255));
    seek.Draw(target.dc, 0);
    EXPECT_EQ(PixelAt(target.dc, 120, 134), kWhite) << "same frame, not forced: nothing drawn";
    seek.Draw(target.dc, 1);
    EXPECT_EQ(PixelAt(target.dc, 120, 134), PixelAt(frames[6].dc, 24, 24)) << "forced";

    seek.value = 65534;
    seek.Draw(target.dc, 0);
    EXPECT_EQ(PixelAt(target.dc, 120, 134), PixelAt(frames[11].dc, 24, 24)) << "frame 11";
    EXPECT_EQ(PixelAt(target.dc, 96, 134), kWhite) << "left of the knob";
}

TEST(SkinKnobTest, IndicatorKnobDrawsTheDotOverItsBackground) {
    Surface normal[2];
    Paint(normal[0], 177, 292, 0x404040);
    Paint(normal[1], 177, 292, 0x606060);
    Surface dot;
    Paint(dot, 3, 3, 0xFF0000);
    Surface target;
    Paint(target, 177, 292, kWhite);
    OwnedRegion region(CreateRectRgn(148, 143, 168, 162));
    OwnedRegion dotRegion(CreateRectRgn(0, 0, 3, 3));

    SkinKnob volume;
    volume.SetRegion(region.Get(), nullptr);
    volume.SetRange(900, 3150, 1, 65535, 9);
    volume.SetFrames(normal, 1);
    volume.UseBoundsAsSource();
    EXPECT_EQ(volume.sourceX, 148);
    EXPECT_EQ(volume.sourceY, 143);
    volume.SetIndicator(dot.dc, dotRegion.Get());
    volume.isToggle = 1;
    volume.clipToRegion = 1;

    volume.value = 32768;
    volume.Draw(target.dc, 0);
    EXPECT_EQ(PixelAt(target.dc, 148, 148), 0xFF0000u) << "the dot's top-left at (148, 148)";
    EXPECT_EQ(PixelAt(target.dc, 150, 150), 0xFF0000u);
    EXPECT_EQ(PixelAt(target.dc, 151, 151), 0x404040u) << "background of state 0";
    EXPECT_EQ(PixelAt(target.dc, 147, 148), kWhite) << "outside the knob";
    RECT moved{};
    GetRgnBox(dotRegion.Get(), &moved);
    EXPECT_EQ(moved.left, 148);
    EXPECT_EQ(moved.top, 148);

    SelectClipRgn(target.dc, nullptr);
    volume.state = 1;
    volume.value = 65535;
    volume.Draw(target.dc, 0);
    EXPECT_EQ(PixelAt(target.dc, 161, 145), 0xFF0000u) << "the dot at (161, 145)";
    EXPECT_EQ(PixelAt(target.dc, 149, 149), 0x606060u) << "the old dot is gone: state 1's background";
}
