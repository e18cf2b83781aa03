// The whole road of a song: the Fluxdec plug-in loaded into a slot, decoding on its own thread
// into the audio device on Wine's wave-out, captured by the file sink. What was played must be
// exactly what fluxdec.exe decodes from the same file (made by the test fixtures, see
// CMakeLists.txt), and stopping mid-song must end playback promptly.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "playback/AudioDevice.h"
#include "playback/HostAudio.h"
#include "playback/PluginSlot.h"
#include "tests/playback/AudioCapture.h"
#include "tests/playback/TimedWaveOut.h"

namespace {

constexpr char kPluginFile[] = "Fluxdec.cvp";

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The fixtures' songs and reference decodes: "short" and "long" are 44.1 kHz stereo, "mono" is
// 22050 Hz mono (one of the lower sampling rates).
std::string SongPath(const char* name, const char* extension)
{
    return ProgramFolder() + "data\\fluxdec-" + name + extension;
}

class FluxdecPlayback : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CaptureFilePath().empty()) << "CORVANE_AUDIO_CAPTURE names no file";
        timed.Reset();
        SetHostAudioDevice(&device);
        slot.Load(kPluginFile);
        ASSERT_EQ(1, slot.loaded) << kPluginFile << " next to the test program";
    }
    void TearDown() override
    {
        slot.StopAndClose();
        SetHostAudioDevice(nullptr);
    }

    // Waits (bounded) until `done` holds; false on time-out.
    template <typename Condition>
    bool WaitFor(Condition done, DWORD limitMillis)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > limitMillis)
                return false;
            Sleep(5);
        }
        return true;
    }

    void PlayWholeSong(const char* name, int channels, int rate);

    TimedWaveOut& timed = TimedWaveOut::Get();
    AudioDevice device{TimedWaveOut::kApi};
    PluginSlot slot;
};

// The player's sequence for one song: match, open, start, title; then the plug-in's thread
// plays the song to its end and ends the stream, which plays out.
void FluxdecPlayback::PlayWholeSong(const char* name, int channels, int rate)
{
    const std::string song = SongPath(name, ".mp3");
    const std::string reference = ReadWholeFile(SongPath(name, ".raw"));
    ASSERT_FALSE(reference.empty()) << "no reference decode";

    EXPECT_EQ(1, slot.MatchesExtension(song.c_str()));
    ASSERT_EQ(1, slot.OpenFile(song.c_str()));
    ASSERT_EQ(1, slot.Start());
    EXPECT_EQ(1, slot.infoValid);
    char title[kPluginPathChars];
    ASSERT_EQ(title, slot.CopyTitle(title, kPluginPathChars));
    EXPECT_EQ(std::string("fluxdec-") + name, title) << "an untagged song is called by its file name";
    const int32_t songMs = static_cast<int32_t>(reference.size() * 1000 / (2 * channels * rate));
    EXPECT_EQ(songMs, slot.GetLength());
    EXPECT_LE(slot.GetPosition(), slot.GetLength());
    EXPECT_EQ(1, slot.IsPlaying());

    // The decoder thread ends the stream itself and reports the song over at once; its queued
    // blocks play on until the player closes the output.
    ASSERT_TRUE(WaitFor([&] { return slot.GetPosition() > slot.GetLength(); }, 60000))
        << "the song never ended";
    EXPECT_EQ(0, timed.Closes());
    EXPECT_EQ(0, device.Close(0));
    EXPECT_EQ(1, timed.Opens());
    EXPECT_EQ(1, slot.StopAndClose());
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(channels, device.format.nChannels);
    EXPECT_EQ(static_cast<DWORD>(rate), device.format.nSamplesPerSec);

    const CaptureComparison comparison = CompareCapture(reference, ReadCaptureFile());
    const int bytesPerSecond = static_cast<int>(device.format.nAvgBytesPerSec);
    std::printf("measured: %s song: %zu bytes decoded by fluxdec.exe, %zu blocks written; "
                "capture: %s\n",
                name, reference.size(), timed.Writes().size(),
                comparison.Describe(bytesPerSecond).c_str());
    EXPECT_TRUE(comparison.HoldsAllOf(reference)) << comparison.Describe(bytesPerSecond);
    EXPECT_EQ(timed.Writes().size(), timed.Finished().size()) << "every block played";
}

TEST_F(FluxdecPlayback, WholeSongPlaysExactlyTheDecodedPcm)
{
    PlayWholeSong("short", 2, 44100);
}

TEST_F(FluxdecPlayback, WholeMonoSongPlaysExactlyTheDecodedPcm)
{
    PlayWholeSong("mono", 1, 22050);
}

// Stopping in the middle of a song: the plug-in's stop ends its thread and closes the output at
// once; the slot's StopAndClose returns promptly and the device is closed, having played a part
// of the song from its start.
TEST_F(FluxdecPlayback, StopAndCloseMidSongReturnsPromptly)
{
    const std::string song = SongPath("long", ".mp3");
    const std::string reference = ReadWholeFile(SongPath("long", ".raw"));
    ASSERT_FALSE(reference.empty()) << "no reference decode";
    ASSERT_EQ(1, slot.OpenFile(song.c_str()));
    ASSERT_EQ(1, slot.Start());
    ASSERT_TRUE(WaitFor([&] { return timed.Finished().size() >= 20; }, 60000)) << "no playback";

    const double before = timed.Now();
    EXPECT_EQ(1, slot.StopAndClose());
    const double took = timed.Now() - before;
    EXPECT_LT(took, 3000.0) << "the stop waits at most about a second for the decoder thread";
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);
    EXPECT_EQ(1, timed.Closes());

    const size_t writesAtStop = timed.Writes().size();
    Sleep(200);
    EXPECT_EQ(writesAtStop, timed.Writes().size()) << "the decoder went on writing after the stop";

    const CaptureComparison comparison = CompareCapture(reference, ReadCaptureFile());
    const int bytesPerSecond = static_cast<int>(device.format.nAvgBytesPerSec);
    std::printf("measured: StopAndClose mid-song took %.1f ms; capture: %s of %zu decoded\n", took,
                comparison.Describe(bytesPerSecond).c_str(), reference.size());
    EXPECT_LT(comparison.matchingPrefix, reference.size()) << "the whole song played: no stop";
    EXPECT_GT(comparison.matchingPrefix, 0u);
    EXPECT_TRUE(comparison.restIsSilence) << comparison.Describe(bytesPerSecond);
}

}  // namespace
