#include "skin/BitmapFont.h"

BitmapFont::~BitmapFont() { Free(); }

int32_t BitmapFont::Load(int32_t resourceId) {
    return Attach(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId & 0xFFFF)));
}

int32_t BitmapFont::Attach(HBITMAP strip) {
    Free();
    bitmap = strip;
    dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr && bitmap != nullptr) {
        priorBitmap = static_cast<HBITMAP>(SelectObject(dc, bitmap));
    }
    return 1;
}

int32_t BitmapFont::GlyphOrigin(char character, POINT& point) const {
    SkinPoint origin;
    if (!::GlyphOrigin(Metrics(), character, origin)) return 0;
    point = {origin.x, origin.y};
    return 1;
}

int32_t BitmapFont::Advance(char) const { return Metrics().Advance(); }

int32_t BitmapFont::LineHeight(char) const { return Metrics().LineHeight(); }

int32_t BitmapFont::DrawString(HDC target, const char* text, int32_t x, int32_t y) const {
    return LayoutString(Metrics(), text, x, y,
                        [&](const GlyphCopy& copy) { Copy(target, copy); })
               ? 1
               : 0;
}

void BitmapFont::DrawStringInBox(HDC target, const char* text, int32_t left, int32_t right,
                                 int32_t y, int32_t offset) const {
    LayoutStringInBox(Metrics(), text, left, right, y, offset,
                      [&](const GlyphCopy& copy) { Copy(target, copy); });
}

void BitmapFont::Copy(HDC target, const GlyphCopy& copy) const {
    if (bitmap == nullptr) return;  // without a strip, draw nothing rather than garbage
    BitBlt(target, copy.x, copy.y, copy.width, cellHeight, dc, copy.srcX, 0, SRCCOPY);
}

void BitmapFont::Free() {
    if (dc != nullptr) {
        if (priorBitmap != nullptr) SelectObject(dc, priorBitmap);
        DeleteDC(dc);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    priorBitmap = nullptr;
    bitmap = nullptr;
    dc = nullptr;
}
