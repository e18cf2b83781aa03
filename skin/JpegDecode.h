// Decoding the program's JPEG pictures with libjpeg, and the pixel shuffling that turns the
// decoded rows into the top-down, 4-byte-aligned rows of a device-independent bitmap.
//
// Portable: the Windows side (JpegResource.h) decodes a resource's bytes here, straight from
// memory, and hands the rows to the platform. Failures are shown to the user through a JpegAlert,
// which in the program is a message box and in the native tests a recorder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Shows one failure: its text, its caption and whether the box carries the stop icon.
using JpegAlert = void (*)(const char* text, const char* caption, bool stopIcon);

// The captions and fixed texts of the decoder's messages.
inline constexpr char kJpegErrorCaption[] = "Jpeg Error";
inline constexpr char kJpegFatalCaption[] = "JPEG Fatal Error";
inline constexpr char kJpegOpenFailedFormat[] = "JPEG :\nCan't open %s\n";
inline constexpr char kJpegOutOfMemoryText[] = "JpegFile :\nOut of memory";

// A buffer of bytes allocated with std::malloc and released with std::free.
struct FreeBytes {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using ByteBuffer = std::unique_ptr<uint8_t[], FreeBytes>;

// Decodes the JPEG file at `path` with libjpeg's default parameters (full size, RGB output for
// colour pictures, greyscale for one-component ones, no quantisation). Returns width x height
// packed 3-byte pixels in R, G, B order, rows top-down with no padding; a greyscale picture
// gives R = G = B. Sets width and height to 0 first and to the picture's size on success.
//
// Failures return null after one alert: a file that cannot be opened ("JPEG :\nCan't open
// <path>\n", caption "Jpeg Error", no icon), no memory for the picture ("JpegFile :\nOut of
// memory", "Jpeg Error", stop icon), or any error libjpeg reports as fatal (libjpeg's own
// message, "JPEG Fatal Error", stop icon). libjpeg's objects are destroyed and the file is
// closed before returning.
ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height, JpegAlert alert);

// The same for a picture held in memory (`size` bytes at `data`, which may be null when `size`
// is 0): no file is opened, so the open failure cannot occur; no bytes at all is libjpeg's
// fatal "Empty input file".
ByteBuffer DecodeJpegMemory(const uint8_t* data, size_t size, int32_t& width, int32_t& height,
                            JpegAlert alert);

// Bytes in one row of a device-independent bitmap: rows are padded to a multiple of 4 bytes.
// A 177-pixel row of 24-bit pixels takes 532 bytes (531 of pixels and one of padding).
int32_t PaddedRowBytes(int32_t width, int32_t bitsPerPixel);

// Swaps the first and third byte of every 3-byte pixel in place: R, G, B becomes B, G, R.
// A null buffer is left alone.
void SwapRedBlue(uint8_t* pixels, int32_t width, int32_t height);

// Copies packed 3-byte rows into a new buffer whose rows are PaddedRowBytes(width, 24) long.
// Each row copies exactly width x 3 bytes; the padding bytes are zero. A null input, or no
// memory, gives null.
ByteBuffer PadRows(const uint8_t* packed, int32_t width, int32_t height);
