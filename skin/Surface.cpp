#include "skin/Surface.h"

#include "skin/GdiHandles.h"
#include "skin/JpegResource.h"

Surface::Surface() : dc(CreateCompatibleDC(nullptr)) {}

Surface::~Surface() {
    Release();
    if (dc != nullptr) DeleteDC(dc);
}

int32_t Surface::LoadJpegImage(int32_t resourceId) {
    Release();
    return Adopt(LoadJpegResource(resourceId));
}

int32_t Surface::LoadBitmapImage(int32_t resourceId) {
    Release();
    return Adopt(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId & 0xFFFF)));
}

int32_t Surface::CreateBlank(int32_t width, int32_t height) {
    Release();
    HBITMAP blank = nullptr;
    {
        ScreenDc screen;
        if (screen) blank = CreateCompatibleBitmap(screen.Get(), width, height);
    }
    return Adopt(blank);
}

int32_t Surface::Release() {
    if (bitmap == nullptr) return 0;
    SelectObject(dc, priorBitmap);
    const BOOL deleted = DeleteObject(bitmap);
    bitmap = nullptr;
    priorBitmap = nullptr;
    return deleted;
}

int32_t Surface::Adopt(HBITMAP newBitmap) {
    if (newBitmap == nullptr) return 0;
    const HGDIOBJ prior = dc != nullptr ? SelectObject(dc, newBitmap) : nullptr;
    if (prior == nullptr || prior == HGDI_ERROR) {
        // No context to hold it (or the selection failed): stay empty rather than keep a
        // bitmap that nothing can draw from.
        DeleteObject(newBitmap);
        return 0;
    }
    bitmap = newBitmap;
    priorBitmap = static_cast<HBITMAP>(prior);
    return 1;
}
