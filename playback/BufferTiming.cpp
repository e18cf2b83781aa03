#include "playback/BufferTiming.h"

#include <limits>

int32_t ComputeBufferMillis(int32_t bytesPerSecond, int32_t bufferBytes)
{
    if (bytesPerSecond <= 0 || bufferBytes <= 0)
        return 1000;
    const double buffersPerSecond = static_cast<double>(bytesPerSecond) / bufferBytes;
    const double millis = 1000.0 / buffersPerSecond;
    // A very slow stream (a few bytes a second) would exceed 32 bits; a very fast one would round
    // to 0 and turn the drain poll into a busy loop.
    if (millis >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    const int32_t truncated = static_cast<int32_t>(millis);
    return truncated < 1 ? 1 : truncated;
}
