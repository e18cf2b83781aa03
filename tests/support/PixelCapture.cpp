#include "tests/support/PixelCapture.h"

#include "skin/GdiHandles.h"

std::vector<uint32_t> CapturePixels(HDC dc, int x, int y, int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const OwnedBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const OwnedMemoryDc copy(dc);
    if (!section || !copy)
        return pixels;
    {
        const SelectedObject selected(copy.Get(), section.Get());
        BitBlt(copy.Get(), 0, 0, width, height, dc, x, y, SRCCOPY);
        GdiFlush();
    }
    const auto* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = source[i] & 0x00FFFFFFu;
    return pixels;
}

std::vector<uint32_t> CaptureWindow(HWND window, int x, int y, int width, int height)
{
    const WindowDc dc(window);
    return CapturePixels(dc.Get(), x, y, width, height);
}
