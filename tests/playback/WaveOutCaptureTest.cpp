// The audio device on Wine's real wave-out device, whose audio the test environment captures to
// a file: what is written through the host call-backs must arrive byte for byte, and the
// device's finish reports must drive the ring as the fake does. Each case runs as a test of its
// own with its own capture file (see CMakeLists.txt). The cases print what they measured.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "playback/AudioDevice.h"
#include "playback/HostAudio.h"
#include "tests/playback/AudioCapture.h"
#include "tests/playback/TimedWaveOut.h"

namespace {

int BytesPerSecond(const AudioDevice& device)
{
    return static_cast<int>(device.format.nAvgBytesPerSec);
}

class WaveOutCapture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CaptureFilePath().empty()) << "CORVANE_AUDIO_CAPTURE names no file";
        timed.Reset();
        SetHostAudioDevice(&device);
    }
    void TearDown() override
    {
        device.Close(1);
        SetHostAudioDevice(nullptr);
    }

    // Writes `count` blocks of `length` bytes through the host call-back, tags 1, 2, ...;
    // returns what was written.
    std::string WriteBlocks(int count, int length)
    {
        std::string played;
        for (int i = 0; i < count; ++i) {
            const std::string block = MakeTestPcm(static_cast<size_t>(length), static_cast<uint32_t>(++tag));
            EXPECT_EQ(length, HostAudioWrite(nullptr, length, block.data(), tag)) << "block " << tag;
            played += block;
        }
        return played;
    }

    TimedWaveOut& timed = TimedWaveOut::Get();
    AudioDevice device{TimedWaveOut::kApi};
    int tag = 0;
};

// One stream in the decoder's block sizes (1152 frames), through the call-backs the decoder
// uses: opened, written past the ring's end several times, ended with a draining close and the
// stop's immediate close.
void PlayAndCompare(int channels, int rate)
{
    AudioDevice device;  // the product's device on the platform's wave-out functions
    SetHostAudioDevice(&device);
    ASSERT_EQ(1, HostAudioOpen(nullptr, rate, channels, 0));
    ASSERT_NE(nullptr, device.waveOut) << "no wave-out device at " << rate << " Hz";

    const int blockBytes = 1152 * 2 * channels;
    std::string played;
    for (int i = 0; i < 20; ++i) {
        const std::string block = MakeTestPcm(static_cast<size_t>(blockBytes), static_cast<uint32_t>(i));
        ASSERT_EQ(blockBytes, HostAudioWrite(nullptr, blockBytes, block.data(), i));
        played += block;
    }
    // A short last block, as at the end of a stream.
    const std::string tail = MakeTestPcm(static_cast<size_t>(channels) * 2 * 100, 99);
    ASSERT_EQ(static_cast<int32_t>(tail.size()), HostAudioWrite(nullptr, static_cast<int32_t>(tail.size()), tail.data(), 99));
    played += tail;
    EXPECT_EQ(0, HostAudioClose(nullptr, 0));
    EXPECT_EQ(0, device.Close(0));  // the player lets the ended stream play out
    SetHostAudioDevice(nullptr);

    const CaptureComparison comparison = CompareCapture(played, ReadCaptureFile());
    std::printf("measured: %d Hz, %d channel(s): %zu bytes played; %s\n", rate, channels,
                played.size(), comparison.Describe(rate * channels * 2).c_str());
    EXPECT_TRUE(comparison.HoldsAllOf(played))
        << played.size() << " bytes played; " << comparison.Describe(rate * channels * 2);
}

TEST(WaveOutFormats, Mono22050) { PlayAndCompare(1, 22050); }
TEST(WaveOutFormats, Stereo22050) { PlayAndCompare(2, 22050); }
TEST(WaveOutFormats, Mono44100) { PlayAndCompare(1, 44100); }
TEST(WaveOutFormats, Stereo44100) { PlayAndCompare(2, 44100); }
TEST(WaveOutFormats, Mono48000) { PlayAndCompare(1, 48000); }
TEST(WaveOutFormats, Stereo48000) { PlayAndCompare(2, 48000); }

// With the ring full, the ninth write waits for the device to finish the first block and then
// fills buffer 0 again.
TEST_F(WaveOutCapture, NinthWriteWaitsForTheFirstFinishedBlock)
{
    ASSERT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    std::string played = WriteBlocks(8, 16384);
    ASSERT_EQ(0, device.FreeBuffers());
    const std::string ninth = MakeTestPcm(16384, 9);
    const double before = timed.Now();
    ASSERT_EQ(16384, HostAudioWrite(nullptr, 16384, ninth.data(), 9));
    const double after = timed.Now();
    played += ninth;

    const std::vector<TimedEvent> writes = timed.Writes();
    const std::vector<TimedEvent> finished = timed.Finished();
    ASSERT_EQ(9u, writes.size());
    ASSERT_GE(finished.size(), 1u);
    EXPECT_EQ(1u, finished[0].user) << "the first block finishes first";
    EXPECT_GE(writes[8].millis, finished[0].millis) << "queued before a buffer was free";
    EXPECT_EQ(static_cast<DWORD_PTR>(9), device.Header(0)->dwUser);
    EXPECT_EQ(ninth, std::string(device.Header(0)->lpData, 16384));
    EXPECT_EQ(1, device.nextBuffer);
    std::printf("measured: first block (92.9 ms of audio) reported finished %.1f ms after it was "
                "queued; the ninth write waited %.1f ms\n",
                finished[0].millis - writes[0].millis, after - before);

    EXPECT_EQ(0, device.Close(0));
    const CaptureComparison comparison = CompareCapture(played, ReadCaptureFile());
    EXPECT_TRUE(comparison.HoldsAllOf(played)) << comparison.Describe(BytesPerSecond(device));
}

// A draining close returns after every block was reported finished and everything played; a
// second close, of either kind, then finds nothing and changes nothing.
TEST_F(WaveOutCapture, DrainingCloseWaitsForEveryBlock)
{
    ASSERT_EQ(1, HostAudioOpen(nullptr, 48000, 2, 0));
    const std::string played = WriteBlocks(12, 4608);
    const double before = timed.Now();
    EXPECT_EQ(0, device.Close(0));
    const double closedAt = timed.Now();

    const std::vector<TimedEvent> finished = timed.Finished();
    ASSERT_EQ(12u, finished.size()) << "every block reported finished before the close returned";
    for (size_t i = 0; i < finished.size(); ++i) {
        EXPECT_EQ(i + 1, finished[i].user) << "finish reports in queue order";
        EXPECT_LE(finished[i].millis, closedAt);
    }
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
    const std::string captured = ReadCaptureFile();
    const CaptureComparison comparison = CompareCapture(played, captured);
    EXPECT_TRUE(comparison.HoldsAllOf(played)) << comparison.Describe(BytesPerSecond(device));

    std::string intervals;
    for (size_t i = 1; i < finished.size(); ++i)
        intervals += " " + std::to_string(static_cast<int>(finished[i].millis - finished[i - 1].millis));
    std::printf("measured: 12 blocks of 24 ms audio; finish reports every [ms]:%s; the drain took "
                "%.1f ms and returned %.1f ms after the last report\n",
                intervals.c_str(), closedAt - before, closedAt - finished.back().millis);

    const double againStart = timed.Now();
    EXPECT_EQ(0, HostAudioClose(nullptr, 1));
    EXPECT_EQ(0, HostAudioClose(nullptr, 0));
    EXPECT_LT(timed.Now() - againStart, 1000.0) << "a close with nothing open waited";
    EXPECT_EQ(12u, timed.Finished().size());
    EXPECT_EQ(captured, ReadCaptureFile());
}

// An immediate close cuts playback off: it returns with every block handed back, and the capture
// holds only the part that had played.
TEST_F(WaveOutCapture, ImmediateCloseCutsPlaybackOff)
{
    ASSERT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    const std::string played = WriteBlocks(8, 16384);  // 743 ms of audio
    const double before = timed.Now();
    EXPECT_EQ(0, HostAudioClose(nullptr, 1));
    const double closedAt = timed.Now();

    EXPECT_EQ(8u, timed.Finished().size()) << "the reset hands every queued block back";
    const CaptureComparison comparison = CompareCapture(played, ReadCaptureFile());
    EXPECT_LT(comparison.matchingPrefix, played.size()) << "the whole stream played: no cut";
    EXPECT_TRUE(comparison.restIsSilence) << comparison.Describe(BytesPerSecond(device));
    std::printf("measured: immediate close after 743 ms of audio was queued took %.1f ms; the "
                "capture holds %s\n",
                closedAt - before, comparison.Describe(BytesPerSecond(device)).c_str());
}

}  // namespace
