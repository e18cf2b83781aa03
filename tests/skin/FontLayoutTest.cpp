// The bitmap font's pen arithmetic: glyph origins, line feeds and the scrolling box.
#include "skin/FontLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const FontMetrics kFont;  // 14 x 13 cells, as the shipped glyph strip

constexpr int32_t kA = (65 - 32) * 14;
constexpr int32_t kB = (66 - 32) * 14;
constexpr int32_t kC = (67 - 32) * 14;

struct Copies {
    std::vector<GlyphCopy> list;
    void operator()(const GlyphCopy& copy) { list.push_back(copy); }
};

std::string Describe(const std::vector<GlyphCopy>& copies) {
    std::string text;
    for (const GlyphCopy& c : copies) {
        text += "{x " + std::to_string(c.x) + " y " + std::to_string(c.y) + " w " +
                std::to_string(c.width) + " src " + std::to_string(c.srcX) + "} ";
    }
    return text;
}

void ExpectCopies(const std::vector<GlyphCopy>& actual, const std::vector<GlyphCopy>& expected) {
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i) {
        same = actual[i].x == expected[i].x && actual[i].y == expected[i].y &&
               actual[i].width == expected[i].width && actual[i].srcX == expected[i].srcX;
    }
    EXPECT_TRUE(same) << "actual:   " << Describe(actual) << "\nexpected: " << Describe(expected);
}

std::vector<GlyphCopy> InBox(const char* text, int32_t left, int32_t right, int32_t offset) {
    Copies copies;
    LayoutStringInBox(kFont, text, left, right, 7, offset, copies);
    return copies.list;
}

}  // namespace

TEST(FontLayoutTest, GlyphOriginsStepByWholeCells) {
    SkinPoint origin;
    ASSERT_TRUE(GlyphOrigin(kFont, 'A', origin));
    EXPECT_EQ(origin, (SkinPoint{462, 0}));
    ASSERT_TRUE(GlyphOrigin(kFont, '~', origin));
    EXPECT_EQ(origin, (SkinPoint{1316, 0}));
    ASSERT_TRUE(GlyphOrigin(kFont, ' ', origin));
    EXPECT_EQ(origin, (SkinPoint{0, 0}));
    EXPECT_EQ(kFont.Advance(), 12);
    EXPECT_EQ(kFont.LineHeight(), 15);
}

TEST(FontLayoutTest, CharactersOutside32To126HaveNoGlyph) {
    const int codes[] = {0, 9, 10, 31, 127, 128, 200, 255};
    for (int code : codes) {
        SkinPoint origin{-5, -5};
        EXPECT_FALSE(GlyphOrigin(kFont, static_cast<char>(code), origin)) << "code " << code;
        EXPECT_EQ(origin, (SkinPoint{-5, -5})) << "left alone for code " << code;
    }
}

TEST(FontLayoutTest, LineFeedsReturnThePenAndMoveItDown) {
    Copies copies;
    ASSERT_TRUE(LayoutString(kFont, "AB\nC\n\nA", 30, 40, copies));
    ExpectCopies(copies.list, {{30, 40, 12, kA}, {42, 40, 12, kB}, {30, 55, 12, kC},
                               {30, 85, 12, kA}});
}

// A cell left undrawn would keep what the scrolling title drew there a frame before.
TEST(FontLayoutTest, CharactersWithoutGlyphDrawABlankInEitherLayout) {
    Copies copies;
    const char text[] = {'A', '\x7f', '\xe9', '\t', 'B', '\0'};
    ASSERT_TRUE(LayoutString(kFont, text, 0, 0, copies));
    ExpectCopies(copies.list, {{0, 0, 12, kA}, {12, 0, 12, 0}, {24, 0, 12, 0}, {36, 0, 12, 0},
                               {48, 0, 12, kB}});
    ExpectCopies(InBox(text, 10, 60, 0), {{10, 7, 12, kA}, {22, 7, 12, 0}, {34, 7, 12, 0},
                                          {46, 7, 12, 0}, {58, 7, 12, kB}});
}

TEST(FontLayoutTest, NullTextDrawsNothingAndFails) {
    Copies copies;
    EXPECT_FALSE(LayoutString(kFont, nullptr, 0, 0, copies));
    EXPECT_TRUE(copies.list.empty());
}

TEST(FontLayoutTest, BoxWithoutOffsetDrawsTextThenBlanks) {
    ExpectCopies(InBox("AB", 10, 60, 0),
                 {{10, 7, 12, kA}, {22, 7, 12, kB}, {34, 7, 12, 0}, {46, 7, 12, 0}, {58, 7, 12, 0}});
}

TEST(FontLayoutTest, PositiveOffsetFillsTheGapWithBlanksTheLastOneNarrowed) {
    ExpectCopies(InBox("AB", 10, 60, 20),
                 {{10, 7, 12, 0}, {22, 7, 8, 0}, {30, 7, 12, kA}, {42, 7, 12, kB}, {54, 7, 12, 0}});
}

TEST(FontLayoutTest, NegativeOffsetSkipsWholeCharactersAndLeavesTheGapUntouched) {
    ExpectCopies(InBox("ABC", 10, 60, -15),
                 {{19, 7, 12, kC}, {31, 7, 12, 0}, {43, 7, 12, 0}, {55, 7, 12, 0}});
}

TEST(FontLayoutTest, OffsetBeyondTheSpanDrawsBlanksUpToTheStartAndNoCharacter) {
    ExpectCopies(InBox("AB", 10, 40, 30), {{10, 7, 12, 0}, {22, 7, 12, 0}, {34, 7, 6, 0}});
    ExpectCopies(InBox("AB", 10, 40, 45),
                 {{10, 7, 12, 0}, {22, 7, 12, 0}, {34, 7, 12, 0}, {46, 7, 9, 0}});
}

TEST(FontLayoutTest, LongTextStopsOnceThePenReachesTheRightEdge) {
    // The last glyph is copied whole and reaches past the right edge; the caller clips.
    ExpectCopies(InBox("ABCABC", 0, 30, 0), {{0, 7, 12, kA}, {12, 7, 12, kB}, {24, 7, 12, kC}});
}
