#include "app/Visualisation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kCyan = 0x0000FFFFu;
constexpr uint32_t kYellow = 0x00FFFF00u;

// A black 128 x 64 picture, as the window sets it up, and a visual-data buffer of exactly 2304
// values on the heap, so that AddressSanitizer sees any read past the last block.
struct Scope {
    PixelImage image;
    std::unique_ptr<int8_t[]> buffer{new int8_t[kVisBufferValues]()};

    Scope() {
        EXPECT_EQ(image.Create(128, 64), 1);
        image.Fill(0);
    }
    int8_t* Block(int index) { return buffer.get() + index * kVisBlockValues; }
    void FillBlock(int index, int8_t value) {
        std::fill(Block(index), Block(index) + kVisBlockValues, value);
    }
    uint32_t At(int32_t x, int32_t y) const { return image.pixels[y * image.width + x]; }
    void Frame(int32_t modes) { VisualiseFrame(image, buffer.get(), modes); }

    // Every lit pixel, for comparing whole pictures against the few pixels a case expects.
    std::vector<std::pair<int32_t, int32_t>> Lit() const {
        std::vector<std::pair<int32_t, int32_t>> lit;
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x)
                if (At(x, y) != 0) lit.emplace_back(x, y);
        return lit;
    }
};

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

TEST(VisualisationTest, SilentBlockDrawsACyanAndAYellowDotLineAndNoBars) {
    Scope scope;
    scope.Frame(kVisModeDots | kVisModeBars);

    for (int32_t x = 10; x <= 94; ++x) {
        SCOPED_TRACE("column " + std::to_string(x));
        EXPECT_EQ(Hex(scope.At(x, 26)), Hex(kCyan));
        EXPECT_EQ(Hex(scope.At(x, 38)), Hex(kYellow));
    }
    // Nothing else: no bar (n = -1), nothing in columns 9 or 95, nothing about row 32.
    EXPECT_EQ(scope.Lit().size(), 2u * 85u);
}

TEST(VisualisationTest, BarLengthComesFromTheLowFourBitsSoMinusOneDrawsFourteenAndSixteenNone) {
    Scope scope;
    scope.FillBlock(0, -1);  // smoothed -1: |a| = 1, ca = 239, bar of 14 above row 32
    scope.FillBlock(1, 16);  // smoothed 16: 16 & 15 = 0, no bar; cb = 0 (16 x 16 > 255)
    scope.Frame(kVisModeBars);

    const uint32_t upper = 0x00100000u;  // red 255 - 239, green cb = 0
    for (int32_t x = 10; x <= 94; ++x) {
        SCOPED_TRACE("column " + std::to_string(x));
        for (int32_t y = 18; y <= 31; ++y) {
            EXPECT_EQ(Hex(scope.At(x, y)), Hex(upper)) << "row " << y;
        }
    }
    EXPECT_EQ(scope.Lit().size(), 14u * 85u) << "no lower bar, nothing outside rows 18 to 31";

    Scope lower;
    lower.FillBlock(1, 5);  // four pixels below, green 255 - cb = 80, blue ca = 255
    lower.Frame(kVisModeBars);
    for (int32_t y = 33; y <= 36; ++y) {
        EXPECT_EQ(Hex(lower.At(50, y)), Hex(0x0050FFu)) << "row " << y;
    }
    EXPECT_EQ(lower.At(50, 37), 0u);
    EXPECT_EQ(lower.At(50, 32), 0u) << "the centre row is never drawn";
    EXPECT_EQ(lower.Lit().size(), 4u * 85u);
}

TEST(VisualisationTest, ColoursAreOredIntoWhatIsThere) {
    Scope scope;
    scope.FillBlock(0, -1);                      // red 0x10 bar over rows 18 to 31
    scope.Frame(kVisModeBars | kVisModeDots);    // the cyan dot row 26 lies inside it
    EXPECT_EQ(Hex(scope.At(40, 26)), Hex(0x0010FFFFu));
    EXPECT_EQ(Hex(scope.At(40, 38)), Hex(kYellow));
}

TEST(VisualisationTest, DotsMoveByAnEighthOfTheSmoothedValueAndDimWithItsSize) {
    Scope scope;
    scope.FillBlock(2, 127);   // c = 127: row 26 + 15, cc = 0
    scope.FillBlock(3, -128);  // d = -128: row 38 - 16, |d| = 128 as a byte, dc = 0
    scope.Frame(kVisModeDots);
    EXPECT_EQ(Hex(scope.At(10, 41)), Hex(0x0000FFu));
    EXPECT_EQ(Hex(scope.At(94, 22)), Hex(0xFF0000u));
    EXPECT_EQ(scope.Lit().size(), 2u * 85u);

    Scope small;
    small.FillBlock(2, -9);  // smoothed -9: floor(-9 / 8) = -2 (toward minus infinity), cc = 219
    small.Frame(kVisModeDots);
    EXPECT_EQ(Hex(small.At(60, 24)), Hex(0x00DBFFu));
}

// The column walk spreads the 576 values of a block over x = 10 to 94: the first column reads
// values 0 to 6, the last 569 to 575, and no column reads past its block into the next.
TEST(VisualisationTest, ColumnWalkReadsTheBlockEndsOnlyFromTheFirstAndLastColumns) {
    Scope dots;
    dots.Block(2)[0] = 64;     // weighted twice in column 10: (2 x 64) >> 3 = 16, row 28
    dots.Block(2)[575] = 64;   // last of column 94's seven: 64 >> 3 = 8, row 27
    dots.Block(3)[575] = 64;
    dots.Block(3)[0] = -128;   // would pull C's last dot up if C's walk ran on into D
    dots.Frame(kVisModeDots);

    EXPECT_EQ(Hex(dots.At(10, 28)), Hex(0x00BFFFu)) << "c = 16, cc = 255 - 64";
    EXPECT_EQ(Hex(dots.At(94, 27)), Hex(0x00DFFFu)) << "c = 8, cc = 255 - 32";
    EXPECT_EQ(Hex(dots.At(94, 39)), Hex(0xFFDF00u)) << "d = 8";
    EXPECT_EQ(Hex(dots.At(10, 34)), Hex(0xFF7F00u)) << "d = (2 x -128) >> 3 = -32: row 38 - 4";
    for (int32_t x = 11; x <= 93; ++x) {
        EXPECT_EQ(Hex(dots.At(x, 26)), Hex(kCyan)) << "column " << x;
        EXPECT_EQ(Hex(dots.At(x, 38)), Hex(kYellow)) << "column " << x;
    }
    EXPECT_EQ(dots.Lit().size(), 2u * 85u);

    Scope bars;
    bars.Block(0)[575] = 127;  // a = 15 in column 94 alone: a bar of 14
    bars.Block(1)[0] = 1;      // would make it 16, no bar, if A's walk ran on into B
    bars.Frame(kVisModeBars);
    for (int32_t y = 18; y <= 31; ++y) {
        EXPECT_EQ(Hex(bars.At(94, y)), Hex(0xF0FF00u)) << "row " << y << ": ca = 15, cb = 255";
    }
    EXPECT_EQ(bars.Lit().size(), 14u);
}

TEST(VisualisationTest, ModesOffOnlyFadeTheWorkRectangleAndLeaveTheRestAlone) {
    Scope scope;
    scope.image.Fill(0x00808080u);
    scope.Frame(0);
    // The top-right corner of the rectangle is the first pixel filtered: all its neighbours are
    // still grey, so it becomes grey less 1/32.
    EXPECT_EQ(Hex(scope.At(99, 8)), Hex(0x7C7C7Cu));
    EXPECT_LT(scope.At(5, 55), 0x7C7C7Cu) << "the fade reaches the bottom-left corner";
    EXPECT_EQ(Hex(scope.At(4, 30)), Hex(0x808080u)) << "left of the work rectangle";
    EXPECT_EQ(Hex(scope.At(100, 30)), Hex(0x808080u)) << "right edge is exclusive";
    EXPECT_EQ(Hex(scope.At(50, 7)), Hex(0x808080u));
    EXPECT_EQ(Hex(scope.At(50, 56)), Hex(0x808080u));
}

TEST(VisualisationTest, ImageTooSmallForTheWorkRectangleIsLeftUntouched) {
    PixelImage image;
    ASSERT_EQ(image.Create(64, 32), 1);
    image.Fill(0x00123456u);
    std::vector<int8_t> buffer(kVisBufferValues, 0);
    VisualiseFrame(image, buffer.data(), kVisModeDots | kVisModeBars);
    for (int32_t i = 0; i < image.pixelCount; ++i) ASSERT_EQ(image.pixels[i], 0x00123456u);

    PixelImage empty;
    VisualiseFrame(empty, buffer.data(), kVisModeDots);  // no buffer at all: nothing to do
}

}  // namespace
