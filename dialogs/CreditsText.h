// The About window's credits: one text compiled into the program, drawn once into the surface
// that the scroller copies from.
#pragma once

#include <windows.h>

#include <cstdint>

// The surface that holds the whole drawn text, and the colours it is drawn in. The background
// is also what the scroller shows for rows the surface does not have.
inline constexpr int32_t kCreditsWidth = 268;
inline constexpr int32_t kCreditsSurfaceHeight = 2000;
inline constexpr COLORREF kCreditsBackground = RGB(0x00, 0x22, 0x10);
inline constexpr COLORREF kCreditsInk = RGB(0x00, 0xF0, 0x00);

extern const char kCreditsText[];

// Fills a kCreditsWidth x kCreditsSurfaceHeight surface with the background and draws the
// credits into it, centred and word-wrapped in the stock GUI font. Returns the drawn text's
// height in pixels.
int32_t DrawCreditsText(HDC surfaceDc);
