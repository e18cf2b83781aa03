// The Windows half of PixelImage: showing it with an unscaled blit.
#include <windows.h>

#include "skin/PixelImage.h"

static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER), "DibHeader must match");

int32_t PixelImage::Blit(HDC dc, int32_t x, int32_t y, int32_t blitWidth, int32_t blitHeight,
                         int32_t srcX, int32_t srcY, uint32_t rop) const {
    if (pixels == nullptr) return 0;
    // For a top-down image the platform still counts the source's y from the bottom row, so
    // the top-down offset is turned around: a copy of rows srcY to srcY + blitHeight - 1.
    const int32_t fromBottom = height - srcY - blitHeight;
    return StretchDIBits(dc, x, y, blitWidth, blitHeight, srcX, fromBottom, blitWidth, blitHeight,
                         pixels, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS,
                         rop);
}
