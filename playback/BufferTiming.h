// Play time of one output buffer. Windows-free, so that it is tested natively as well.
#pragma once

#include <cstdint>

// Milliseconds that one full buffer of `bufferBytes` bytes plays at `bytesPerSecond`: 1000 divided
// by the number of buffers per second, in floating point, truncated toward zero (44100 Hz stereo
// with 16384-byte buffers: 92). A draining close polls at this interval when it is below 20 ms, so it
// is kept at 1 or more; a rate or size of 0 or below (no real stream has one) gives 1000.
int32_t ComputeBufferMillis(int32_t bytesPerSecond, int32_t bufferBytes);
