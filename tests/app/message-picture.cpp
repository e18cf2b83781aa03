// Prints the main window's time display box ("X Y WIDTH HEIGHT", window coordinates) and writes
// OUT.ppm: that box as the player shows MESSAGE in it (the resting skin, the skin's font), with
// the pixels outside the display's region in magenta, which no comparison counts. A "|" in
// MESSAGE is a line break.
//   message-picture MESSAGE OUT.ppm
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/PlayerApp.h"
#include "tests/support/PixelCapture.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::string text = argv[1];
    for (char& c : text)
        if (c == '|')
            c = '\n';
    gPlayerApp.LoadSkin(GetModuleHandleA(nullptr));
    RECT box;
    GetRgnBox(gPlayerApp.timeRegion, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    const HDC dc = CreateCompatibleDC(gPlayerApp.skinNormal.dc);
    const HBITMAP canvas =
        CreateCompatibleBitmap(gPlayerApp.skinNormal.dc, gPlayerApp.windowWidth,
                               gPlayerApp.windowHeight);
    const HGDIOBJ prior = SelectObject(dc, canvas);
    BitBlt(dc, 0, 0, gPlayerApp.windowWidth, gPlayerApp.windowHeight, gPlayerApp.skinNormal.dc,
           0, 0, SRCCOPY);
    gPlayerApp.skinFont.DrawString(dc, text.c_str(), 40, (box.top + box.bottom) / 2);
    const std::vector<uint32_t> pixels = CapturePixels(dc, box.left, box.top, width, height);
    SelectObject(dc, prior);
    DeleteObject(canvas);
    DeleteDC(dc);

    FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside = PtInRegion(gPlayerApp.timeRegion, box.left + x, box.top + y);
            const uint32_t pixel = inside ? pixels[size_t(y) * width + x] : 0xFF00FFu;
            const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                          static_cast<unsigned char>(pixel >> 8),
                                          static_cast<unsigned char>(pixel)};
            std::fwrite(rgb, 1, 3, out);
        }
    std::fclose(out);
    std::printf("%d %d %d %d\n", static_cast<int>(box.left), static_cast<int>(box.top), width,
                height);
    return 0;
}
