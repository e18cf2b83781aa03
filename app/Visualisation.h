// The pixel work of the main window's visualisation: a bar scope and a dot scope drawn into a
// 32-bit image that smears and fades a little on every frame, so that moving shapes leave trails.
//
// Portable: the caller fetches the plug-in's data, counts idle frames and copies the work
// rectangle to the window at (kVisWindowX, kVisWindowY).
#pragma once

#include <cstdint>

#include "skin/PixelImage.h"
#include "skin/SkinGeometry.h"

inline constexpr SkinRect kVisWorkRect{5, 8, 100, 56};  // faded, drawn into and copied
inline constexpr int32_t kVisWindowX = 38;
inline constexpr int32_t kVisWindowY = 60;

inline constexpr int32_t kVisBufferValues = 2304;  // four blocks of kVisBlockValues
inline constexpr int32_t kVisBlockValues = 576;

// After this many frames in a row without data the paint thread leaves the picture as it is.
inline constexpr int32_t kVisIdleFramesBeforeFreeze = 15;

inline constexpr int32_t kVisModeDots = 1;  // blocks C and D as dots about rows 26 and 38
inline constexpr int32_t kVisModeBars = 2;  // blocks A and B as bars above and below row 32

// Smears and fades the work rectangle, then draws the scopes that visModes switches on.
void VisualiseFrame(PixelImage& image, const int8_t* visBuffer /*2304 values*/, int32_t visModes);
