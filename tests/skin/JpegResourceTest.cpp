// The JPEG resource loader under Wine: decoded pictures, the temporary file and the message
// boxes of its failures.
#include "skin/JpegResource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "skin/GdiHandles.h"
#include "tests/skin/JpegTestFiles.h"
#include "tests/skin/TestIds.h"
#include "tests/skin/WinTestSupport.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

uint8_t Red(uint32_t p) { return static_cast<uint8_t>(p >> 16); }
uint8_t Green(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
uint8_t Blue(uint32_t p) { return static_cast<uint8_t>(p); }

}  // namespace

TEST(JpegResourceTest, GreyscalePictureGivesABitmapWithEqualChannels) {
    OwnedBitmap bitmap(LoadJpegResource(kTestJpegGrey));
    ASSERT_TRUE(bitmap);
    int32_t width = 0;
    int32_t height = 0;
    const std::vector<uint32_t> pixels = ReadBitmap(bitmap.Get(), width, height);
    ASSERT_EQ(width, 177);
    ASSERT_EQ(height, 16);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            ASSERT_TRUE(Red(p) == Green(p) && Green(p) == Blue(p))
                << "(" << x << ", " << y << ") is " << std::hex << p;
            ASSERT_NEAR(Red(p), x + y, 4) << "(" << x << ", " << y << ")";
        }
    }
}

TEST(JpegResourceTest, RowsOf177PixelsLineUp) {
    // Each row of the 177-pixel-wide picture is padded to 532 bytes; a wrong row length would
    // shift every row against the one above and smear the red-blue edge across the picture.
    OwnedBitmap bitmap(LoadJpegResource(kTestJpegColour));
    ASSERT_TRUE(bitmap);
    int32_t width = 0;
    int32_t height = 0;
    const std::vector<uint32_t> pixels = ReadBitmap(bitmap.Get(), width, height);
    ASSERT_EQ(width, 177);
    ASSERT_EQ(height, 16);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x : {0, 40, 84, 92, 140, 176}) {
            const uint32_t p = pixels[y * width + x];
            const bool red = x < 88;
            EXPECT_GT(red ? Red(p) : Blue(p), 230) << "(" << x << ", " << y << ") is " << std::hex << p;
            EXPECT_LT(red ? Blue(p) : Red(p), 25) << "(" << x << ", " << y << ") is " << std::hex << p;
            EXPECT_LT(Green(p), 25) << "(" << x << ", " << y << ") is " << std::hex << p;
        }
    }
}

TEST(JpegResourceTest, LoadingNeedsNoTemporaryFileThatAnotherPlayerCouldHold) {
    // A folder where the old temporary file went: no file can be made or read there.
    const std::string temp = JpegTempFilePath();
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr)) << temp;
    OwnedBitmap bitmap(LoadJpegResource(kTestJpegColour));
    RemoveDirectoryA(temp.c_str());
    EXPECT_TRUE(bitmap) << "the picture did not load while " << temp << " was taken";
}

TEST(JpegResourceTest, MissingResourceShowsTheFatalErrorBoxAndGivesNull) {
    const std::string temp = JpegTempFilePath();
    MessageBoxWatcher watcher("JPEG Fatal Error");
    const HBITMAP bitmap = LoadJpegResource(kTestMissingId);
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_FALSE(seen.empty()) << "no \"JPEG Fatal Error\" box appeared";
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_NE(seen[0].text.find("Empty input file"), std::string::npos) << seen[0].text;
    EXPECT_TRUE(seen[0].stopIcon);
    EXPECT_FALSE(FileExists(temp)) << temp << " was left behind";
}

TEST(JpegResourceTest, UnreadableFileShowsTheOpenErrorBox) {
    const std::string path = ScratchPath("no-such-picture.jpg");
    MessageBoxWatcher watcher("Jpeg Error");
    int32_t width = 1;
    int32_t height = 1;
    EXPECT_EQ(DecodeJpegFile(path.c_str(), width, height), nullptr);
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_FALSE(seen.empty()) << "no \"Jpeg Error\" box appeared";
    EXPECT_NE(seen[0].text.find("Can't open " + path), std::string::npos) << seen[0].text;
    EXPECT_FALSE(seen[0].stopIcon);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}
