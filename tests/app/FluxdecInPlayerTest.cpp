// The player with the decoder it ships, as a user meets it: songs dropped on the window play
// one after the other to the end, each whole and gapless, and the player stops after the last;
// the seek knob moves the music to the chosen sample, and the time display follows.
//
// What was played is read from the audio device's capture (each case runs with a capture file
// of its own, which every opening of the device continues), and compared with the decoder core's
// own decode of the same files.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/PlayerApp.h"
#include "plugins/fluxdec/core/Song.h"
#include "tests/app/PlayerHarness.h"
#include "tests/playback/AudioCapture.h"

namespace {

PlayerApp& app = gPlayerApp;
constexpr POINT kPlayPoint = {32, 254};
constexpr POINT kSeekPoint = {119, 136};

std::string ProgramFolder()
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string folder(program);
    return folder.erase(folder.find_last_of('\\') + 1);
}

// The songs of tests/app/make-gapless-songs.sh.
std::string GaplessSong(const char* name)
{
    return ProgramFolder() + "gapless-songs\\" + name + ".mp3";
}

int32_t ReadStdio(void* file, void* buffer, int32_t bytes)
{
    return static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(bytes), static_cast<FILE*>(file)));
}

bool SeekStdio(void* file, int64_t offset)
{
    return _fseeki64(static_cast<FILE*>(file), offset, SEEK_SET) == 0;
}

// The decoder core's gapless decode of a whole song: what the player must play. `rate` and
// `channels` are the format of its first block.
std::string CoreDecode(const std::string& path, int32_t* rate = nullptr, int32_t* channels = nullptr)
{
    std::string pcm;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return pcm;
    static fluxdec::Song song;  // the decoder's arrays are large: not on the stack
    if (fluxdec::OpenSong(&song, fluxdec::SongInput{ReadStdio, SeekStdio, file})) {
        static int16_t block[fluxdec::kMaxFrameSamples];
        fluxdec::FrameInfo info{};
        int32_t samples = 0;
        while (!fluxdec::IsEndOfStream(fluxdec::DecodeSongBlock(&song, block, &info, &samples)))
            pcm.append(reinterpret_cast<const char*>(block), size_t(samples) * size_t(info.channels) * 2);
        if (rate != nullptr)
            *rate = fluxdec::SongInfoOf(&song).sampleRate;
        if (channels != nullptr)
            *channels = fluxdec::SongInfoOf(&song).channels;
        fluxdec::CloseSong(&song);
    }
    std::fclose(file);
    return pcm;
}

// A shell drop of `paths` as the shell hands it to a window.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t chars = 1;
    for (const std::string& path : paths)
        chars += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* text = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        std::memcpy(text, path.c_str(), path.size() + 1);
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Every opening of the device writes a capture file of its own: the case's file, then ".0001",
// ".0002"... (the ALSA file sink's numbering when it may not truncate). All of them in order.
std::vector<std::string> CaptureParts()
{
    std::vector<std::string> parts = {CaptureFilePath()};
    for (int i = 1; i < 100; ++i) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".%04d", i);
        parts.push_back(parts.front() + suffix);
    }
    return parts;
}

std::string ReadAllCaptures()
{
    std::string captured;
    for (const std::string& part : CaptureParts())
        captured += ReadWholeFile(part);
    return captured;
}

// Zero sample frames in `captured` from `offset` on, up to the first sound.
size_t SilentBytesFrom(const std::string& captured, size_t offset)
{
    size_t end = offset;
    while (end + 4 <= captured.size() && std::memcmp(captured.data() + end, "\0\0\0\0", 4) == 0)
        end += 4;
    return end - offset;
}

std::string MinutesAndSeconds(int32_t millis)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", millis / 1000 / 60, millis / 1000 % 60);
    return text;
}

class FluxdecInPlayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& part : CaptureParts())
            DeleteFileA(part.c_str());
        StartPlayer();
        ASSERT_NE(app.window.load(), nullptr);
        ResetPlayer();
    }
};

}  // namespace

TEST_F(FluxdecInPlayer, DroppedSongsPlayWholeOneAfterAnotherAndThePlayerHaltsAfterTheLast)
{
    const std::vector<std::string> songs = {GaplessSong("cut-1"), GaplessSong("cut-2"), GaplessSong("other")};
    std::string played;
    for (const std::string& song : songs) {
        const std::string pcm = CoreDecode(song);
        ASSERT_FALSE(pcm.empty()) << song;
        played += pcm;
    }
    const HWND w = app.window.load();
    SendMessageA(w, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(songs)), 0);
    ASSERT_EQ(3, app.playlist.count);
    ClickAt(kPlayPoint.x, kPlayPoint.y);

    // Nobody touches the player from here on: each song's end moves it to the next.
    EXPECT_TRUE(PumpUntil([] { return app.currentIndex == 2 && app.songLoaded == 0; }, 30000))
        << "at song " << app.currentIndex;
    EXPECT_EQ(0, app.playButton.IsOn()) << "the play button is up after the last song";
    const size_t capturedAtTheEnd = ReadAllCaptures().size();
    PumpMessages(600);
    const std::string captured = ReadAllCaptures();
    EXPECT_EQ(capturedAtTheEnd, captured.size()) << "nothing plays after the last song";

    const CaptureComparison comparison = CompareCapture(played, captured);
    EXPECT_TRUE(comparison.HoldsAllOf(played)) << comparison.Describe(176400);

    // Where the first song ends, the second goes on: the silence between them is the device's
    // closing and opening, not the decoder's padding.
    const std::string first = CoreDecode(songs[0]);
    const CaptureComparison firstSong = CompareCapture(first, captured);
    const size_t cut = firstSong.matchingPrefix + firstSong.insertedSilenceBytes;
    std::printf("measured: silence between two songs cut from one recording: %.1f ms\n",
                SilentBytesFrom(captured, cut) / 176.4);
}

TEST_F(FluxdecInPlayer, SeekKnobContinuesTheSongFromTheChosenSampleAndTheTimeFollows)
{
    const std::string song = RealSongPath(1);
    int32_t rate = 0, channels = 0;
    const std::string decoded = CoreDecode(song, &rate, &channels);
    const int32_t bytesPerSecond = rate * channels * 2;
    const size_t frameBytes = size_t(channels) * 2;
    ASSERT_GT(decoded.size(), size_t(bytesPerSecond) * 10) << "a song of more than ten seconds";
    app.AddToPlaylist(song.c_str());
    app.PlayCurrent();
    ASSERT_TRUE(PumpUntil([] { return app.CurrentPosition() > 1000; }, 10000));

    // Turn the knob to somewhere in the middle of the song, and let go.
    const HWND w = app.window.load();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kSeekPoint.x, kSeekPoint.y));
    for (int i = 0; i < 400 && (app.seekPreview < 45 || app.seekPreview > 75); ++i)
        SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(kSeekPoint.x - 20, kSeekPoint.y - 20));
    const LONG percent = app.seekPreview;
    ASSERT_GE(percent, 45) << "the knob turns forward";
    const int32_t length = app.CurrentLength();
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(kSeekPoint.x, kSeekPoint.y));
    const DWORD released = GetTickCount();
    const auto targetMs = static_cast<int32_t>(static_cast<double>(int64_t(length) * percent) * 0.01);
    const size_t targetByte = size_t(int64_t(targetMs) * rate / 1000) * frameBytes;
    ASSERT_LT(targetByte + 4608, decoded.size());

    // The new place reaches the device within a block or two.
    const std::string firstBlockThere = decoded.substr(targetByte, 4608);
    DWORD heardAfter = 0;
    while (GetTickCount() - released < 2000 && heardAfter == 0) {
        if (ReadAllCaptures().find(firstBlockThere) != std::string::npos)
            heardAfter = GetTickCount() - released;
        Sleep(2);
    }
    std::printf("measured: seek to %d%% (%d ms) heard at the device %lu ms after the release\n",
                int(percent), targetMs, static_cast<unsigned long>(heardAfter));
    EXPECT_NE(0u, heardAfter) << "the new place never reached the device";

    // The display shows the time of the new place (within the second the music has moved on).
    EXPECT_TRUE(PumpUntil([&] {
        const int32_t shown = app.CurrentPosition();
        return shown >= targetMs && shown < targetMs + 3000 &&
               TimeAreaShows(ExpectedTime(MinutesAndSeconds(shown).c_str()));
    }, 2000)) << "position " << app.CurrentPosition() << " after a seek to " << targetMs;

    ASSERT_TRUE(PumpUntil([] { return app.songLoaded == 0; }, 30000)) << "the song plays to its end";
    const std::string captured = ReadAllCaptures();
    const CaptureComparison before = CompareCapture(decoded, captured);
    ASSERT_LT(before.matchingPrefix, decoded.size()) << "the song went on as if nothing was sought";
    const std::string rest = decoded.substr(targetByte);
    const CaptureComparison after =
        CompareCapture(rest, captured.substr(before.matchingPrefix + before.insertedSilenceBytes));
    EXPECT_TRUE(after.HoldsAllOf(rest)) << "from sample " << targetByte / frameBytes << ": "
                                        << after.Describe(bytesPerSecond);
}
