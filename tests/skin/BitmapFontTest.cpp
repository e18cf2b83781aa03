// The bitmap font under Wine, with a glyph strip made in the test: every cell painted in a
// colour of its own, its two unused columns in a colour that must never be copied.
#include "skin/BitmapFont.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/Surface.h"
#include "tests/skin/WinTestSupport.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kUnusedColumns = 0xFF00FF;

uint32_t CellColour(int32_t character) { return 0x000100u * static_cast<uint32_t>(character) + 0x20; }

HBITMAP MakeStrip() {
    std::vector<uint32_t> pixels(1331 * 13, 0);
    for (int32_t y = 0; y < 13; ++y) {
        for (int32_t x = 0; x < 1331; ++x) {
            const int32_t cell = x / 14;
            pixels[y * 1331 + x] = x % 14 >= 12 || cell >= 95 ? kUnusedColumns : CellColour(32 + cell);
        }
    }
    return MakeBitmap(1331, 13, pixels);
}

class BitmapFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        font_.Attach(MakeStrip());
        ASSERT_EQ(target_.CreateBlank(200, 60), 1);
        PatBlt(target_.dc, 0, 0, 200, 60, WHITENESS);
    }
    uint32_t At(int32_t x, int32_t y) { return PixelAt(target_.dc, x, y); }
    void ExpectSpan(int32_t x0, int32_t x1, int32_t y, uint32_t colour) {
        for (int32_t x = x0; x < x1; ++x) {
            EXPECT_EQ(At(x, y), colour) << "at (" << x << ", " << y << ")";
        }
    }

    BitmapFont font_;
    Surface target_;
};

}  // namespace

TEST_F(BitmapFontTest, GlyphsAre12PixelsOfTheirCell) {
    POINT origin{};
    ASSERT_EQ(font_.GlyphOrigin('A', origin), 1);
    EXPECT_EQ(origin.x, 462);
    ASSERT_EQ(font_.GlyphOrigin('~', origin), 1);
    EXPECT_EQ(origin.x, 1316);
    EXPECT_EQ(font_.GlyphOrigin('\x7f', origin), 0);
    EXPECT_EQ(font_.Advance('A'), 12);
    EXPECT_EQ(font_.LineHeight('A'), 15);

    ASSERT_EQ(font_.DrawString(target_.dc, "A~", 5, 3), 1);
    ExpectSpan(5, 17, 3, CellColour('A'));
    ExpectSpan(17, 29, 15, CellColour('~'));
    EXPECT_EQ(At(29, 3), kWhite) << "the cells' two spare columns are never copied";
    EXPECT_EQ(At(5, 16), kWhite) << "13 rows high";
}

TEST_F(BitmapFontTest, LineFeedsStartANewLine15PixelsDown) {
    ASSERT_EQ(font_.DrawString(target_.dc, "A\n\nB", 5, 3), 1);
    EXPECT_EQ(At(5, 3), CellColour('A'));
    EXPECT_EQ(At(5, 18), kWhite) << "the empty second line";
    EXPECT_EQ(At(5, 33), CellColour('B'));
    EXPECT_EQ(font_.DrawString(target_.dc, nullptr, 0, 0), 0);
}

TEST_F(BitmapFontTest, BoxWithAPositiveOffsetStartsWithBlanks) {
    font_.DrawStringInBox(target_.dc, "AB", 10, 60, 20, 20);
    ExpectSpan(10, 30, 25, CellColour(' '));
    ExpectSpan(30, 42, 25, CellColour('A'));
    ExpectSpan(42, 54, 25, CellColour('B'));
    ExpectSpan(54, 66, 25, CellColour(' '));
    EXPECT_EQ(At(66, 25), kWhite);
    EXPECT_EQ(At(9, 25), kWhite);
}

TEST_F(BitmapFontTest, BoxWithANegativeOffsetLeavesTheSkippedSpanUntouched) {
    font_.DrawStringInBox(target_.dc, "ABC", 10, 60, 20, -15);
    ExpectSpan(10, 19, 25, kWhite);
    ExpectSpan(19, 31, 25, CellColour('C'));
    ExpectSpan(31, 67, 25, CellColour(' '));
}

TEST(BitmapFontLoadTest, MissingStripDrawsNothingAndFreesCleanly) {
    BitmapFont font;
    EXPECT_EQ(font.Load(4321), 1);
    EXPECT_EQ(font.bitmap, nullptr);
    Surface target;
    ASSERT_EQ(target.CreateBlank(50, 20), 1);
    PatBlt(target.dc, 0, 0, 50, 20, WHITENESS);
    EXPECT_EQ(font.DrawString(target.dc, "AB", 0, 0), 1);
    EXPECT_EQ(PixelAt(target.dc, 3, 3), 0xFFFFFFu);
}
