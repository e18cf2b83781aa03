#include "skin/JpegResource.h"

#include <cstdio>
#include <cstring>

#include "skin/GdiHandles.h"

namespace {

constexpr DWORD kTempPathChars = MAX_PATH;  // 260, as the temporary directory's buffer

// Writes the resource's bytes to `path`; a resource that is not there gives an empty file, so
// that the decoder reports it. False only when the file cannot be created.
bool WriteResourceToFile(int32_t resourceId, const char* path) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const void* data = nullptr;
    DWORD size = 0;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "JPEG")) {
        HGLOBAL loaded = LoadResource(module, found);
        data = loaded != nullptr ? LockResource(loaded) : nullptr;
        size = data != nullptr ? SizeofResource(module, found) : 0;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
    return true;
}

}  // namespace

void ShowJpegAlert(const char* text, const char* caption, bool stopIcon) {
    MessageBoxA(nullptr, text, caption, MB_OK | (stopIcon ? MB_ICONHAND : 0));
}

ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height) {
    return DecodeJpegFile(path, width, height, ShowJpegAlert);
}

HBITMAP LoadJpegResource(int32_t resourceId) {
    char path[kTempPathChars + sizeof kJpegTempFileName];
    const DWORD length = GetTempPathA(kTempPathChars, path);
    if (length == 0 || length >= kTempPathChars) return nullptr;
    std::memcpy(path + length, kJpegTempFileName, sizeof kJpegTempFileName);

    if (!WriteResourceToFile(resourceId, path)) return nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ByteBuffer pixels = DecodeJpegFile(path, width, height);
    SwapRedBlue(pixels.get(), width, height);  // libjpeg gives R, G, B; bitmaps hold B, G, R
    const ByteBuffer rows = PadRows(pixels.get(), width, height);
    pixels.reset();
    DeleteFileA(path);
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
