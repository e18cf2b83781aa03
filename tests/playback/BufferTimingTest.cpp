// Play time of one output buffer.
#include <gtest/gtest.h>

#include <limits>

#include "playback/BufferTiming.h"

namespace {

constexpr int32_t kBufferBytes = 16384;

TEST(BufferTiming, UsualFormats)
{
    struct Case { int32_t rate; int32_t channels; int32_t millis; };
    const Case cases[] = {
        {44100, 2, 92},  {44100, 1, 185}, {22050, 2, 185}, {48000, 2, 85},  {22050, 1, 371},
        {48000, 1, 170}, {32000, 2, 128}, {8000, 1, 1024}, {11025, 1, 743}, {16000, 2, 256},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.millis, ComputeBufferMillis(c.rate * c.channels * 2, kBufferBytes))
            << c.channels << " channels at " << c.rate << " Hz";
    }
}

// The division is done in floating point: with whole buffers per second 44100 Hz stereo would
// give 100 instead of 92.
TEST(BufferTiming, DividesInFloatingPoint)
{
    EXPECT_EQ(92, ComputeBufferMillis(176400, kBufferBytes));
    EXPECT_EQ(1000, ComputeBufferMillis(kBufferBytes, kBufferBytes));
    EXPECT_EQ(999, ComputeBufferMillis(kBufferBytes + 1, kBufferBytes)) << "truncated, not rounded";
}

TEST(BufferTiming, StaysAPositivePollInterval)
{
    EXPECT_EQ(1000, ComputeBufferMillis(0, kBufferBytes));
    EXPECT_EQ(1000, ComputeBufferMillis(-4, kBufferBytes));
    EXPECT_EQ(1000, ComputeBufferMillis(176400, 0));
    EXPECT_EQ(1, ComputeBufferMillis(std::numeric_limits<int32_t>::max(), 1));
    EXPECT_EQ(std::numeric_limits<int32_t>::max(),
              ComputeBufferMillis(1, std::numeric_limits<int32_t>::max()));
    EXPECT_EQ(8192000, ComputeBufferMillis(2, kBufferBytes)) << "1 Hz mono";
}

}  // namespace
