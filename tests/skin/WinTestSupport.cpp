#include "tests/skin/WinTestSupport.h"

#include <chrono>
#include <cstring>

#include "skin/JpegResource.h"

HBITMAP MakeBitmap(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) std::memcpy(bits, pixels.data(), pixels.size() * 4);
    return bitmap;
}

HBITMAP MakeSolidBitmap(int32_t width, int32_t height, uint32_t colour) {
    return MakeBitmap(width, height,
                      std::vector<uint32_t>(static_cast<size_t>(width) * height, colour));
}

std::vector<uint32_t> ReadBitmap(HBITMAP bitmap, int32_t& width, int32_t& height) {
    BITMAP object{};
    GetObjectA(bitmap, sizeof object, &object);
    width = object.bmWidth;
    height = object.bmHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

uint32_t PixelAt(HDC dc, int32_t x, int32_t y) {
    const COLORREF c = GetPixel(dc, x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* TestWindowClass() {
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SkinTestWindow";
        RegisterClassA(&windowClass);
        return "SkinTestWindow";
    }();
    return name;
}

}  // namespace

TestWindow::TestWindow(int32_t width, int32_t height)
    : window_(CreateWindowExA(0, TestWindowClass(), "skin test", WS_POPUP, 0, 0, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}

TestWindow::~TestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

std::string JpegTempFilePath() {
    char path[MAX_PATH + 32] = {};
    const DWORD length = GetTempPathA(MAX_PATH, path);
    return std::string(path, length) + "jpegtemp.inout";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
