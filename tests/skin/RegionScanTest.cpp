// Region scanning on small hand-made maps: the three forms, the run and merge rules, and maps
// too large for fixed-size buffers or too deep for a recursive fill.
#include "skin/RegionScan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A map drawn as text: every character is one pixel, its code the pixel's colour.
struct TextMap {
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
};

TextMap MapFromText(const std::vector<std::string>& rows) {
    TextMap map;
    map.height = static_cast<int32_t>(rows.size());
    map.width = static_cast<int32_t>(rows.front().size());
    for (const std::string& row : rows) {
        for (char c : row) map.pixels.push_back(static_cast<uint8_t>(c));
    }
    return map;
}

RegionScan Scan(const TextMap& map, int32_t x, int32_t y, bool invert, bool flood) {
    return ScanRegion(map.pixels.data(), map.width, map.height, x, y, invert, flood);
}

std::string Describe(const std::vector<SkinRect>& rects) {
    std::string text;
    for (const SkinRect& r : rects) {
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ") ";
    }
    return text;
}

void ExpectRects(const RegionScan& scan, const std::vector<SkinRect>& expected) {
    EXPECT_EQ(scan.rects, expected) << "actual:   " << Describe(scan.rects)
                                    << "\nexpected: " << Describe(expected);
}

bool Covers(const RegionScan& scan, int32_t x, int32_t y) {
    for (const SkinRect& r : scan.rects) {
        if (r.Contains(x, y)) return true;
    }
    return false;
}

}  // namespace

TEST(RegionScanTest, SolidRectangleOverManyRowsIsOneRectangle) {
    const TextMap map = MapFromText({
        "......",
        ".AAAA.",
        ".AAAA.",
        ".AAAA.",
        ".AAAA.",
        "......"});
    const RegionScan scan = Scan(map, 2, 2, false, true);
    ExpectRects(scan, {{1, 1, 5, 5}});
    EXPECT_EQ(scan.bounds, (SkinRect{1, 1, 5, 5}));
}

TEST(RegionScanTest, RowsOfDifferentWidthStartNewRectangles) {
    const TextMap map = MapFromText({
        "..AA..",
        "..AA..",
        ".AAAA.",
        "..AA..",
        "..AA.."});
    const RegionScan scan = Scan(map, 2, 0, false, false);
    ExpectRects(scan, {{2, 0, 4, 2}, {1, 2, 5, 3}, {2, 3, 4, 5}});
    EXPECT_EQ(scan.bounds, (SkinRect{1, 0, 5, 5}));
}

TEST(RegionScanTest, EqualRunsAcrossAnEmptyRowStayApart) {
    const TextMap map = MapFromText({
        ".AA.",
        "....",
        ".AA."});
    ExpectRects(Scan(map, 1, 0, false, false), {{1, 0, 3, 1}, {1, 2, 3, 3}});
}

TEST(RegionScanTest, RowsWithTwoRunsAreNeverMergedVertically) {
    // Only the last rectangle of the list is looked at: the second run of each row sits
    // between a row's first run and the next row's first run, so no chain ever continues.
    const TextMap map = MapFromText({
        "AA.AA",
        "AA.AA",
        "AA.AA"});
    ExpectRects(Scan(map, 0, 0, false, false),
                {{0, 0, 2, 1}, {3, 0, 5, 1}, {0, 1, 2, 2}, {3, 1, 5, 2}, {0, 2, 2, 3}, {3, 2, 5, 3}});
}

TEST(RegionScanTest, RunReachingTheRightEdgeClosesThere) {
    const TextMap map = MapFromText({
        "..AAA",
        "..AAA"});
    ExpectRects(Scan(map, 4, 1, false, true), {{2, 0, 5, 2}});
}

TEST(RegionScanTest, ConnectedFormKeepsAreasOfOneColourApartSameColourFormJoinsThem) {
    const TextMap map = MapFromText({
        "RR..R",
        "RR..R",
        "...RR",
        "R...."});
    ExpectRects(Scan(map, 0, 0, false, true), {{0, 0, 2, 2}});
    ExpectRects(Scan(map, 4, 0, false, true), {{4, 0, 5, 2}, {3, 2, 5, 3}});

    const RegionScan all = Scan(map, 0, 0, false, false);
    ExpectRects(all, {{0, 0, 2, 1}, {4, 0, 5, 1}, {0, 1, 2, 2}, {4, 1, 5, 2}, {3, 2, 5, 3},
                      {0, 3, 1, 4}});
    EXPECT_EQ(all.bounds, (SkinRect{0, 0, 5, 4}));
}

TEST(RegionScanTest, ConnectedFormFollowsFourNeighboursOnly) {
    const TextMap map = MapFromText({
        "A.",
        ".A"});
    ExpectRects(Scan(map, 0, 0, false, true), {{0, 0, 1, 1}});
}

TEST(RegionScanTest, ExcludingFormTakesEverythingButTheBackgroundColour) {
    const TextMap map = MapFromText({
        "..B..",
        ".CCC.",
        "..B.."});
    const RegionScan shape = Scan(map, 0, 0, true, false);
    ExpectRects(shape, {{2, 0, 3, 1}, {1, 1, 4, 2}, {2, 2, 3, 3}});
    EXPECT_EQ(shape.bounds, (SkinRect{1, 0, 4, 3}));
    EXPECT_FALSE(Covers(shape, 0, 0)) << "the sample point lies in the background";
}

TEST(RegionScanTest, SamplePointIsInsideItsOwnConnectedAndSameColourArea) {
    const TextMap map = MapFromText({
        "ABBA",
        "BAAB",
        "ABBA"});
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) {
            SCOPED_TRACE("sample point (" + std::to_string(x) + ", " + std::to_string(y) + ")");
            EXPECT_TRUE(Covers(Scan(map, x, y, false, true), x, y));
            EXPECT_TRUE(Covers(Scan(map, x, y, false, false), x, y));
            EXPECT_FALSE(Covers(Scan(map, x, y, true, false), x, y));
        }
    }
}

TEST(RegionScanTest, SamplePointOutsideThePictureSelectsNothing) {
    const TextMap map = MapFromText({"AB", "BA"});
    const SkinPoint outside[] = {{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {100000, 5}};
    for (const SkinPoint& p : outside) {
        for (int form = 0; form < 3; ++form) {
            const RegionScan scan = Scan(map, p.x, p.y, form == 0, form == 1);
            EXPECT_TRUE(scan.rects.empty()) << "(" << p.x << ", " << p.y << ") form " << form;
            EXPECT_EQ(scan.bounds, (SkinRect{2, 2, 0, 0}));
        }
    }
}

TEST(RegionScanTest, EmptySelectionKeepsTheInitialBounds) {
    const TextMap map = MapFromText({"AAA", "AAA"});
    const RegionScan scan = Scan(map, 0, 0, true, false);
    EXPECT_TRUE(scan.rects.empty());
    EXPECT_EQ(scan.bounds, (SkinRect{3, 2, 0, 0}));
}

TEST(RegionScanTest, MoreThan2048RectanglesAreAllKept) {
    // A checkerboard makes one rectangle per selected pixel: 64 x 80 / 2 = 2560.
    TextMap map;
    map.width = 64;
    map.height = 80;
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) map.pixels.push_back((x + y) % 2 == 0 ? 'A' : 'B');
    }
    const RegionScan scan = Scan(map, 0, 0, false, false);
    ASSERT_EQ(scan.rects.size(), 2560u);
    EXPECT_EQ(scan.rects.back(), (SkinRect{63, 79, 64, 80}));
    EXPECT_EQ(scan.bounds, (SkinRect{0, 0, 64, 80}));
}

TEST(RegionScanTest, FloodFillsALongWindingPathWithoutRecursion) {
    // A serpentine corridor through a 401 x 401 map: about 80,000 connected pixels in a path
    // that a recursive fill would follow to a depth of tens of thousands.
    TextMap map;
    map.width = 401;
    map.height = 401;
    map.pixels.assign(static_cast<size_t>(map.width) * map.height, 'W');
    for (int32_t y = 0; y < map.height; y += 2) {
        for (int32_t x = 0; x < map.width; ++x) map.pixels[y * map.width + x] = 'P';
        const int32_t link = (y / 2) % 2 == 0 ? map.width - 1 : 0;
        if (y + 1 < map.height) map.pixels[(y + 1) * map.width + link] = 'P';
    }
    std::vector<uint8_t> mask(map.pixels.size(), 0);
    FloodMark(mask.data(), map.pixels.data(), 'P', 0, 0, map.width, map.height);
    size_t marked = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        ASSERT_EQ(mask[i] == 1, map.pixels[i] == 'P') << "pixel " << i % map.width << ", "
                                                      << i / map.width;
        marked += mask[i];
    }
    EXPECT_EQ(marked, 201u * 401u + 200u);
}

TEST(RegionScanTest, FloodMarkLeavesMarkedPixelsAndOtherKeysAlone) {
    const TextMap map = MapFromText({"AAB", "ABB"});
    std::vector<uint8_t> mask(6, 0);
    mask[1] = 1;  // already marked: the fill does not pass through it again
    FloodMark(mask.data(), map.pixels.data(), 'A', 0, 0, map.width, map.height);
    EXPECT_EQ(mask, (std::vector<uint8_t>{1, 1, 0, 1, 0, 0}));

    std::vector<uint8_t> none(6, 0);
    FloodMark(none.data(), map.pixels.data(), 'A', 2, 0, map.width, map.height);
    FloodMark(none.data(), map.pixels.data(), 'A', -1, 0, map.width, map.height);
    EXPECT_EQ(none, std::vector<uint8_t>(6, 0)) << "a start on another key or outside marks nothing";
}
