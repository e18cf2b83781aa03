// A 32-bit pixel image that the program writes directly and shows with an unscaled blit: the
// visualisation draws into one, smears it with Diffuse every frame and copies it to the window.
//
// Everything but Blit is portable. One pixel is 0x00RRGGBB as a 32-bit value (in memory blue,
// green, red, unused); the top byte is never displayed.
#pragma once

#include <cstdint>

#include "skin/SkinGeometry.h"

#ifdef _WIN32
struct HDC__;  // the platform's drawing-context handle (HDC) is a pointer to this type
#endif

// The platform's 40-byte BITMAPINFOHEADER, laid out field by field so that the portable code can
// fill it in; Blit hands it to the platform as it is.
struct DibHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;  // negative: rows run top-down
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;  // 0 = BI_RGB
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
static_assert(sizeof(DibHeader) == 40, "DibHeader must match BITMAPINFOHEADER");

// The masks and the decay of the smoke filter, for one whole 32-bit pixel at a time.
constexpr uint32_t kDiffuseKeepMask = 0xFCFCFCFCu;   // drop the two low bits of every byte
constexpr uint32_t kDiffuseDecayMask = 0x07070707u;  // b / 32 of every byte, after >> 5

// The smoke filter's new value of a pixel from its neighbours above (up), below (down) and to
// the right: the masked average (up + 2 right + down) / 4 of every byte, less 1/32 of it.
inline uint32_t DiffusePixel(uint32_t up, uint32_t down, uint32_t right) {
    // Masking first leaves every byte a multiple of 4, so the sum of four of them fits its byte
    // plus two bits of headroom and the shift by 2 returns each byte's exact average with no
    // carry into its neighbour. Whatever lands in the top byte is never displayed.
    const uint32_t sum = (up & kDiffuseKeepMask) + (down & kDiffuseKeepMask) +
                         2u * (right & kDiffuseKeepMask);
    const uint32_t average = sum >> 2;
    // (average >> 5) & 0x07 in each byte is that byte's top three bits, b / 32 rounded down,
    // which never exceeds b: the subtraction borrows across no byte.
    return average - ((average >> 5) & kDiffuseDecayMask);
}

class PixelImage {
public:
    DibHeader header;            // 32 bits per pixel, top-down, BI_RGB
    uint32_t* pixels = nullptr;  // owned: pixelCount pixels, row after row, no padding
    int32_t pixelCount = 0;      // width x height
    int32_t width = 0;
    int32_t height = 0;

    PixelImage() = default;
    PixelImage(const PixelImage&) = delete;
    PixelImage& operator=(const PixelImage&) = delete;
    virtual ~PixelImage();

    // Frees any previous buffer, then allocates width x height pixels (content undefined until
    // Fill). Returns 1, or 0 with the image left empty when the size is not positive or the
    // buffer cannot be allocated.
    int32_t Create(int32_t newWidth, int32_t newHeight);

    // Writes `value` into every pixel.
    void Fill(uint32_t value);

    // Runs the smoke filter over `rect` clipped to the inner rectangle (1, 1, width - 1,
    // height - 1): the outermost row and column on every side are never written. Rows run from
    // the top, and each row from right to left, every new pixel replacing the old one at once,
    // so a pixel reads the already filtered pixels above it and to its right and the unfiltered
    // one below. Repeated every frame the image smears upwards and to the left and fades.
    void Diffuse(SkinRect rect);

    // Releases the buffer and sets the four numbers to 0.
    void Free();

#ifdef _WIN32
    // An unscaled copy of the rectangle at (srcX, srcY), counted from the image's top-left, to
    // (x, y) with StretchDIBits and the raster operation `rop`. Returns what StretchDIBits
    // returns (the number of lines copied, 0 on failure).
    int32_t Blit(HDC__* dc, int32_t x, int32_t y, int32_t blitWidth, int32_t blitHeight,
                 int32_t srcX, int32_t srcY, uint32_t rop) const;
#endif
};
