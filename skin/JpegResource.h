// Loading the program's JPEG pictures (resource type "JPEG") as screen-compatible bitmaps.
//
// The resource is decoded where it lies in the program's memory: no temporary file, which
// several players starting at once would otherwise share and tear.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/JpegDecode.h"

// Returns a new bitmap compatible with the screen holding the decoded picture, or null. The
// caller owns the bitmap. Every failure shows its message box first (see DecodeJpegMemory); a
// resource that does not exist decodes as no bytes: libjpeg's "empty input" fatal error.
HBITMAP LoadJpegResource(int32_t resourceId);

// DecodeJpegFile with the program's message boxes: no owner window, an OK button and, for the
// stop icon, MB_ICONHAND.
ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height);

// The program's JpegAlert: a message box as described above.
void ShowJpegAlert(const char* text, const char* caption, bool stopIcon);
