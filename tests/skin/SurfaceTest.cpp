// Surfaces under Wine: loading, reloading, releasing, and the guards that own drawing handles.
#include "skin/Surface.h"

#include <gtest/gtest.h>

#include "skin/GdiHandles.h"
#include "skin/PixelImage.h"
#include "tests/skin/TestIds.h"
#include "tests/skin/WinTestSupport.h"

// The program defines its global surfaces with its other globals; this test program stands in.
Surface gPrefsSkin;
Surface gAboutSkin;
Surface gAboutScroll;

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP object{};
    GetObjectA(bitmap, sizeof object, &object);
    return {object.bmWidth, object.bmHeight};
}

bool IsDeleted(HGDIOBJ object) { return GetObjectType(object) == 0; }

}  // namespace

TEST(SurfaceTest, GlobalSurfacesHaveTheirContextsBeforeTheTestsRun) {
    EXPECT_NE(gPrefsSkin.dc, nullptr);
    EXPECT_EQ(gPrefsSkin.bitmap, nullptr);
    ASSERT_EQ(gAboutScroll.CreateBlank(268, 2000), 1);
    EXPECT_EQ(BitmapSize(gAboutScroll.bitmap).cx, 268);
    EXPECT_EQ(BitmapSize(gAboutScroll.bitmap).cy, 2000);
    EXPECT_NE(gAboutScroll.Release(), 0);
}

TEST(SurfaceTest, ReleaseOfAnEmptySurfaceReturns0AndChangesNothing) {
    Surface surface;
    const HGDIOBJ original = GetCurrentObject(surface.dc, OBJ_BITMAP);
    EXPECT_EQ(surface.Release(), 0);
    EXPECT_EQ(surface.bitmap, nullptr);
    EXPECT_EQ(surface.priorBitmap, nullptr);
    EXPECT_EQ(GetCurrentObject(surface.dc, OBJ_BITMAP), original);
}

TEST(SurfaceTest, BlankSurfaceIsSelectedAndReleaseRestoresAndDeletes) {
    Surface surface;
    const HGDIOBJ original = GetCurrentObject(surface.dc, OBJ_BITMAP);
    ASSERT_EQ(surface.CreateBlank(30, 20), 1);
    const HBITMAP bitmap = surface.bitmap;
    EXPECT_EQ(GetCurrentObject(surface.dc, OBJ_BITMAP), bitmap);
    EXPECT_EQ(surface.priorBitmap, original);
    EXPECT_EQ(BitmapSize(bitmap).cx, 30);
    EXPECT_EQ(BitmapSize(bitmap).cy, 20);

    EXPECT_NE(surface.Release(), 0);
    EXPECT_EQ(surface.bitmap, nullptr);
    EXPECT_EQ(surface.priorBitmap, nullptr);
    EXPECT_EQ(GetCurrentObject(surface.dc, OBJ_BITMAP), original);
    EXPECT_TRUE(IsDeleted(bitmap));
}

TEST(SurfaceTest, LoadingTwiceKeepsOnlyTheSecondBitmap) {
    Surface surface;
    ASSERT_EQ(surface.LoadJpegImage(kTestJpegColour), 1);
    const HBITMAP first = surface.bitmap;
    EXPECT_GT(PixelAt(surface.dc, 10, 5) >> 16, 230u) << "red at the left";

    ASSERT_EQ(surface.LoadJpegImage(kTestJpegGrey), 1);
    EXPECT_NE(surface.bitmap, nullptr);
    if (surface.bitmap != first) {
        EXPECT_TRUE(IsDeleted(first));
    }
    const uint32_t grey = PixelAt(surface.dc, 100, 0);
    EXPECT_EQ(grey >> 16, grey & 0xFF) << std::hex << grey;
}

TEST(SurfaceTest, FailedLoadLeavesTheSurfaceEmpty) {
    Surface surface;
    ASSERT_EQ(surface.CreateBlank(8, 8), 1);
    const HBITMAP before = surface.bitmap;
    EXPECT_EQ(surface.LoadBitmapImage(kTestMissingId), 0);
    EXPECT_EQ(surface.bitmap, nullptr);
    EXPECT_EQ(surface.priorBitmap, nullptr);
    EXPECT_TRUE(IsDeleted(before)) << "the load released the previous bitmap first";
    EXPECT_EQ(surface.Release(), 0);
}

TEST(PixelImageBlitTest, CopiesUnscaledWithTheSourceCountedFromTheTop) {
    PixelImage image;
    ASSERT_EQ(image.Create(4, 3), 1);
    for (int32_t i = 0; i < image.pixelCount; ++i) image.pixels[i] = 0x00100000u * (i + 1) + 0x40;
    Surface target;
    ASSERT_EQ(target.CreateBlank(10, 10), 1);
    PatBlt(target.dc, 0, 0, 10, 10, WHITENESS);

    EXPECT_NE(image.Blit(target.dc, 5, 6, 2, 2, 1, 1, SRCCOPY), 0);
    EXPECT_EQ(PixelAt(target.dc, 5, 6), image.pixels[1 * 4 + 1]);
    EXPECT_EQ(PixelAt(target.dc, 6, 6), image.pixels[1 * 4 + 2]);
    EXPECT_EQ(PixelAt(target.dc, 5, 7), image.pixels[2 * 4 + 1]);
    EXPECT_EQ(PixelAt(target.dc, 6, 7), image.pixels[2 * 4 + 2]);
    EXPECT_EQ(PixelAt(target.dc, 7, 6), 0xFFFFFFu) << "unscaled: nothing beyond the width";
    EXPECT_EQ(PixelAt(target.dc, 4, 6), 0xFFFFFFu);
}

TEST(GdiHandlesTest, GuardsFreeWhatTheyOwn) {
    HBITMAP bitmap = MakeSolidBitmap(4, 4, 0);
    HRGN region = CreateRectRgn(0, 0, 5, 5);
    {
        OwnedBitmap ownedBitmap(bitmap);
        OwnedRegion ownedRegion(region);
        OwnedRegion moved(std::move(ownedRegion));
        EXPECT_FALSE(ownedRegion);
        EXPECT_EQ(moved.Get(), region);
    }
    EXPECT_TRUE(IsDeleted(bitmap));
    EXPECT_TRUE(IsDeleted(region));

    HBITMAP kept = MakeSolidBitmap(4, 4, 0);
    {
        OwnedBitmap released(kept);
        EXPECT_EQ(released.Release(), kept);
    }
    EXPECT_FALSE(IsDeleted(kept)) << "a released handle is the caller's again";

    HDC dc = nullptr;
    {
        OwnedMemoryDc memory;
        dc = memory.Get();
        ASSERT_NE(dc, nullptr);
        const HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
        {
            SelectedObject selected(dc, kept);
            EXPECT_TRUE(selected);
            EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), kept);
        }
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), original) << "the selection was undone";
    }
    EXPECT_TRUE(IsDeleted(dc));
    DeleteObject(kept);
}
