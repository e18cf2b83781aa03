#include "skin/PixelImage.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

PixelImage::~PixelImage() { Free(); }

int32_t PixelImage::Create(int32_t newWidth, int32_t newHeight) {
    Free();
    if (newWidth <= 0 || newHeight <= 0 ||
        newWidth > std::numeric_limits<int32_t>::max() / newHeight) {
        return 0;
    }
    pixels = new (std::nothrow) uint32_t[static_cast<size_t>(newWidth) * newHeight];
    if (pixels == nullptr) return 0;
    width = newWidth;
    height = newHeight;
    pixelCount = newWidth * newHeight;

    header = DibHeader{};
    header.size = sizeof(DibHeader);
    header.width = width;
    header.height = -height;
    header.planes = 1;
    header.bitCount = 32;
    return 1;
}

void PixelImage::Fill(uint32_t value) {
    if (pixels != nullptr) std::fill(pixels, pixels + pixelCount, value);
}

void PixelImage::Diffuse(SkinRect rect) {
    const int32_t left = std::max(rect.left, 1);
    const int32_t top = std::max(rect.top, 1);
    const int32_t right = std::min(rect.right, width - 1);
    const int32_t bottom = std::min(rect.bottom, height - 1);
    if (pixels == nullptr || left >= right || top >= bottom) return;

    for (int32_t y = top; y < bottom; ++y) {
        uint32_t* row = pixels + static_cast<size_t>(y) * width;
        const uint32_t* above = row - width;
        const uint32_t* below = row + width;
        for (int32_t x = right - 1; x >= left; --x) {
            row[x] = DiffusePixel(above[x], below[x], row[x + 1]);
        }
    }
}

void PixelImage::Free() {
    delete[] pixels;
    pixels = nullptr;
    pixelCount = 0;
    width = 0;
    height = 0;
}
