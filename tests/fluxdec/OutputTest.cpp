// What the plug-in hands out besides the decode: samples at the knob's volume, and the scopes'
// granules handed from the decoder thread to the paint thread.
#include "plugins/fluxdec/output/VisualHistory.h"
#include "plugins/fluxdec/output/Volume.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using fluxdec::kGranuleLines;
using fluxdec::kVisualBytes;
using fluxdec::VisualHistory;

// A granule whose every line and sample says which granule it is: line magnitude 2^-k gives
// the log value (17 - k) * 127 / 17, and sample n * 256 the wave byte n.
struct Granule {
    float spectrum[2][kGranuleLines];
    int16_t pcm[2 * kGranuleLines];
};

Granule Numbered(int n, int channels) {
    Granule g{};
    for (int i = 0; i < kGranuleLines; ++i) {
        g.spectrum[0][i] = 1.0f;
        g.spectrum[1][i] = 1.0f / 1024;  // 2^-10: 7 octaves above the floor, 52
        for (int ch = 0; ch < channels; ++ch)
            g.pcm[i * channels + ch] = int16_t((n % 64 + 50 * ch) * 256);
    }
    return g;
}

void Push(VisualHistory& history, int n, int channels = 2) {
    const Granule g = Numbered(n, channels);
    history.Push(g.spectrum, g.pcm, channels);
}

}  // namespace

TEST(VolumeTest, SixteenDotSixteenWithRoundingAtTheKnobsEdges) {
    struct Row {
        uint32_t volume;
        int16_t in[6];
        int16_t out[6];
    };
    const Row rows[] = {
        {0, {32767, -32768, 1, -1, 1000, -1000}, {0, 0, 0, 0, 0, 0}},
        {1, {32767, -32768, 1, -1, 1000, -1000}, {0, 0, 0, 0, 0, 0}},
        // Halves round upward: 0.5 -> 1, -0.5 -> 0, 16383.5 -> 16384.
        {32768, {32767, -32768, 1, -1, 1001, -1001}, {16384, -16384, 1, 0, 501, -500}},
        {65534, {32767, -32768, 1, -1, 1000, -1000}, {32766, -32767, 1, -1, 1000, -1000}},
        {65535, {32767, -32768, 1, -1, 1000, -1000}, {32767, -32768, 1, -1, 1000, -1000}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(fluxdec::ScaleSample(row.in[i], row.volume), row.out[i])
                << "sample " << row.in[i] << " at volume " << row.volume;
        }
    }
    // Left in the low half, right in the high half; one channel takes the mean of both.
    int16_t stereo[4] = {1000, 1000, -2000, -2000};
    fluxdec::VolumeControl control;
    control.Set(65535u | (32768u << 16));
    control.Apply(stereo, 2, 2);
    EXPECT_EQ(std::vector<int16_t>(stereo, stereo + 4),
              (std::vector<int16_t>{1000, 500, -2000, -1000}));
    int16_t mono[2] = {1000, -1000};
    control.Set(0u | (65535u << 16));
    control.Apply(mono, 2, 1);
    EXPECT_EQ(std::vector<int16_t>(mono, mono + 2), (std::vector<int16_t>{500, -500}));
}

TEST(VisualHistoryTest, ShowsTheGranuleOneRingBehindAndNothingWhenThereIsNone) {
    VisualHistory history;
    int8_t out[kVisualBytes];
    for (uint32_t n = 1; n <= VisualHistory::kLagFrames; ++n) {
        Push(history, int(n));
        EXPECT_FALSE(history.Read(out)) << "nothing heard yet after " << n << " frames";
    }
    Push(history, 9);
    ASSERT_TRUE(history.Read(out));
    EXPECT_EQ(out[0], 127) << "left spectrum, full-scale line";
    EXPECT_EQ(out[kGranuleLines], 52) << "right spectrum, a line 60 dB down";
    EXPECT_EQ(out[2 * kGranuleLines], 1) << "left wave of granule 1, eight frames behind";
    EXPECT_EQ(out[3 * kGranuleLines + 575], 51) << "right wave of granule 1";

    // The writer stalls (paused, or the song ended): the same granule a few times, then nothing.
    for (uint32_t i = 1; i < VisualHistory::kShowsPerGranule; ++i) EXPECT_TRUE(history.Read(out));
    EXPECT_FALSE(history.Read(out));
    Push(history, 10);
    ASSERT_TRUE(history.Read(out));
    EXPECT_EQ(out[2 * kGranuleLines], 2);

    // A new song: nothing of the old one, and nothing until its own audio is heard.
    history.Clear();
    EXPECT_FALSE(history.Read(out));
    for (int n = 21; n <= 29; ++n) Push(history, n, 1);
    ASSERT_TRUE(history.Read(out));
    EXPECT_EQ(out[2 * kGranuleLines], 21);
    EXPECT_EQ(out[3 * kGranuleLines], 21) << "one channel fills both sides";
    EXPECT_EQ(out[kGranuleLines], 127) << "one channel's spectrum on both sides";

    // Silence shows nothing.
    const Granule silent{};
    for (uint32_t n = 0; n <= VisualHistory::kLagFrames; ++n)
        history.Push(silent.spectrum, silent.pcm, 2);
    EXPECT_FALSE(history.Read(out));
}

TEST(VisualHistoryTest, AReaderBesideTheWriterSeesOnlyWholeGranules) {
    VisualHistory history;
    std::atomic<bool> done{false};
    std::atomic<bool> reading{false};
    std::atomic<int> shown{0};
    std::thread writer([&] {
        while (!reading) std::this_thread::yield();
        // Until the reader has seen a good number of granules: on a loaded machine it may get
        // no time at all during a fixed count of pushes. Bounded by time all the same.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (int n = 1; shown < 50 && std::chrono::steady_clock::now() < giveUp; ++n) {
            // A frame's decoding takes tens of microseconds even with nobody listening.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
            while (std::chrono::steady_clock::now() < until) {}
            Push(history, n);
        }
        done = true;
    });
    int8_t out[kVisualBytes];
    reading = true;
    while (!done) {
        if (!history.Read(out)) continue;
        ++shown;
        for (int i = 0; i < kGranuleLines; ++i) {
            ASSERT_EQ(out[2 * kGranuleLines + i], out[2 * kGranuleLines])
                << "left wave torn at " << i;
            ASSERT_EQ(out[3 * kGranuleLines + i], out[2 * kGranuleLines] + 50)
                << "right wave at " << i;
        }
    }
    writer.join();
    EXPECT_GT(shown, 0);
}
