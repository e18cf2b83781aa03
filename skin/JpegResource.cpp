#include "skin/JpegResource.h"

#include "skin/GdiHandles.h"

void ShowJpegAlert(const char* text, const char* caption, bool stopIcon) {
    MessageBoxA(nullptr, text, caption, MB_OK | (stopIcon ? MB_ICONHAND : 0));
}

ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height) {
    return DecodeJpegFile(path, width, height, ShowJpegAlert);
}

HBITMAP LoadJpegResource(int32_t resourceId) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "JPEG")) {
        HGLOBAL loaded = LoadResource(module, found);
        data = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
        size = data != nullptr ? SizeofResource(module, found) : 0;
    }
    int32_t width = 0;
    int32_t height = 0;
    ByteBuffer pixels = DecodeJpegMemory(data, size, width, height, ShowJpegAlert);
    SwapRedBlue(pixels.get(), width, height);  // libjpeg gives R, G, B; bitmaps hold B, G, R
    const ByteBuffer rows = PadRows(pixels.get(), width, height);
    pixels.reset();
    if (!rows) return nullptr;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;

    ScreenDc screen;
    if (!screen) return nullptr;
    return CreateDIBitmap(screen.Get(), &header, CBM_INIT, rows.get(),
                          reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
}
