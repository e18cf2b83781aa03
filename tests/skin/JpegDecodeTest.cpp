// Decoding JPEG files with the project's libjpeg, and the row shuffling for the platform bitmap.
#include "skin/JpegDecode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/skin/JpegTestFiles.h"

namespace {

// Records the alerts that the decoder shows.
struct Alert {
    std::string text;
    std::string caption;
    bool stopIcon = false;
};
std::vector<Alert> gAlerts;

void RecordAlert(const char* text, const char* caption, bool stopIcon) {
    gAlerts.push_back({text, caption, stopIcon});
}

class JpegDecodeTest : public ::testing::Test {
protected:
    void SetUp() override { gAlerts.clear(); }
    void TearDown() override {
        for (const std::string& path : files_) std::remove(path.c_str());
    }
    std::string WriteScratch(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = ScratchPath(name);
        files_.push_back(path);
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
        return path;
    }

private:
    std::vector<std::string> files_;
};

}  // namespace

TEST_F(JpegDecodeTest, GreyscalePictureGivesEqualChannels) {
    const std::string path = WriteScratch("grey.jpg", EncodeJpeg(40, 24, 1, [](int32_t x, int32_t y, int32_t) {
        return static_cast<uint8_t>(x * 5 + y);
    }));
    int32_t width = -1;
    int32_t height = -1;
    const ByteBuffer pixels = DecodeJpegFile(path.c_str(), width, height, RecordAlert);
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(gAlerts.empty());
    ASSERT_EQ(width, 40);
    ASSERT_EQ(height, 24);
    for (int32_t i = 0; i < width * height; ++i) {
        const uint8_t* p = pixels.get() + 3 * i;
        ASSERT_EQ(p[0], p[1]) << "pixel " << i % width << ", " << i / width;
        ASSERT_EQ(p[0], p[2]) << "pixel " << i % width << ", " << i / width;
        const int32_t expected = (i % width) * 5 + i / width;
        ASSERT_NEAR(p[0], expected, 3) << "pixel " << i % width << ", " << i / width;
    }
}

TEST_F(JpegDecodeTest, ColourPictureGivesPackedRgbRowsTopDown) {
    // 177 pixels wide, as the main window's pictures: red left, blue right of column 88, and a
    // green band in the bottom rows, in flat blocks that survive compression.
    const std::string path = WriteScratch("colour.jpg", EncodeJpeg(177, 32, 3, [](int32_t x, int32_t y, int32_t c) {
        if (y >= 24) return static_cast<uint8_t>(c == 1 ? 255 : 0);
        if (x < 88) return static_cast<uint8_t>(c == 0 ? 255 : 0);
        return static_cast<uint8_t>(c == 2 ? 255 : 0);
    }));
    int32_t width = 0;
    int32_t height = 0;
    const ByteBuffer pixels = DecodeJpegFile(path.c_str(), width, height, RecordAlert);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(width, 177);
    ASSERT_EQ(height, 32);
    const auto at = [&](int32_t x, int32_t y) { return pixels.get() + 3 * (y * width + x); };
    for (int32_t y : {0, 10, 23}) {
        EXPECT_GT(at(0, y)[0], 240) << "red at the left of row " << y;
        EXPECT_LT(at(0, y)[2], 15);
        EXPECT_GT(at(176, y)[2], 240) << "blue at the right of row " << y;
        EXPECT_LT(at(176, y)[0], 15);
    }
    EXPECT_GT(at(100, 31)[1], 240) << "green at the bottom";
    EXPECT_LT(at(100, 31)[0], 15);
}

TEST_F(JpegDecodeTest, MissingFileShowsCantOpen) {
    const std::string path = ScratchPath("does-not-exist.jpg");
    int32_t width = 5;
    int32_t height = 5;
    EXPECT_EQ(DecodeJpegFile(path.c_str(), width, height, RecordAlert), nullptr);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    ASSERT_EQ(gAlerts.size(), 1u);
    EXPECT_EQ(gAlerts[0].text, "JPEG :\nCan't open " + path + "\n");
    EXPECT_EQ(gAlerts[0].caption, "Jpeg Error");
    EXPECT_FALSE(gAlerts[0].stopIcon);
}

TEST_F(JpegDecodeTest, FatalLibraryErrorsShowLibjpegsMessageAndReturnNull) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* messagePart;
    };
    std::vector<uint8_t> truncatedHeader = EncodeJpeg(16, 16, 3, [](int32_t, int32_t, int32_t) {
        return uint8_t{128};
    });
    truncatedHeader.resize(20);
    const Case cases[] = {
        {"empty.jpg", {}, "Empty input file"},
        {"not-a-jpeg.jpg", {'B', 'M', 1, 2, 3, 4, 5, 6}, "Not a JPEG file"},
        {"cut-in-header.jpg", truncatedHeader, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gAlerts.clear();
        const std::string path = WriteScratch(c.name, c.bytes);
        int32_t width = 5;
        int32_t height = 5;
        EXPECT_EQ(DecodeJpegFile(path.c_str(), width, height, RecordAlert), nullptr);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        ASSERT_EQ(gAlerts.size(), 1u);
        EXPECT_NE(gAlerts[0].text.find(c.messagePart), std::string::npos) << gAlerts[0].text;
        EXPECT_EQ(gAlerts[0].caption, "JPEG Fatal Error");
        EXPECT_TRUE(gAlerts[0].stopIcon);
        // The file was closed: it can be removed and written again at once.
        EXPECT_EQ(std::remove(path.c_str()), 0);
    }
}

TEST(JpegRowsTest, RowsArePaddedToFourBytes) {
    EXPECT_EQ(PaddedRowBytes(177, 24), 532);  // 531 bytes of pixels and one of padding
    EXPECT_EQ(PaddedRowBytes(176, 24), 528);
    EXPECT_EQ(PaddedRowBytes(1, 24), 4);
    EXPECT_EQ(PaddedRowBytes(4, 24), 12);
    EXPECT_EQ(PaddedRowBytes(5, 24), 16);
    EXPECT_EQ(PaddedRowBytes(3, 32), 12);
    EXPECT_EQ(PaddedRowBytes(0, 24), 0);
}

TEST(JpegRowsTest, SwapRedBlueTurnsRgbIntoBgr) {
    std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    SwapRedBlue(pixels.data(), 2, 2);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    SwapRedBlue(nullptr, 2, 2);
}

TEST(JpegRowsTest, PadRowsCopiesEachRowToItsPaddedPlace) {
    const int32_t width = 177;
    const int32_t height = 3;
    std::vector<uint8_t> packed(static_cast<size_t>(width) * 3 * height);
    for (size_t i = 0; i < packed.size(); ++i) packed[i] = static_cast<uint8_t>(i % 251 + 1);

    const ByteBuffer padded = PadRows(packed.data(), width, height);
    ASSERT_NE(padded, nullptr);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t b = 0; b < 532; ++b) {
            const uint8_t expected = b < 531 ? packed[y * 531 + b] : 0;
            ASSERT_EQ(padded[y * 532 + b], expected) << "row " << y << " byte " << b;
        }
    }
    EXPECT_EQ(PadRows(nullptr, width, height), nullptr);
}
