// Cutting a window shape, a control's area or a colour's area out of a region-map bitmap.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/RegionScan.h"

// Reads `bitmap` at 32 bits per pixel and scans it as ScanRegion (RegionScan.h) describes; the
// colours are compared with the unused top byte cleared. The bitmap is only read and must not be
// selected into a drawing context. Returns false when it cannot be read.
bool ScanBitmap(HBITMAP bitmap, int32_t x, int32_t y, bool invert, bool flood, RegionScan& scan);

// Returns a new region, owned by the caller (DeleteObject), for the area of `bitmap` selected
// by the sample point (x, y) and the two flags:
//   excluding form (window shapes): invert 1, flood 0, sample point (0, 0) in the background;
//   connected form (widgets, displays): invert 0, flood 1;
//   same-colour form: invert 0, flood 0.
// A sample point outside the bitmap, or a bitmap that cannot be read, gives an empty region.
// There is no limit on the number of rectangles.
HRGN RegionFromBitmap(HBITMAP bitmap, int32_t x, int32_t y, int32_t invert, int32_t flood);
