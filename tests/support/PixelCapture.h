// Reads rectangles of pixels back from a drawing context (a window's, or a surface's).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The pixels of `dc` in (x, y, width, height) as 0x00RRGGBB, top-down, row by row.
std::vector<uint32_t> CapturePixels(HDC dc, int x, int y, int width, int height);

// The same from a window's client area.
std::vector<uint32_t> CaptureWindow(HWND window, int x, int y, int width, int height);

// 0x00RRGGBB from a COLORREF (0x00BBGGRR).
inline uint32_t Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}
