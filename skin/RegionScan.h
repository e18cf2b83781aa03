// Cutting areas out of a region map: the portable half of RegionFromBitmap.
//
// A region map is a picture in which the designer painted every window shape, button, knob and
// display in a flat colour of its own. The scan turns one area of it into the list of
// rectangles that the platform's region calls accept. Three forms are cut:
//   - excluding  (invert, no flood): every pixel whose colour differs from the sample point's;
//                 used for window shapes with the sample point (0, 0) in the background;
//   - connected  (flood, no invert): the pixels 4-connected to the sample point through its
//                 colour, so that two buttons painted in the same colour stay apart;
//   - same-colour (neither): every pixel of the sample point's colour, connected or not.
//
// Pixels are compared as whole 32-bit values; the Windows side reads maps at 32 bits per pixel
// and clears the unused top byte, so two pixels match exactly when their colours are equal.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/SkinGeometry.h"

struct RegionScan {
    // Rectangles in the order they were closed: row by row from the top, left to right in a
    // row, each vertical run of equal rows merged into one rectangle (see ScanRegion).
    std::vector<SkinRect> rects;
    // Union of all rectangles; (width, height, 0, 0) when there is none.
    SkinRect bounds;
};

// Marks in `mask` (width x height bytes, row after row, 1 = marked) every pixel that is
// 4-connected to (x, y) through pixels equal to `key`, including (x, y) itself when it matches.
// Pixels already marked are not visited again. Uses an explicit stack whose size is bounded by
// the number of pixels, so areas of any size are filled without deep recursion. A start point
// outside the picture marks nothing.
void FloodMark(uint8_t* mask, const uint32_t* pixels, uint32_t key, int32_t x, int32_t y,
               int32_t width, int32_t height);

// Scans `pixels` (width x height, row after row from the top, no padding) for the area selected
// by the sample point (x, y) and the two flags.
//
// Rows are scanned from the top, columns from the left. A run is a maximal horizontal span of
// inside pixels in one row, the rectangle (first inside column, row, first outside column or
// width, row + 1). When a run closes it extends the last rectangle of the list downwards if that
// rectangle has the same left and right and ends on the row just above; otherwise it is
// appended. Only the last rectangle is looked at, so a row with several runs breaks every chain.
//
// A sample point outside the picture selects nothing: the result is empty.
RegionScan ScanRegion(const uint32_t* pixels, int32_t width, int32_t height, int32_t x,
                      int32_t y, bool invert, bool flood);
