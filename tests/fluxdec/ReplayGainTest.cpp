// ReplayGain end to end on real files: a lame encode (with its LAME tag, or without any tag),
// tagged by TagLib's writer with TXXX frames and APEv2 items, opened the way the plug-in and the
// fluxdec tool open a song (its tags, OpenSong, the choice, SetSongOutputScale). Each case's
// decode must be the plain decode times the expected scale, within 1 LSB (within the scale's LSBs
// where it exceeds 1: the plain decode's own truncation grows with it), and exactly the plain
// decode where the scale is 1.
#include <gtest/gtest.h>

#include <taglib/apetag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "plugins/fluxdec/core/Song.h"
#include "plugins/fluxdec/tags/SongTitle.h"

using namespace fluxdec;

namespace {

using Items = std::vector<std::pair<const char*, const char*>>;

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
        pclose(pipe);
    }
    return out;
}

int32_t ReadFile(void* file, void* buffer, int32_t bytes) {
    return int32_t(std::fread(buffer, 1, size_t(bytes), static_cast<FILE*>(file)));
}
bool SeekFile(void* file, int64_t offset) {
    return fseeko(static_cast<FILE*>(file), off_t(offset), SEEK_SET) == 0;
}

// The song's whole output, opened as the plug-in opens it; `scale` gets the scale it chose.
std::vector<int16_t> Decode(const std::string& path, ReplayGainMode mode, float* scale = nullptr) {
    static Song song;  // large: not on the stack
    std::vector<int16_t> out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file || !OpenSong(&song, SongInput{ReadFile, SeekFile, file})) {
        if (file) std::fclose(file);
        return out;
    }
    const ReplayGainChoice gain =
        ChooseSongReplayGain(ReadSongTags(path.c_str()), SongInfoOf(&song).lameGain, mode);
    SetSongOutputScale(&song, gain.scale);
    if (scale) *scale = gain.scale;
    int16_t pcm[kMaxFrameSamples];
    FrameInfo info{};
    int32_t count = 0;
    while (!IsEndOfStream(DecodeSongBlock(&song, pcm, &info, &count)))
        out.insert(out.end(), pcm, pcm + count * info.channels);
    CloseSong(&song);
    std::fclose(file);
    return out;
}

void WriteTags(const std::string& path, const Items& id3v2, const Items& ape) {
    if (id3v2.empty() && ape.empty()) return;
    TagLib::MPEG::File file(path.c_str(), false);
    for (const auto& [name, value] : id3v2) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
        frame->setDescription(name);
        frame->setText(value);
        file.ID3v2Tag(true)->addFrame(frame);  // the tag owns the frame
    }
    for (const auto& [name, value] : ape) file.APETag(true)->addValue(name, value);
    file.save((id3v2.empty() ? 0 : TagLib::MPEG::File::ID3v2) | (ape.empty() ? 0 : TagLib::MPEG::File::APE));
}

struct GainCase {
    const char* name;
    bool lameTag;  // encoded with the LAME tag (lame's own track gain), else with no tag at all
    Items id3v2, ape;
    ReplayGainMode mode;
    double expectedScale;  // 0: the LAME tag's track gain as lame reported it
};

constexpr auto kOff = ReplayGainMode::kOff, kTrack = ReplayGainMode::kTrack,
               kAlbum = ReplayGainMode::kAlbum;
const double kMinus6 = std::pow(10.0, -6.02 / 20);

const GainCase kCases[] = {
    {"TXXX track gain before APE and LAME", true, {{"REPLAYGAIN_TRACK_GAIN", "-6.02 dB"}},
     {{"REPLAYGAIN_TRACK_GAIN", "-3.00 dB"}}, kTrack, kMinus6},
    {"album mode falls back to the TXXX track gain", true, {{"REPLAYGAIN_TRACK_GAIN", "-6.02 dB"}}, {},
     kAlbum, kMinus6},
    {"track mode falls back to the TXXX album gain (any case)", false,
     {{"replaygain_album_gain", "-3.5 dB"}}, {}, kTrack, std::pow(10.0, -3.5 / 20)},
    {"APE album gain where ID3v2 holds none", true, {{"SOMETHING_ELSE", "-9 dB"}},
     {{"REPLAYGAIN_TRACK_GAIN", "-4.5 dB"}, {"REPLAYGAIN_ALBUM_GAIN", "-2.5 dB"}}, kAlbum,
     std::pow(10.0, -2.5 / 20)},
    {"an unreadable gain counts as missing", false,
     {{"REPLAYGAIN_TRACK_GAIN", "loud"}, {"REPLAYGAIN_ALBUM_GAIN", "-1.00 dB"}}, {}, kTrack,
     std::pow(10.0, -1.0 / 20)},
    {"LAME radio gain without tags", true, {}, {}, kTrack, 0},
    {"album mode falls back to the LAME radio gain", true, {}, {}, kAlbum, 0},
    {"the track peak stops +12 dB at 1/peak", false,
     {{"REPLAYGAIN_TRACK_GAIN", "+12.00 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.5"}}, {}, kTrack, 2.0},
    {"the album peak stops the album gain", false,
     {{"REPLAYGAIN_ALBUM_GAIN", "6 dB"}, {"REPLAYGAIN_ALBUM_PEAK", "0.8"},
      {"REPLAYGAIN_TRACK_PEAK", "0.3"}}, {}, kAlbum, 1.25},
    {"off plays the song as decoded", true, {{"REPLAYGAIN_TRACK_GAIN", "-6.02 dB"}}, {}, kOff, 1.0},
    {"0 dB below full scale plays the song as decoded", true,
     {{"REPLAYGAIN_TRACK_GAIN", "0.00 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.9"}}, {}, kTrack, 1.0},
    {"a song without any gain plays as decoded", false, {}, {}, kTrack, 1.0},
};

}  // namespace

TEST(ReplayGain, EverySourceWithFallbackAndClippingPreventionScalesTheDecode) {
    if (!Shell("{ command -v lame && command -v sox; } >/dev/null 2>&1"))
        GTEST_SKIP() << "lame or sox missing";
    char pattern[] = "/tmp/fluxdec-replaygain-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    // A quarter of full scale, so that a scale of 2 cannot clip.
    ASSERT_TRUE(Shell("sox -R -n -r 44100 -c 2 -b 16 " + dir +
                      "/tone.wav synth 1.5 sine 440 sine 1250 remix 1 2 gain -12 2>/dev/null"));
    ASSERT_TRUE(Shell("lame --quiet -t " + dir + "/tone.wav " + dir + "/bare.mp3"));
    const std::string report = Output("lame " + dir + "/tone.wav " + dir + "/lame.mp3 2>&1");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(report, found, std::regex("ReplayGain: ([-+0-9.]+)dB"))) << report;
    const double lameScale = std::pow(10.0, std::stod(found[1]) / 20);
    const std::vector<int16_t> plain[2] = {Decode(dir + "/bare.mp3", kOff), Decode(dir + "/lame.mp3", kOff)};
    ASSERT_FALSE(plain[0].empty());

    for (const GainCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string song = dir + "/case.mp3";
        ASSERT_TRUE(Shell("cp " + dir + (c.lameTag ? "/lame.mp3 " : "/bare.mp3 ") + song));
        WriteTags(song, c.id3v2, c.ape);
        const double expected = c.expectedScale > 0 ? c.expectedScale : lameScale;
        float chosen = 0;
        const std::vector<int16_t> heard = Decode(song, c.mode, &chosen);
        const std::vector<int16_t>& reference = plain[c.lameTag];
        ASSERT_EQ(heard.size(), reference.size());
        EXPECT_NEAR(chosen, expected, expected * 1e-3);  // LAME stores tenths of a dB
        if (expected == 1.0) {
            EXPECT_TRUE(heard == reference) << "not bit for bit the plain decode";
            continue;
        }
        double worst = 0;
        for (size_t i = 0; i < heard.size(); ++i)
            worst = std::fmax(worst, std::fabs(heard[i] - reference[i] * double(chosen)));
        std::printf("[ replaygain ] %-56s scale %.4f, max diff %.3f\n", c.name, chosen, worst);
        EXPECT_LE(worst, std::fmax(1.0, chosen));
    }
    // The command-line tool names what it found.
    const std::string song = dir + "/case.mp3";
    ASSERT_TRUE(Shell("cp " + dir + "/lame.mp3 " + song));
    WriteTags(song, {{"REPLAYGAIN_ALBUM_GAIN", "-6.02 dB"}}, {});
    const std::string info = Output(std::string(FLUXDEC_EXE) + " --info " + song);
    EXPECT_NE(info.find("replaygain-id3v2-album-gain: -6.02 dB"), std::string::npos) << info;
    std::smatch lameLine;
    ASSERT_TRUE(std::regex_search(info, lameLine, std::regex("replaygain-lame-track-gain: ([-+0-9.]+) dB")))
        << info;
    EXPECT_NEAR(std::stod(lameLine[1]), std::stod(found[1]), 0.05);
    Shell("rm -rf " + dir);
}
