// Loading the program's JPEG pictures (resource type "JPEG") as screen-compatible bitmaps.
//
// libjpeg reads from a standard file stream, so the resource goes through the temporary file
// "jpegtemp.inout" in the user's temporary directory, which is deleted again after every load.
// Its name is fixed: two loads must never run at the same time (all loading happens on the
// thread that creates the windows).
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/JpegDecode.h"

inline constexpr char kJpegTempFileName[] = "jpegtemp.inout";

// Returns a new bitmap compatible with the screen holding the decoded picture, or null. The
// caller owns the bitmap. Silent failures: no temporary directory, or a temporary file that
// cannot be created. Every other failure shows its message box first (see DecodeJpegFile); a
// resource that does not exist gives an empty file and libjpeg's "empty input" fatal error.
HBITMAP LoadJpegResource(int32_t resourceId);

// DecodeJpegFile with the program's message boxes: no owner window, an OK button and, for the
// stop icon, MB_ICONHAND.
ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height);

// The program's JpegAlert: a message box as described above.
void ShowJpegAlert(const char* text, const char* caption, bool stopIcon);
