// Fixed-pitch text copied glyph by glyph from a strip bitmap, so that the main window's title,
// time and messages match the skin. FontLayout.h has the pen arithmetic and the strip's layout.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/FontLayout.h"

class BitmapFont {
public:
    HBITMAP priorBitmap = nullptr;  // what dc held before the strip was selected
    HBITMAP bitmap = nullptr;       // owned: the glyph strip
    HDC dc = nullptr;               // owned: memory context holding the strip
    int32_t cellWidth = 14;
    int32_t cellHeight = 13;

    BitmapFont() = default;
    virtual ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Loads the program's bitmap resource as the strip. Returns 1; a strip that cannot be
    // loaded leaves a font that draws nothing visible.
    int32_t Load(int32_t resourceId);
    // Takes ownership of `strip` as the glyph strip, in place of any previous one. Returns 1.
    int32_t Attach(HBITMAP strip);

    // Sets point to the character's glyph in the strip and returns 1 for characters 32 to 126;
    // otherwise returns 0 and leaves point alone.
    int32_t GlyphOrigin(char character, POINT& point) const;
    int32_t Advance(char character) const;     // 12 for every character
    int32_t LineHeight(char character) const;  // 15

    // Draws a text that may hold line feeds with its first line's top-left at (x, y). Returns
    // 0 for a null text, else 1.
    int32_t DrawString(HDC target, const char* text, int32_t x, int32_t y) const;
    // Draws one line in the span from left to right, starting `offset` pixels right of left,
    // and fills the rest of the span with blanks; may draw up to 11 pixels beyond right, so the
    // caller clips. A null text draws blanks only.
    void DrawStringInBox(HDC target, const char* text, int32_t left, int32_t right, int32_t y,
                         int32_t offset) const;

private:
    FontMetrics Metrics() const { return {cellWidth, cellHeight}; }
    void Copy(HDC target, const GlyphCopy& copy) const;
    void Free();
};
