#include "skin/RegionScan.h"

#include <cstddef>

namespace {

bool InsidePicture(int32_t x, int32_t y, int32_t width, int32_t height) {
    return x >= 0 && y >= 0 && x < width && y < height;
}

// Adds one closed run to the scan: widens the bounds and merges it into the last rectangle
// when that rectangle has the same columns and ends on the row above.
void CloseRun(RegionScan& scan, int32_t left, int32_t row, int32_t right) {
    const SkinRect run{left, row, right, row + 1};
    if (scan.rects.empty()) {
        scan.bounds = run;
    } else {
        if (run.left < scan.bounds.left) scan.bounds.left = run.left;
        if (run.top < scan.bounds.top) scan.bounds.top = run.top;
        if (run.right > scan.bounds.right) scan.bounds.right = run.right;
        if (run.bottom > scan.bounds.bottom) scan.bounds.bottom = run.bottom;
        SkinRect& last = scan.rects.back();
        if (last.left == run.left && last.right == run.right && last.bottom == row) {
            last.bottom = row + 1;
            return;
        }
    }
    scan.rects.push_back(run);
}

}  // namespace

void FloodMark(uint8_t* mask, const uint32_t* pixels, uint32_t key, int32_t x, int32_t y,
               int32_t width, int32_t height) {
    if (!InsidePicture(x, y, width, height)) return;
    const auto at = [width](int32_t cx, int32_t cy) {
        return static_cast<size_t>(cy) * static_cast<size_t>(width) + static_cast<size_t>(cx);
    };
    if (mask[at(x, y)] != 0 || pixels[at(x, y)] != key) return;

    // Every pixel is marked when it is pushed, so each is pushed at most once and the stack
    // never holds more entries than the picture has pixels.
    std::vector<SkinPoint> pending;
    mask[at(x, y)] = 1;
    pending.push_back({x, y});
    while (!pending.empty()) {
        const SkinPoint p = pending.back();
        pending.pop_back();
        const SkinPoint neighbours[4] = {
            {p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
        for (const SkinPoint& n : neighbours) {
            if (!InsidePicture(n.x, n.y, width, height)) continue;
            const size_t i = at(n.x, n.y);
            if (mask[i] != 0 || pixels[i] != key) continue;
            mask[i] = 1;
            pending.push_back(n);
        }
    }
}

RegionScan ScanRegion(const uint32_t* pixels, int32_t width, int32_t height, int32_t x,
                      int32_t y, bool invert, bool flood) {
    RegionScan scan;
    scan.bounds = {width, height, 0, 0};
    if (!InsidePicture(x, y, width, height)) return scan;

    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint32_t key = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x];

    // In flood mode the mask is scanned against 1, otherwise the pixels against the key.
    std::vector<uint8_t> mask;
    if (flood) {
        mask.assign(count, 0);
        FloodMark(mask.data(), pixels, key, x, y, width, height);
    }

    for (int32_t row = 0; row < height; ++row) {
        const size_t rowStart = static_cast<size_t>(row) * static_cast<size_t>(width);
        int32_t runStart = -1;
        for (int32_t column = 0; column < width; ++column) {
            const size_t i = rowStart + static_cast<size_t>(column);
            const bool selected = flood ? mask[i] == 1 : pixels[i] == key;
            const bool inside = selected != invert;
            if (inside && runStart < 0) {
                runStart = column;
            } else if (!inside && runStart >= 0) {
                CloseRun(scan, runStart, row, column);
                runStart = -1;
            }
        }
        if (runStart >= 0) CloseRun(scan, runStart, row, width);
    }
    return scan;
}
