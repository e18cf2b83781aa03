// The player with the decoder it ships, as a user meets it: songs dropped on the window play
// one after the other to the end, each whole, two of one format joined without a gap (also
// across a missing one, which is passed over), and the player stops after the last; a stop
// answers at once at any rate; without a device the player says so;
// the seek knob moves the music to the chosen sample, and the time display follows; a tagged
// song scrolls by under its own name; the volume knob scales what is heard; the scopes move
// while the music plays and rest after it.
//
// What was played is read from the audio device's capture (each case runs with a capture file
// of its own, which every opening of the device continues), and compared with the decoder core's
// own decode of the same files.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/PlayerApp.h"
#include "app/VolumeScale.h"
#include "plugins/fluxdec/core/Song.h"
#include "settings/Settings.h"
#include "tests/app/PlayerHarness.h"
#include "tests/playback/AudioCapture.h"

namespace {

PlayerApp& app = gPlayerApp;
constexpr POINT kPlayPoint = {32, 254};
constexpr POINT kSeekPoint = {119, 136};
constexpr POINT kVolumePoint = {159, 155};
// Where the scopes are drawn (inside the title display's region), below the title's line.
constexpr RECT kScopeRect = {38, 60, 133, 108};
constexpr int32_t kTitleLeft = 35, kTitleRight = 130, kTitleTop = 46;

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

// Bytes in all capture files, from their sizes alone: cheap enough to poll every few ms.
size_t CapturedBytes()
{
    size_t bytes = 0;
    for (const std::string& part : CaptureParts()) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(part.c_str(), GetFileExInfoStandard, &data))
            bytes += data.nFileSizeLow;
    }
    return bytes;
}

// The last capture file: what the device played since it was last opened.
std::string ReadLastCapture()
{
    std::string last;
    for (const std::string& part : CaptureParts())
        if (GetFileAttributesA(part.c_str()) != INVALID_FILE_ATTRIBUTES)
            last = ReadWholeFile(part);
    return last;
}

// One ID3v2.3 frame: its id, its size and no flags, then `data`.
std::string Id3v23Frame(const char* id, const std::string& data)
{
    const uint32_t size = static_cast<uint32_t>(data.size());
    return std::string(id) + char(size >> 24) + char(size >> 16) + char(size >> 8) + char(size) +
           std::string(2, '\0') + data;
}

// An ID3v2.3 tag holding `frames`.
std::string Id3v23Tag(const std::string& frames)
{
    const uint32_t size = static_cast<uint32_t>(frames.size());  // syncsafe: 7 bits a byte
    return std::string("ID3\x03\x00\x00", 6) + char((size >> 21) & 0x7F) + char((size >> 14) & 0x7F) +
           char((size >> 7) & 0x7F) + char(size & 0x7F) + frames;
}

// An ID3v2.3 tag naming the artist and the title in UTF-16 with byte-order marks.
std::string Id3v23Utf16Tag(const std::u16string& artist, const std::u16string& title)
{
    std::string frames;
    for (const auto& [id, text] : {std::pair{"TPE1", artist}, std::pair{"TIT2", title}}) {
        std::string data = "\x01\xFF\xFE";  // UTF-16, little-endian by its mark
        for (char16_t c : text)
            data += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        frames += Id3v23Frame(id, data);
    }
    return Id3v23Tag(frames);
}

// The last capture holds every sample of `decoded` times `factor`, in order, within one step;
// silent sample frames that the device put in are passed over.
::testing::AssertionResult HeardScaled(const std::string& decoded, double factor)
{
    const std::string captured = ReadLastCapture();
    const auto* wanted = reinterpret_cast<const int16_t*>(decoded.data());
    const auto* heard = reinterpret_cast<const int16_t*>(captured.data());
    const size_t wantedSamples = decoded.size() / 2, heardSamples = captured.size() / 2;
    size_t i = 0, j = 0, skipped = 0;
    while (i < wantedSamples && j + 1 < heardSamples) {
        if (std::abs(heard[j] - wanted[i] * factor) <= 1.0 && std::abs(heard[j + 1] - wanted[i + 1] * factor) <= 1.0) {
            i += 2;
            j += 2;
        } else if (heard[j] == 0 && heard[j + 1] == 0) {
            j += 2;
            skipped += 2;
        } else {
            break;
        }
    }
    if (i == wantedSamples)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sample " << i << " of " << wantedSamples << " times " << factor
                                         << " (" << skipped << " silent samples passed over)";
}

// A copy of a test song's frames behind `tag`, at `path`.
bool WriteTaggedSong(const std::string& path, const std::string& tag, const char* song)
{
    const std::string frames = ReadWholeFile(GaplessSong(song));
    FILE* file = std::fopen(path.c_str(), "wb");
    if (frames.empty() || file == nullptr)
        return false;
    std::fwrite(tag.data(), 1, tag.size(), file);
    std::fwrite(frames.data(), 1, frames.size(), file);
    return std::fclose(file) == 0;
}

// The scopes' pixels.
std::vector<uint32_t> ScopePixels()
{
    const Pixels window = WindowPixels(app);
    std::vector<uint32_t> pixels;
    for (int y = kScopeRect.top; y < kScopeRect.bottom; ++y)
        for (int x = kScopeRect.left; x < kScopeRect.right; ++x)
            if (PtInRegion(app.titleRegion, x, y))
                pixels.push_back(window.At(x, y));
    return pixels;
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

    // Dropped on an idle player, the first song starts by itself. Nobody touches the player
    // from here on: each song's end moves it to the next.
    // The halt clears songLoaded before it raises the button: wait for both.
    EXPECT_TRUE(PumpUntil([] { return app.currentIndex == 2 && app.songLoaded == 0 && !app.playButton.IsOn(); },
                          30000))
        << "at song " << app.currentIndex << ", the play button up after the last song";
    const size_t capturedAtTheEnd = ReadAllCaptures().size();
    PumpMessages(600);
    const std::string captured = ReadAllCaptures();
    EXPECT_EQ(capturedAtTheEnd, captured.size()) << "nothing plays after the last song";

    const CaptureComparison comparison = CompareCapture(played, captured);
    EXPECT_TRUE(comparison.HoldsAllOf(played)) << comparison.Describe(176400);

    // Where the first cut ends the second goes on in the same stream: not one sample between.
    const std::string first = CoreDecode(songs[0]), second = CoreDecode(songs[1]);
    const CaptureComparison firstSong = CompareCapture(first, captured);
    ASSERT_EQ(first.size(), firstSong.matchingPrefix) << firstSong.Describe(176400);
    const size_t cut = firstSong.matchingPrefix + firstSong.insertedSilenceBytes;
    const size_t gap = SilentBytesFrom(captured, cut) - SilentBytesFrom(second, 0);
    std::printf("measured: between two songs cut from one recording: %zu samples\n", gap / 4);
    EXPECT_EQ(0u, gap / 4) << "samples of silence at the cut";
    EXPECT_EQ(0, captured.compare(cut, second.size(), second)) << "the second cut, byte for byte";

    // The third, at another rate, after the device changed format: whole.
    const std::string third = CoreDecode(songs[2]);
    const CaptureComparison thirdSong = CompareCapture(third, captured.substr(cut + second.size()));
    EXPECT_TRUE(thirdSong.HoldsAllOf(third)) << thirdSong.Describe(44100);
}

// A song whose file is gone (its drive not mounted) is passed over during continuous play: the
// songs on either side join as if it were not listed, and a missing last entry ends the list.
TEST_F(FluxdecInPlayer, MissingSongsArePassedOverWithoutAGap)
{
    const std::string missing = ProgramFolder() + "gapless-songs\\not-mounted.mp3";
    for (const std::string& path : {GaplessSong("cut-1"), missing, missing, GaplessSong("cut-2"), missing})
        ASSERT_EQ(1, app.AddToPlaylist(path.c_str()));
    const std::string both = CoreDecode(GaplessSong("cut-1")) + CoreDecode(GaplessSong("cut-2"));
    ASSERT_EQ(1, app.PlayCurrent());
    EXPECT_TRUE(PumpUntil([] { return app.currentIndex == 4 && app.songLoaded == 0 && !app.playButton.IsOn(); },
                          30000))
        << "at entry " << app.currentIndex << ", the play button up at the end";
    EXPECT_TRUE(PumpUntil([] { return TimeAreaShows(ExpectedMessage("No File!")); }, 500));
    PumpMessages(600);  // the second cut's last blocks play out
    const std::string captured = ReadAllCaptures();
    const CaptureComparison comparison = CompareCapture(both, captured);
    EXPECT_EQ(both.size(), comparison.matchingPrefix) << comparison.Describe(176400);
}

// A stop at any moment of a song at the lowest rate (one output buffer plays for a second):
// while the decoder waits for the device, and in the song's last blocks after its plug-in
// reported the end. The window answers at once.
TEST_F(FluxdecInPlayer, StopReturnsPromptlyAtTheLowestRate)
{
    app.AddToPlaylist(GaplessSong("low").c_str());
    double worst = 0.0;
    for (DWORD wait = 0; wait <= 800; wait += 50) {
        app.PlayCurrent();
        PumpMessages(wait);
        LARGE_INTEGER frequency, before, after;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&before);
        app.StopSong();
        QueryPerformanceCounter(&after);
        const double millis = double(after.QuadPart - before.QuadPart) * 1000.0 / double(frequency.QuadPart);
        worst = millis > worst ? millis : worst;
        EXPECT_LT(millis, 500.0) << "a stop " << wait << " ms into the song";
    }
    std::printf("measured: the longest stop of an 8 kHz mono song took %.1f ms\n", worst);
}

// Without a usable device the song does not race through in silence: the player says so and
// stops where it was.
TEST_F(FluxdecInPlayer, WithoutADeviceTheSongStopsWithNoDevice)
{
    ASSERT_EQ(0u, waveOutGetNumDevs()) << "this case must run without audio devices";
    app.AddToPlaylist(GaplessSong("cut-1").c_str());
    app.AddToPlaylist(GaplessSong("cut-2").c_str());
    ClickAt(kPlayPoint.x, kPlayPoint.y);
    EXPECT_TRUE(PumpUntil([] { return TimeAreaShows(ExpectedMessage("No Device")); }, 3000));
    EXPECT_TRUE(PumpUntil([] { return app.songLoaded == 0 && app.playButton.IsOn() == 0; }, 3000));
    PumpMessages(600);
    EXPECT_EQ(0, app.currentIndex) << "the list was played through in silence";
    EXPECT_EQ(0, app.songLoaded);
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

// The preference reaches the plug-in when the player opens a song: the song's ID3v2 track gain of
// -6.02 dB halves what the device plays.
TEST_F(FluxdecInPlayer, ReplayGainPreferencePlaysTheNextSongAtItsTrackGain)
{
    const std::string tagged = ProgramFolder() + "gapless-songs\\replaygain.mp3";
    const std::string tag =
        Id3v23Tag(Id3v23Frame("TXXX", std::string("\0REPLAYGAIN_TRACK_GAIN\0-6.02 dB", 31)));
    ASSERT_TRUE(WriteTaggedSong(tagged, tag, "cut-2"));
    const std::string decoded = CoreDecode(tagged);

    gSettings.replayGain = kReplayGainTrack;
    app.AddToPlaylist(tagged.c_str());
    app.PlayCurrent();
    ASSERT_TRUE(PumpUntil([] { return app.songLoaded == 0; }, 30000));
    gSettings.replayGain = kReplayGainOff;
    EXPECT_TRUE(HeardScaled(decoded, std::pow(10.0, -6.02 / 20)));
    DeleteFileA(tagged.c_str());
}

TEST_F(FluxdecInPlayer, TaggedSongScrollsByUnderItsOwnNameInTheFontsLetters)
{
    const std::string tagged = ProgramFolder() + "gapless-songs\\tagged.mp3";
    ASSERT_TRUE(WriteTaggedSong(tagged, Id3v23Utf16Tag(u"Bj\u00F6rk", u"J\u00F3ga Stra\u00DFe"), "cut-1"));

    app.AddToPlaylist(tagged.c_str());
    app.PlayCurrent();
    const char* const expected = "Bjork - Joga Strasse";
    ASSERT_TRUE(PumpUntil([] { return app.songLoaded != 0; }, 5000));
    EXPECT_STREQ(expected, app.titleText);

    // The title scrolls: under the paint lock the window shows the frame drawn at the scroll
    // offset that stands, or at the one before it (the paint thread moves it before it waits).
    bool shown = false;
    for (int attempt = 0; attempt < 20 && !shown; ++attempt) {
        const auto [window, scroll] = [] {
            PaintLock paint(app);
            return std::make_pair(WindowPixels(app), static_cast<LONG>(app.titleScroll));
        }();
        for (LONG offset : {scroll, scroll + 2}) {
            const Pixels candidate = OverRestingSkin([offset, expected](HDC dc) {
                SelectClipRgn(dc, app.titleRegion);
                app.skinFont.DrawStringInBox(dc, expected, kTitleLeft, kTitleRight, kTitleTop, offset);
            });
            const RECT titleLine = {kTitleLeft, kTitleTop, kTitleRight, kScopeRect.top};
            shown = shown || RegionDifferences(app.titleRegion, titleLine, window, candidate) == 0;
        }
        PumpMessages(50);
    }
    EXPECT_TRUE(shown) << "the title display never showed \"" << expected << "\" in the skin's font";
    app.StopSong();
    DeleteFileA(tagged.c_str());
}

TEST_F(FluxdecInPlayer, VolumeKnobScalesWhatIsHeardAndTheScopesMoveOnlyWhileMusicPlays)
{
    const std::string song = GaplessSong("cut-2");
    const std::string decoded = CoreDecode(song);
    ASSERT_FALSE(decoded.empty());
    app.AddToPlaylist(song.c_str());
    app.PlayCurrent();

    // Turn the knob down to about half its sweep; the plug-in keeps the volume for the song
    // started next.
    const HWND w = app.window.load();
    EXPECT_EQ(kVolumeKnobMax, app.volumeKnob.value) << "nothing stored: the knob stands at full";
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kVolumePoint.x, kVolumePoint.y));
    for (int i = 0; i < 400 && (app.volumeKnob.value < 26000 || app.volumeKnob.value > 40000); ++i)
        SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(kVolumePoint.x, kVolumePoint.y + 4));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(kVolumePoint.x, kVolumePoint.y));
    ASSERT_GE(app.volumeKnob.value, 26000);
    ASSERT_LE(app.volumeKnob.value, 40000);
    const uint32_t volume = VolumeOfKnob(app.volumeKnob.value);
    app.PlayCurrent();  // the song again, from its start, at the knob's volume

    // While it plays the scopes change from frame to frame.
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < 12 && app.songLoaded; ++i) {
        PumpMessages(40);
        pictures.push_back(ScopePixels());
    }
    int changes = 0;
    for (size_t i = 1; i < pictures.size(); ++i)
        changes += pictures[i] != pictures[i - 1] ? 1 : 0;
    EXPECT_GE(changes, 5) << "of " << pictures.size() << " pictures taken while the song played";

    ASSERT_TRUE(PumpUntil([] { return app.songLoaded == 0; }, 30000));
    PumpMessages(1000);  // the scopes fade out over the frames after the last data
    const std::vector<uint32_t> after = ScopePixels();
    PumpMessages(300);
    EXPECT_TRUE(after == ScopePixels()) << "the scopes rest after the song";

    // What the device played: every sample the decode's times volume / 65536, within one step.
    EXPECT_TRUE(HeardScaled(decoded, volume / 65536.0)) << "at volume " << volume;
}

TEST_F(FluxdecInPlayer, SpacePausesAtOnceAndResumesWithTheVeryNextSample)
{
    const std::string song = RealSongPath(1);
    const std::string decoded = CoreDecode(song);
    ASSERT_GT(decoded.size(), size_t(176400) * 10) << "a song of more than ten seconds";
    app.AddToPlaylist(song.c_str());
    app.PlayCurrent();
    ASSERT_TRUE(PumpUntil([] { return app.CurrentPosition() > 2000; }, 10000));

    // Space pauses: the capture stops growing at once.
    const HWND w = app.window.load();
    const size_t atPress = CapturedBytes();
    const DWORD pressed = GetTickCount();
    SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0);
    size_t last = atPress;
    DWORD lastGrowth = pressed;
    while (GetTickCount() - pressed < 1500) {
        if (const size_t now = CapturedBytes(); now != last) {
            last = now;
            lastGrowth = GetTickCount();
        }
        PumpMessages(2);
    }
    std::printf("measured: pause: the capture's last byte %lu ms after the press, %u bytes later\n",
                static_cast<unsigned long>(lastGrowth - pressed), unsigned(last - atPress));
    // What the sound system had already taken (Wine's mixer hands ALSA a period or two ahead)
    // still arrives, but never more than one buffer of the device's ring.
    EXPECT_LE(last - atPress, size_t(app.audio.bufferBytes)) << "more than one block heard after the press";
    EXPECT_TRUE(app.IsPaused() && app.pauseButton.IsOn() && !app.playButton.IsOn());

    // Paused, the time holds and blinks, and the scopes rest.
    const int32_t held = app.CurrentPosition();
    const Pixels time = ExpectedTime(MinutesAndSeconds(held).c_str());
    int shown = 0, hidden = 0;
    for (int i = 0; i < 30; ++i) {
        PumpMessages(50);
        EXPECT_EQ(held, app.CurrentPosition());
        (TimeAreaShows(time) ? shown : hidden) += 1;
    }
    EXPECT_TRUE(shown > 0 && hidden > 0) << shown << " pictures showed the time, " << hidden << " not";
    const std::vector<uint32_t> scopes = ScopePixels();
    PumpMessages(300);
    EXPECT_TRUE(scopes == ScopePixels()) << "the scopes move while paused";
    EXPECT_EQ(last, CapturedBytes()) << "something was heard while paused";

    // Space again: the song goes on to its end, one contiguous decode.
    SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(app.IsPaused());
    ASSERT_TRUE(PumpUntil([] { return app.songLoaded == 0; }, 60000)) << "the song plays to its end";
    const CaptureComparison comparison = CompareCapture(decoded, ReadAllCaptures());
    EXPECT_TRUE(comparison.HoldsAllOf(decoded)) << comparison.Describe(176400);
}

TEST_F(FluxdecInPlayer, MediaKeysReachThePlayerAsAppCommandsAndAsHotKeysNoOtherProgramTakes)
{
    app.AddToPlaylist(RealSongPath(1).c_str());
    app.AddToPlaylist(RealSongPath(2).c_str());
    app.PlayCurrent();
    const HWND w = app.window.load();
    const auto command = [w](int32_t appCommand) {
        return SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), MAKELPARAM(0, appCommand));
    };
    EXPECT_TRUE(command(APPCOMMAND_MEDIA_NEXTTRACK));
    EXPECT_EQ(1, app.currentIndex);
    EXPECT_TRUE(command(APPCOMMAND_MEDIA_PREVIOUSTRACK));
    EXPECT_EQ(0, app.currentIndex);

    // The keys are the player's wherever the focus is: nobody else can have them, and a press
    // reaches the player as its hot key.
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, 0, VK_MEDIA_PLAY_PAUSE)) << "the key was free";
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki.wVk = press[1].ki.wVk = VK_MEDIA_PLAY_PAUSE;
    press[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SetFocus(nullptr);
    ASSERT_EQ(2u, SendInput(2, press, sizeof(INPUT)));
    EXPECT_TRUE(PumpUntil([] { return app.IsPaused() != 0; }, 3000)) << "Play/Pause did not pause";
    EXPECT_TRUE(command(APPCOMMAND_MEDIA_PLAY_PAUSE));
    EXPECT_FALSE(app.IsPaused());

    // Stop while paused: the decoder waits on a ring that never empties, yet the stop is prompt.
    EXPECT_TRUE(command(APPCOMMAND_MEDIA_PLAY_PAUSE));
    ASSERT_TRUE(app.IsPaused());
    PumpMessages(300);
    const DWORD before = GetTickCount();
    EXPECT_TRUE(command(APPCOMMAND_MEDIA_STOP));
    EXPECT_LT(GetTickCount() - before, 500u) << "the stop waited for the decoder thread";
    EXPECT_EQ(0, app.songLoaded);
    EXPECT_FALSE(app.IsPaused());
}
