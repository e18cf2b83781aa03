// Helpers for the skin's Windows tests: bitmaps made from pixel arrays, pixel read-back and a
// hidden owner window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A 32-bit top-down device-independent bitmap made from 0x00RRGGBB pixels; owned by the caller.
HBITMAP MakeBitmap(int32_t width, int32_t height, const std::vector<uint32_t>& pixels);

// A bitmap of one colour.
HBITMAP MakeSolidBitmap(int32_t width, int32_t height, uint32_t colour);

// Reads a bitmap (not selected into any context) back as 0x00RRGGBB pixels, top-down.
std::vector<uint32_t> ReadBitmap(HBITMAP bitmap, int32_t& width, int32_t& height);

// The colour at (x, y) of a drawing context as 0x00RRGGBB (GetPixel gives 0x00BBGGRR).
uint32_t PixelAt(HDC dc, int32_t x, int32_t y);

// A hidden popup window of the given client size, destroyed with the object.
class TestWindow {
public:
    TestWindow(int32_t width, int32_t height);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// The temporary directory's "jpegtemp.inout", where older players put every picture they
// loaded, and where several of them starting at once tore each other's skin.
std::string JpegTempFilePath();
bool FileExists(const std::string& path);
