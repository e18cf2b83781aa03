// Where a window may open: a place remembered from an earlier run can lie off every monitor now
// (a display unplugged, a smaller screen), and a window there could never be seen or dragged
// back. Windows-free, on the monitors' work areas as the platform reports them.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/SkinGeometry.h"

// A window keeps its place while some monitor shows at least this many pixels of it across and
// down (all of it when it is smaller): enough to see it and drag it by its skin.
inline constexpr int32_t kMinVisiblePixels = 48;

// The top-left corner at which `window` (screen coordinates) opens on `monitors`: its own when
// one monitor shows enough of it, else moved onto the monitor nearest to its centre, wholly
// inside it where it fits and at its top-left corner where it does not. Without any monitor the
// place stays as it is.
SkinPoint PlaceOnScreen(const SkinRect& window, const std::vector<SkinRect>& monitors);
