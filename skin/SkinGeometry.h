// Rectangles and points of the skin code, in client pixels of the owner window (or pixels of a
// bitmap counted from its top-left). Right and bottom edges are exclusive.
//
// These are plain 32-bit records so that the portable code (region scanning, knob and font
// arithmetic) never needs the platform's RECT and POINT; the Windows side converts at its edge.
#pragma once

#include <cstdint>

struct SkinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend bool operator==(const SkinRect& a, const SkinRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const SkinRect& a, const SkinRect& b) { return !(a == b); }
};

struct SkinPoint {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const SkinPoint& a, const SkinPoint& b) {
        return a.x == b.x && a.y == b.y;
    }
    friend bool operator!=(const SkinPoint& a, const SkinPoint& b) { return !(a == b); }
};
