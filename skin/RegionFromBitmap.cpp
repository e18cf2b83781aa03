#include "skin/RegionFromBitmap.h"

#include <vector>

#include "skin/GdiHandles.h"

// Far beyond any map (the largest is 426 x 350); it keeps width x height, and the 32-bit copy of
// the pixels, well inside what a 32-bit process can address.
constexpr uint64_t kMaxMapPixels = uint64_t{1} << 24;

bool ScanBitmap(HBITMAP bitmap, int32_t x, int32_t y, bool invert, bool flood, RegionScan& scan) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0 ||
        static_cast<uint64_t>(info.bmWidth) * static_cast<uint64_t>(info.bmHeight) > kMaxMapPixels) {
        return false;
    }
    const int32_t width = info.bmWidth;
    const int32_t height = info.bmHeight;

    // Reading at 32 bits gives every pixel's colour exactly, whatever the map's depth; an 8-bit
    // read would map colours onto the default palette, where close colours merge.
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;  // rows top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    {
        ScreenDc screen;
        if (!screen || GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                 &request, DIB_RGB_COLORS) != height) {
            return false;
        }
    }
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFFu;
    scan = ScanRegion(pixels.data(), width, height, x, y, invert, flood);
    return true;
}

HRGN RegionFromBitmap(HBITMAP bitmap, int32_t x, int32_t y, int32_t invert, int32_t flood) {
    RegionScan scan;
    if (!ScanBitmap(bitmap, x, y, invert != 0, flood != 0, scan) || scan.rects.empty()) {
        return CreateRectRgn(0, 0, 0, 0);
    }

    // The platform's region data: a header, then the rectangles. The buffer grows with the
    // selection instead of stopping at a fixed number of rectangles.
    const size_t count = scan.rects.size();
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = 0;
    data->rdh.rcBound = {scan.bounds.left, scan.bounds.top, scan.bounds.right, scan.bounds.bottom};
    RECT* rects = reinterpret_cast<RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
    for (size_t i = 0; i < count; ++i) {
        const SkinRect& r = scan.rects[i];
        rects[i] = {r.left, r.top, r.right, r.bottom};
    }
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}
