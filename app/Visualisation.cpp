#include "app/Visualisation.h"

namespace {

constexpr int32_t kFirstColumn = 10;
constexpr int32_t kColumns = 85;  // x = 10 to 94
// 576 values spread over 85 columns, as a fixed-point step with 16 fraction bits. The last
// column starts at value 569, so its seven-value window ends at 575 inside its block.
constexpr int32_t kIndexStep = (kVisBlockValues << 16) / kColumns;

constexpr int32_t kBarCentreRow = 32;
constexpr int32_t kDotRowC = 26;
constexpr int32_t kDotRowD = 38;

// A weighted average of seven values, the first twice: between -128 and 127.
int32_t Smoothed(const int8_t* block, int32_t i) {
    const int32_t sum = 2 * block[i] + block[i + 1] + block[i + 2] + block[i + 3] + block[i + 4] +
                        block[i + 5] + block[i + 6];
    return sum >> 3;
}

// A colour byte that dims from 255 as |value| x scale grows, and is 0 once that passes 255.
uint32_t Dimmed(int32_t value, int32_t scale) {
    const int32_t magnitude = (value < 0 ? -value : value) & 0xFF;
    const int32_t scaled = magnitude * scale;
    return scaled <= 255 ? static_cast<uint32_t>(255 - scaled) : 0u;
}

uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return (red << 16) | (green << 8) | blue;
}

void OrPixel(PixelImage& image, int32_t x, int32_t y, uint32_t colour) {
    image.pixels[y * image.width + x] |= colour;
}

// The bar length is the low four bits of the smoothed value less one, so a negative value draws
// a bar as well (-1 gives 14 pixels) and 0, 1 and every multiple of 16 draw none.
int32_t BarLength(int32_t smoothed) { return (smoothed & 15) - 1; }

void DrawBars(PixelImage& image, const int8_t* blockA, const int8_t* blockB) {
    int32_t k = 0;
    for (int32_t x = kFirstColumn; x < kFirstColumn + kColumns; ++x, k += kIndexStep) {
        const int32_t i = k >> 16;
        const int32_t a = Smoothed(blockA, i);
        const int32_t b = Smoothed(blockB, i);
        const uint32_t ca = Dimmed(a, 16);
        const uint32_t cb = Dimmed(b, 16);

        const int32_t up = BarLength(a);
        const uint32_t upColour = Rgb(255 - ca, cb, 0);
        for (int32_t y = kBarCentreRow - up; y < kBarCentreRow; ++y) OrPixel(image, x, y, upColour);

        const int32_t down = BarLength(b);
        const uint32_t downColour = Rgb(0, 255 - cb, ca);
        for (int32_t y = kBarCentreRow + 1; y <= kBarCentreRow + down; ++y) {
            OrPixel(image, x, y, downColour);
        }
    }
}

void DrawDots(PixelImage& image, const int8_t* blockC, const int8_t* blockD) {
    int32_t k = 0;
    for (int32_t x = kFirstColumn; x < kFirstColumn + kColumns; ++x, k += kIndexStep) {
        const int32_t i = k >> 16;
        const int32_t c = Smoothed(blockC, i);
        const int32_t d = Smoothed(blockD, i);
        // The arithmetic shift rounds toward minus infinity: rows 10 to 41 and 22 to 53.
        OrPixel(image, x, kDotRowC + (c >> 3), Rgb(0, Dimmed(c, 4), 255));
        OrPixel(image, x, kDotRowD + (d >> 3), Rgb(255, Dimmed(d, 4), 0));
    }
}

}  // namespace

void VisualiseFrame(PixelImage& image, const int8_t* visBuffer, int32_t visModes) {
    // Every pixel the scopes can reach lies inside the work rectangle; an image that does not
    // hold it is left alone rather than written past.
    if (image.pixels == nullptr || image.width < kVisWorkRect.right ||
        image.height < kVisWorkRect.bottom) {
        return;
    }
    image.Diffuse(kVisWorkRect);
    if (visBuffer == nullptr) return;

    if (visModes & kVisModeBars) {
        DrawBars(image, visBuffer, visBuffer + kVisBlockValues);
    }
    if (visModes & kVisModeDots) {
        DrawDots(image, visBuffer + 2 * kVisBlockValues, visBuffer + 3 * kVisBlockValues);
    }
}
