// Regions cut from bitmaps made in the test: every pixel's membership is checked against the
// colours that were painted.
#include "skin/RegionFromBitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/GdiHandles.h"
#include "tests/skin/WinTestSupport.h"

namespace {

constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

struct Map {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    uint32_t& at(int32_t x, int32_t y) { return pixels[y * width + x]; }
};

// A 60 x 40 grey map with two red squares, a blue ring around the second and a red frame
// touching the right edge.
Map TwoSquares() {
    Map map{60, 40, std::vector<uint32_t>(60 * 40, kGrey)};
    for (int32_t y = 5; y < 15; ++y)
        for (int32_t x = 5; x < 15; ++x) map.at(x, y) = kRed;
    for (int32_t y = 18; y < 34; ++y)
        for (int32_t x = 20; x < 36; ++x) map.at(x, y) = kBlue;
    for (int32_t y = 21; y < 31; ++y)
        for (int32_t x = 23; x < 33; ++x) map.at(x, y) = kRed;
    for (int32_t y = 0; y < 40; ++y) map.at(59, y) = kRed;
    return map;
}

RECT Box(HRGN region) {
    RECT box{};
    GetRgnBox(region, &box);
    return box;
}

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Checks every pixel of the map against `inside`.
template <class Inside>
void ExpectMembership(HRGN region, const Map& map, Inside inside) {
    int32_t wrong = 0;
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) {
            const bool expected = inside(x, y);
            if ((PtInRegion(region, x, y) != 0) != expected && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") should be "
                              << (expected ? "inside" : "outside");
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(RegionFromBitmapTest, ConnectedFormCutsOneAreaOfItsColour) {
    Map map = TwoSquares();
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    OwnedRegion first(RegionFromBitmap(bitmap.Get(), 9, 9, 0, 1));
    EXPECT_EQ(Show(Box(first.Get())), "(5, 5)-(15, 15)");
    ExpectMembership(first.Get(), map, [](int32_t x, int32_t y) {
        return x >= 5 && x < 15 && y >= 5 && y < 15;
    });
    OwnedRegion second(RegionFromBitmap(bitmap.Get(), 25, 25, 0, 1));
    EXPECT_EQ(Show(Box(second.Get())), "(23, 21)-(33, 31)");
}

TEST(RegionFromBitmapTest, SameColourFormJoinsEveryAreaOfItsColour) {
    Map map = TwoSquares();
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    OwnedRegion red(RegionFromBitmap(bitmap.Get(), 9, 9, 0, 0));
    EXPECT_EQ(Show(Box(red.Get())), "(5, 0)-(60, 40)");
    ExpectMembership(red.Get(), map, [&](int32_t x, int32_t y) { return map.at(x, y) == kRed; });
}

TEST(RegionFromBitmapTest, ExcludingFormIsTheShapeAroundTheBackground) {
    Map map = TwoSquares();
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    OwnedRegion shape(RegionFromBitmap(bitmap.Get(), 0, 0, 1, 0));
    ExpectMembership(shape.Get(), map, [&](int32_t x, int32_t y) { return map.at(x, y) != kGrey; });
    EXPECT_FALSE(PtInRegion(shape.Get(), 0, 0));
}

TEST(RegionFromBitmapTest, NearlyEqualColoursStayApart) {
    // Read at 8 bits per pixel, colours this close would fall on one palette entry.
    Map map{20, 10, std::vector<uint32_t>(200, 0x808080)};
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 10; x < 20; ++x) map.at(x, y) = 0x818080;
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    OwnedRegion left(RegionFromBitmap(bitmap.Get(), 2, 2, 0, 1));
    EXPECT_EQ(Show(Box(left.Get())), "(0, 0)-(10, 10)");
}

TEST(RegionFromBitmapTest, SamplePointOutsideTheBitmapGivesAnEmptyRegion) {
    Map map = TwoSquares();
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    const POINT outside[] = {{-1, 0}, {0, -1}, {60, 0}, {0, 40}, {5000, 5000}};
    for (const POINT& p : outside) {
        for (int32_t form = 0; form < 3; ++form) {
            OwnedRegion region(RegionFromBitmap(bitmap.Get(), p.x, p.y, form == 0, form == 1));
            ASSERT_TRUE(region) << "(" << p.x << ", " << p.y << ") form " << form;
            RECT box{};
            EXPECT_EQ(GetRgnBox(region.Get(), &box), NULLREGION)
                << "(" << p.x << ", " << p.y << ") form " << form;
        }
    }
}

TEST(RegionFromBitmapTest, BitmapsFarLargerThanAnyMapGiveAnEmptyRegion) {
    // On a 32-bit system width x height of a big enough bitmap would wrap around and the pixel
    // copy would be too small for what GetDIBits writes; such bitmaps are refused before that.
    OwnedBitmap huge(CreateBitmap(4097, 4097, 1, 1, nullptr));
    ASSERT_TRUE(huge);
    OwnedRegion region(RegionFromBitmap(huge.Get(), 0, 0, 0, 1));
    ASSERT_TRUE(region);
    RECT box{};
    EXPECT_EQ(GetRgnBox(region.Get(), &box), NULLREGION);
}

TEST(RegionFromBitmapTest, SelectionsOfThousandsOfRectanglesAreCutWhole) {
    // A checkerboard needs one rectangle per selected pixel: 5000 here, well past the 2048 that
    // a fixed buffer would hold.
    Map map{100, 100, std::vector<uint32_t>(10000, 0)};
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x) map.at(x, y) = (x + y) % 2 == 0 ? kRed : kBlue;
    OwnedBitmap bitmap(MakeBitmap(map.width, map.height, map.pixels));
    OwnedRegion red(RegionFromBitmap(bitmap.Get(), 0, 0, 0, 0));
    EXPECT_EQ(Show(Box(red.Get())), "(0, 0)-(100, 100)");
    ExpectMembership(red.Get(), map, [&](int32_t x, int32_t y) { return map.at(x, y) == kRed; });
}

TEST(RegionFromBitmapTest, PaletteBitmapsAreReadByColour) {
    // A 4-bit map as the resource compiler stores them, turned into a device bitmap.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 8;
    info.header.biHeight = -4;
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 16;
    info.colours[1] = {0, 0, 255, 0};    // red
    info.colours[2] = {255, 255, 0, 0};  // cyan
    // Rows of 8 pixels, 4 bytes each: index 1 in a 4 x 2 block, index 2 elsewhere.
    const uint8_t rows[16] = {0x22, 0x22, 0x22, 0x22, 0x21, 0x11, 0x12, 0x22,
                              0x21, 0x11, 0x12, 0x22, 0x22, 0x22, 0x22, 0x22};
    HDC screen = GetDC(nullptr);
    OwnedBitmap bitmap(CreateDIBitmap(screen, &info.header, CBM_INIT, rows,
                                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS));
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(bitmap);
    OwnedRegion block(RegionFromBitmap(bitmap.Get(), 2, 1, 0, 1));
    EXPECT_EQ(Show(Box(block.Get())), "(1, 1)-(5, 3)");
}
