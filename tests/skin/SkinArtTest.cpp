// The program's own art, compiled in: regions cut from the committed region maps at every
// sample point the windows use, and the sizes of the pictures that the code's geometry assumes.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "skin/BitmapFont.h"
#include "skin/GdiHandles.h"
#include "skin/JpegResource.h"
#include "skin/RegionFromBitmap.h"
#include "skin/SkinWidgets.h"
#include "skin/Surface.h"
#include "tests/skin/WinTestSupport.h"

namespace {

enum class Form { Excluding, Connected, SameColour };

struct Cut {
    int32_t map;
    int32_t x, y;
    Form form;
    RECT box;
    const char* use;
};

// Every region the windows cut, with the bounding box the window code relies on.
const Cut kCuts[] = {
    {kBitmapMainMap, 0, 0, Form::Excluding, {0, 0, 177, 292}, "windowShape"},
    {kBitmapMainMap, 144, 22, Form::Connected, {130, 12, 155, 32}, "minimizeButton"},
    {kBitmapMainMap, 153, 34, Form::Connected, {144, 21, 165, 43}, "blankButton2"},
    {kBitmapMainMap, 160, 48, Form::Connected, {150, 33, 168, 62}, "closeButton"},
    {kBitmapMainMap, 94, 68, Form::Connected, {36, 18, 131, 109}, "titleRegion"},
    {kBitmapMainMap, 21, 109, Form::Connected, {13, 103, 33, 115}, "playlistButton"},
    {kBitmapMainMap, 21, 128, Form::Connected, {9, 121, 29, 133}, "blankButton1"},
    {kBitmapMainMap, 119, 136, Form::Connected, {97, 111, 144, 158}, "seekKnob"},
    {kBitmapMainMap, 16, 145, Form::Connected, {9, 138, 29, 150}, "blankToggle1"},
    {kBitmapMainMap, 159, 155, Form::Connected, {148, 143, 168, 162}, "volumeKnob"},
    {kBitmapMainMap, 24, 160, Form::Connected, {13, 155, 33, 167}, "blankToggle2"},
    {kBitmapMainMap, 79, 211, Form::Connected, {38, 161, 131, 250}, "timeRegion"},
    {kBitmapMainMap, 18, 224, Form::Connected, {8, 213, 28, 234}, "previousButton"},
    {kBitmapMainMap, 32, 254, Form::Connected, {16, 235, 44, 264}, "playButton"},
    {kBitmapMainMap, 57, 272, Form::Connected, {42, 255, 70, 284}, "pluginButton"},
    {kBitmapMainMap, 83, 276, Form::Connected, {73, 264, 93, 285}, "nextButton"},
    {kBitmapPlaylistMap, 0, 0, Form::Excluding, {5, 3, 422, 348}, "playlist window shape"},
    {kBitmapPlaylistMap, 219, 187, Form::SameColour, {46, 41, 347, 270}, "playlist list area"},
    {kBitmapPlaylistMap, 377, 92, Form::Connected, {369, 86, 389, 98}, "playlist button"},
    {kBitmapPlaylistMap, 377, 119, Form::Connected, {370, 114, 390, 126}, "playlist button"},
    {kBitmapPlaylistMap, 377, 148, Form::Connected, {370, 142, 390, 154}, "playlist button"},
    {kBitmapPlaylistMap, 377, 178, Form::Connected, {370, 170, 390, 182}, "playlist button"},
    {kBitmapPlaylistMap, 377, 201, Form::Connected, {370, 198, 390, 210}, "playlist button"},
    {kBitmapPlaylistMap, 245, 300, Form::Connected, {225, 293, 275, 313}, "playlist button"},
    {kBitmapPlaylistMap, 381, 285, Form::Connected, {370, 275, 390, 296}, "playlist button"},
    {kBitmapPlaylistMap, 360, 310, Form::Connected, {345, 293, 373, 322}, "playlist button"},
    {kBitmapPlaylistMap, 170, 290, Form::Connected, {158, 284, 178, 296}, "playlist button"},
    {kBitmapPlaylistMap, 119, 290, Form::Connected, {110, 284, 130, 296}, "playlist button"},
    {kBitmapPlaylistMap, 71, 288, Form::Connected, {62, 284, 82, 296}, "playlist button"},
    {kBitmapPlaylistMap, 329, 271, Form::Connected, {297, 252, 367, 289}, "playlist button"},
    {kBitmapPlaylistMap, 325, 238, Form::Connected, {297, 217, 367, 252}, "playlist button"},
    {kBitmapAboutMap, 0, 0, Form::Excluding, {4, 3, 400, 417}, "About window shape"},
    {kBitmapAboutMap, 170, 170, Form::SameColour, {40, 40, 313, 281}, "About text area"},
    {kBitmapAboutMap, 310, 350, Form::SameColour, {252, 287, 367, 402}, "About window area"},
};

const char* FormName(Form form) {
    switch (form) {
        case Form::Excluding: return "excluding";
        case Form::Connected: return "connected";
        case Form::SameColour: return "same-colour";
    }
    return "?";
}

std::string Show(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld, %ld, %ld, %ld", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

HBITMAP LoadMap(int32_t id) {
    return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP object{};
    GetObjectA(bitmap, sizeof object, &object);
    return {object.bmWidth, object.bmHeight};
}

}  // namespace

TEST(SkinArtTest, EveryRegionOfTheWindowsHasTheBoxTheirCodeExpects) {
    std::map<int32_t, OwnedBitmap> maps;
    for (int32_t id : {kBitmapMainMap, kBitmapPlaylistMap, kBitmapAboutMap}) {
        maps[id].Reset(LoadMap(id));
        ASSERT_TRUE(maps[id]) << "region map " << id;
    }
    // The measured table goes to the output, for anyone comparing maps.
    std::printf("map  sample      form         colour        rects  bounds                use\n");
    for (const Cut& cut : kCuts) {
        SCOPED_TRACE(std::string(cut.use) + " at (" + std::to_string(cut.x) + ", " +
                     std::to_string(cut.y) + ") of map " + std::to_string(cut.map));
        const HBITMAP map = maps[cut.map].Get();
        const bool invert = cut.form == Form::Excluding;
        const bool flood = cut.form == Form::Connected;
        OwnedRegion region(RegionFromBitmap(map, cut.x, cut.y, invert, flood));
        RECT box{};
        GetRgnBox(region.Get(), &box);
        EXPECT_EQ(Show(box), Show(cut.box));
        EXPECT_EQ(PtInRegion(region.Get(), cut.x, cut.y) != 0, !invert)
            << "the sample point lies inside its own area and outside a window shape";

        RegionScan scan;
        ASSERT_TRUE(ScanBitmap(map, cut.x, cut.y, invert, flood, scan));
        int32_t width = 0;
        int32_t height = 0;
        const std::vector<uint32_t> pixels = ReadBitmap(map, width, height);
        std::printf("%-4d (%3d, %3d)  %-11s  %3u, %3u, %3u  %5zu  %-20s  %s\n", cut.map, cut.x, cut.y,
                    FormName(cut.form), pixels[cut.y * width + cut.x] >> 16,
                    (pixels[cut.y * width + cut.x] >> 8) & 0xFF, pixels[cut.y * width + cut.x] & 0xFF,
                    scan.rects.size(), Show(box).c_str(), cut.use);
    }
}

TEST(SkinArtTest, AreasSharingAColourInTheMainMapStayApartWhenConnected) {
    OwnedBitmap map(LoadMap(kBitmapMainMap));
    ASSERT_TRUE(map);
    int32_t width = 0;
    int32_t height = 0;
    const std::vector<uint32_t> pixels = ReadBitmap(map.Get(), width, height);

    // The main window's controls grouped by the colour of their sample point.
    std::map<uint32_t, std::vector<const Cut*>> byColour;
    for (const Cut& cut : kCuts) {
        if (cut.map == kBitmapMainMap && cut.form == Form::Connected) {
            byColour[pixels[cut.y * width + cut.x]].push_back(&cut);
        }
    }
    int32_t sharedColours = 0;
    for (const auto& [colour, cuts] : byColour) {
        if (cuts.size() < 2) continue;
        ++sharedColours;
        OwnedRegion combined(RegionFromBitmap(map.Get(), cuts[0]->x, cuts[0]->y, 0, 0));
        for (const Cut* a : cuts) {
            OwnedRegion areaA(RegionFromBitmap(map.Get(), a->x, a->y, 0, 1));
            EXPECT_TRUE(PtInRegion(combined.Get(), a->x, a->y))
                << a->use << " belongs to the same-colour region of " << std::hex << colour;
            for (const Cut* b : cuts) {
                if (a == b) continue;
                EXPECT_FALSE(PtInRegion(areaA.Get(), b->x, b->y))
                    << a->use << " and " << b->use << " share colour " << std::hex << colour
                    << " but must be separate connected regions";
            }
        }
    }
    EXPECT_GT(sharedColours, 0) << "the map reuses colours for areas that are not neighbours";
}

TEST(SkinArtTest, PicturesHaveTheSizesTheWindowsAssume) {
    const struct {
        int32_t id;
        LONG width, height;
    } pictures[] = {{kJpegSkinNormal, 177, 292},    {kJpegSkinLit, 177, 292},
                    {kJpegPlaylistLit, 426, 350},   {kJpegPlaylistNormal, 426, 350},
                    {kJpegPrefsSkin, 401, 330},     {kJpegAboutSkin, 403, 420}};
    for (const auto& picture : pictures) {
        Surface surface;
        ASSERT_EQ(surface.LoadJpegImage(picture.id), 1) << "JPEG " << picture.id;
        EXPECT_EQ(BitmapSize(surface.bitmap).cx, picture.width) << "JPEG " << picture.id;
        EXPECT_EQ(BitmapSize(surface.bitmap).cy, picture.height) << "JPEG " << picture.id;
    }

    Surface dot;
    ASSERT_EQ(dot.LoadBitmapImage(kBitmapVolumeDot), 1);
    EXPECT_EQ(BitmapSize(dot.bitmap).cx, 3);
    EXPECT_EQ(BitmapSize(dot.bitmap).cy, 3);
    for (int32_t id = kBitmapSeekFrameFirst; id <= kBitmapSeekFrameLast; ++id) {
        Surface frame;
        ASSERT_EQ(frame.LoadBitmapImage(id), 1) << "seek frame " << id;
        EXPECT_EQ(BitmapSize(frame.bitmap).cx, 49) << "seek frame " << id;
        EXPECT_EQ(BitmapSize(frame.bitmap).cy, 49) << "seek frame " << id;
    }
}

TEST(SkinArtTest, FontDrawsFromTheGlyphStrip) {
    BitmapFont font;
    ASSERT_EQ(font.Load(kBitmapGlyphStrip), 1);
    ASSERT_NE(font.bitmap, nullptr);
    EXPECT_EQ(BitmapSize(font.bitmap).cx, 1331);
    EXPECT_EQ(BitmapSize(font.bitmap).cy, 13);

    Surface target;
    ASSERT_EQ(target.CreateBlank(40, 20), 1);
    PatBlt(target.dc, 0, 0, 40, 20, WHITENESS);
    ASSERT_EQ(font.DrawString(target.dc, "A", 3, 4), 1);
    int32_t differing = 0;
    for (int32_t y = 0; y < 13; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            differing += PixelAt(target.dc, 3 + x, 4 + y) != PixelAt(font.dc, 462 + x, y);
        }
    }
    EXPECT_EQ(differing, 0) << "the A is the strip's cell at x = 462";
}

TEST(SkinArtTest, KnobCursorIsCompiledIn) {
    SkinKnob knob;
    EXPECT_NE(knob.cursor, nullptr);
}
