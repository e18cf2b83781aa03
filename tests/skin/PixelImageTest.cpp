// The pixel image: its header, filling, and the smoke filter's exact masked arithmetic.
#include "skin/PixelImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// The smoke filter written the slow way, one colour byte at a time, straight from its
// description: the average of the masked bytes above, below and twice to the right, less 1/32.
uint32_t ReferencePixel(uint32_t up, uint32_t down, uint32_t right) {
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t u = (up >> shift) & 0xFC;
        const uint32_t d = (down >> shift) & 0xFC;
        const uint32_t r = (right >> shift) & 0xFC;
        const uint32_t average = (u + d + 2 * r) / 4;
        result |= (average - average / 32) << shift;
    }
    return result;
}

// Filters a copy of the image the slow way, visiting pixels in the filter's order.
std::vector<uint32_t> ReferenceDiffuse(std::vector<uint32_t> pixels, int32_t width,
                                       SkinRect inner) {
    for (int32_t y = inner.top; y < inner.bottom; ++y) {
        for (int32_t x = inner.right - 1; x >= inner.left; --x) {
            pixels[y * width + x] = ReferencePixel(pixels[(y - 1) * width + x],
                                                   pixels[(y + 1) * width + x],
                                                   pixels[y * width + x + 1]);
        }
    }
    return pixels;
}

void FillRandom(PixelImage& image, uint32_t seed) {
    std::mt19937 random(seed);
    for (int32_t i = 0; i < image.pixelCount; ++i) image.pixels[i] = random() & 0x00FFFFFFu;
}

std::vector<uint32_t> Pixels(const PixelImage& image) {
    return std::vector<uint32_t>(image.pixels, image.pixels + image.pixelCount);
}

}  // namespace

TEST(PixelImageTest, CreateDescribesTopDown32BitRows) {
    PixelImage image;
    EXPECT_EQ(image.pixels, nullptr);
    ASSERT_EQ(image.Create(128, 64), 1);
    EXPECT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 128);
    EXPECT_EQ(image.height, 64);
    EXPECT_EQ(image.pixelCount, 128 * 64);
    EXPECT_EQ(image.header.size, 40u);
    EXPECT_EQ(image.header.width, 128);
    EXPECT_EQ(image.header.height, -64);
    EXPECT_EQ(image.header.planes, 1);
    EXPECT_EQ(image.header.bitCount, 32);
    EXPECT_EQ(image.header.compression, 0u);
    EXPECT_EQ(image.header.sizeImage, 0u);
    EXPECT_EQ(image.header.clrUsed, 0u);
}

TEST(PixelImageTest, CreateAgainReplacesTheBufferAndBadSizesLeaveItEmpty) {
    PixelImage image;
    ASSERT_EQ(image.Create(4, 4), 1);
    ASSERT_EQ(image.Create(128, 128), 1);
    EXPECT_EQ(image.pixelCount, 128 * 128);
    image.Fill(7);
    EXPECT_EQ(image.pixels[128 * 128 - 1], 7u);

    const int32_t bad[][2] = {{0, 5}, {5, 0}, {-1, 5}, {65536, 65536}};
    for (const auto& size : bad) {
        EXPECT_EQ(image.Create(size[0], size[1]), 0) << size[0] << " x " << size[1];
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.pixelCount, 0);
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
    }
    image.Fill(1);  // an empty image has nothing to fill
    image.Diffuse({0, 0, 10, 10});
}

TEST(PixelImageTest, FillWritesEveryPixel) {
    PixelImage image;
    ASSERT_EQ(image.Create(5, 3), 1);
    image.Fill(0x00123456u);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(15, 0x00123456u));
}

TEST(PixelImageTest, DiffuseOfWhiteNeighboursGives245) {
    // (252 + 2 x 252 + 252) / 4 = 252 after dropping the two low bits, minus 252 / 32 = 7.
    PixelImage image;
    ASSERT_EQ(image.Create(3, 3), 1);
    image.Fill(0x00FFFFFFu);
    image.pixels[4] = 0;
    image.Diffuse({0, 0, 3, 3});
    EXPECT_EQ(image.pixels[4], 0x00F5F5F5u);
    EXPECT_EQ(DiffusePixel(0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu), 0x00F5F5F5u);
}

TEST(PixelImageTest, DiffuseMatchesTheByteWiseAverageInTheFiltersOrder) {
    // Random pixels exercise every byte value, carries between bytes that the masking must
    // prevent, and the order: each pixel reads the already filtered pixels above and right.
    PixelImage image;
    ASSERT_EQ(image.Create(23, 17), 1);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        FillRandom(image, seed);
        const std::vector<uint32_t> expected =
            ReferenceDiffuse(Pixels(image), image.width, {1, 1, 22, 16});
        image.Diffuse({-100, -100, 100, 100});
        ASSERT_EQ(Pixels(image), expected) << "seed " << seed;
    }
}

TEST(PixelImageTest, DiffuseOfPartOfTheImageTouchesOnlyThatPart) {
    PixelImage image;
    ASSERT_EQ(image.Create(20, 12), 1);
    FillRandom(image, 99);
    const std::vector<uint32_t> expected =
        ReferenceDiffuse(Pixels(image), image.width, {5, 3, 11, 9});
    image.Diffuse({5, 3, 11, 9});
    EXPECT_EQ(Pixels(image), expected);
}

TEST(PixelImageTest, DiffuseNeverWritesTheOutermostRowsAndColumns) {
    PixelImage image;
    ASSERT_EQ(image.Create(9, 7), 1);
    FillRandom(image, 5);
    const std::vector<uint32_t> before = Pixels(image);
    // Rectangles lying wholly in the border, or empty, write nothing at all.
    const SkinRect nothing[] = {{0, 0, 9, 1}, {0, 6, 9, 7}, {0, 0, 1, 7}, {8, 0, 9, 7},
                                {4, 4, 4, 6}, {6, 2, 3, 5}};
    for (const SkinRect& rect : nothing) {
        image.Diffuse(rect);
        ASSERT_EQ(Pixels(image), before) << rect.left << "," << rect.top << "," << rect.right
                                         << "," << rect.bottom;
    }
    image.Diffuse({0, 0, 9, 7});
    for (int32_t y = 0; y < 7; ++y) {
        for (int32_t x = 0; x < 9; ++x) {
            if (x == 0 || y == 0 || x == 8 || y == 6) {
                EXPECT_EQ(image.pixels[y * 9 + x], before[y * 9 + x]) << "(" << x << ", " << y << ")";
            }
        }
    }
}

TEST(PixelImageTest, AllZeroImageStaysZero) {
    PixelImage image;
    ASSERT_EQ(image.Create(16, 16), 1);
    image.Fill(0);
    for (int frame = 0; frame < 10; ++frame) image.Diffuse({0, 0, 16, 16});
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(256, 0u));
}
