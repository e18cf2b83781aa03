// Where the bitmap font puts its glyphs: the pen arithmetic of BitmapFont, apart from the
// platform. The layout calls a copy function for every glyph or blank cell to draw; BitmapFont
// (BitmapFont.h) turns each call into one bit-block copy from its glyph strip.
//
// The glyph strip is one row of cells, cellHeight pixels high and cellWidth wide, for the
// characters 32 (space) to 126 in code order from x = 0. A glyph is the left cellWidth - 2
// pixels of its cell, which is also the advance; the two right-hand columns are never copied.
// A blank is the space glyph, whose origin is (0, 0). A character without a glyph (a control
// character, or a byte of 127 and above that a plug-in's title may hold) is drawn as a blank:
// the scrolling title is drawn over its previous frame, and a cell left undrawn would keep the
// glyph that scrolled through it.
#pragma once

#include <cstdint>

#include "skin/SkinGeometry.h"

struct FontMetrics {
    int32_t cellWidth = 14;
    int32_t cellHeight = 13;

    // Horizontal distance from one character to the next.
    int32_t Advance() const { return cellWidth - 2; }
    // Vertical distance from one line to the next.
    int32_t LineHeight() const { return cellHeight + 2; }
};

// One copy from the strip: `width` x cellHeight pixels from (srcX, 0) to (x, y).
struct GlyphCopy {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t srcX = 0;
};

// Sets `origin` to the character's glyph in the strip and returns true when the character,
// taken as a signed 8-bit value, lies in 32 to 126; otherwise returns false and leaves `origin`
// alone. Bytes 127 and above have no glyph.
bool GlyphOrigin(const FontMetrics& metrics, char character, SkinPoint& origin);

// The strip's x of the character's glyph, or of the blank for a character without one.
inline int32_t GlyphOrBlankX(const FontMetrics& metrics, char character) {
    SkinPoint origin{0, 0};
    GlyphOrigin(metrics, character, origin);
    return origin.x;
}

// Lays out a text that may hold line feeds with its first line's top-left at (x, y). A line
// feed moves the pen to x on the next line; any other character is copied (a blank for one
// without a glyph) and the pen advances. Returns false for a null text.
template <class Copy>
bool LayoutString(const FontMetrics& metrics, const char* text, int32_t x, int32_t y,
                  Copy&& copy) {
    if (text == nullptr) return false;
    int32_t penX = x;
    int32_t penY = y;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            penX = x;
            penY += metrics.LineHeight();
            continue;
        }
        copy(GlyphCopy{penX, penY, metrics.Advance(), GlyphOrBlankX(metrics, *c)});
        penX += metrics.Advance();
    }
    return true;
}

// Lays out one line of text in the horizontal span from left to right, starting `offset`
// pixels right of left, and fills the rest of the span with blanks; a falling offset on every
// frame scrolls the text to the left.
//   - A negative offset skips whole characters until the pen is at or right of left; the span
//     from left to the first drawn character is left untouched.
//   - A positive offset fills the span from left up to left + offset with blanks, the last one
//     narrowed to fit; this runs up to left + offset even beyond right.
//   - Then characters follow until the text ends or the pen reaches right, and blanks until the
//     pen reaches right. The last glyph or blank is copied whole, so copies can reach up to
//     Advance() - 1 pixels beyond right: the caller clips.
template <class Copy>
void LayoutStringInBox(const FontMetrics& metrics, const char* text, int32_t left,
                       int32_t right, int32_t y, int32_t offset, Copy&& copy) {
    const int32_t advance = metrics.Advance();
    const char* c = text != nullptr ? text : "";
    const int32_t start = left + offset;
    int32_t pen = left;
    if (start < left) {
        pen = start;
        while (pen < left && *c != '\0') {
            ++c;
            pen += advance;
        }
    }
    while (pen < start - advance) {
        copy(GlyphCopy{pen, y, advance, 0});
        pen += advance;
    }
    if (pen < start) {
        copy(GlyphCopy{pen, y, start - pen, 0});
        pen = start;
    }
    if (pen >= right) return;
    for (; *c != '\0'; ++c) {
        copy(GlyphCopy{pen, y, advance, GlyphOrBlankX(metrics, *c)});
        pen += advance;
        if (pen >= right) return;
    }
    while (pen < right) {
        copy(GlyphCopy{pen, y, advance, 0});
        pen += advance;
    }
}
