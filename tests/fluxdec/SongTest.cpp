// The song layer over real encodes (sox signals, lame, with and without the Info/LAME tag):
// length and sample count against the source and mpg123, seek against a straight decode, and
// damaged copies whose scan and seek must agree with decoding (run under the sanitizers too).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "plugins/fluxdec/core/Song.h"
#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// A song over bytes in memory, and everything it yields from where it stands.
struct OpenedSong {
    fluxdec_test::MemoryInput input;
    std::unique_ptr<Song> song = std::make_unique<Song>();
    bool opened = false;
    // `sized`: the input's size is told, so the scan runs ahead of decoding rather than at once.
    explicit OpenedSong(std::vector<uint8_t> bytes, int32_t chunk = 1 << 30, bool sized = false) {
        input.data = std::move(bytes);
        input.chunk = chunk;
        opened = OpenSong(song.get(),
                          SongInput{fluxdec_test::MemoryInput::Read, fluxdec_test::MemoryInput::Seek,
                                    &input, sized ? int64_t(input.data.size()) : -1});
    }
    // Interleaved samples to the end; `starts` gets each output sample's index in them.
    std::vector<int16_t> Rest(std::vector<size_t>* starts = nullptr) {
        std::vector<int16_t> out;
        int16_t pcm[kMaxFrameSamples];
        FrameInfo info{};
        int32_t count = 0;
        while (!IsEndOfStream(DecodeSongBlock(song.get(), pcm, &info, &count))) {
            for (int32_t i = 0; starts && i < count; ++i)
                starts->push_back(out.size() + size_t(i * info.channels));
            out.insert(out.end(), pcm, pcm + count * info.channels);
        }
        return out;
    }
};

class SongMaterial : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Shell("{ command -v lame && command -v sox && command -v mpg123; } >/dev/null 2>&1"))
            GTEST_SKIP() << "lame, sox or mpg123 missing";
        char pattern[] = "/tmp/fluxdec-song-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) Shell("rm -rf " + dir_);
    }
    // Encodes `seconds` of a tone chord with a little noise at `rate`/`channels`; returns the
    // MP3's path and the source's sample count per channel.
    std::string Encode(const std::string& name, int rate, int channels, double seconds,
                       const std::string& lameArgs, int64_t* sourceSamples = nullptr) {
        const std::string wav = dir_ + "/" + name + ".wav", mp3 = dir_ + "/" + name + ".mp3";
        char effects[160];
        std::snprintf(effects, sizeof effects,
                      "synth %.4f sine 330 sine 500 synth pinknoise mix gain -8", seconds);
        EXPECT_TRUE(Shell("sox -R -n -r " + std::to_string(rate) + " -c " +
                          std::to_string(channels) + " -b 16 " + wav + " " + effects +
                          " 2>/dev/null"));
        EXPECT_TRUE(Shell("lame --quiet --resample " + std::to_string(rate / 1000.0) + " " +
                          lameArgs + " " + wav + " " + mp3));
        if (sourceSamples) *sourceSamples = int64_t(ReadBytes(wav).size() - 44) / (2 * channels);
        return mp3;
    }
    // mpg123's float decode x 32767, truncated and clipped, as this decoder's output arithmetic.
    std::vector<int16_t> Reference(const std::string& mp3, bool gapless) {
        const std::string ref = mp3 + ".f32";
        EXPECT_TRUE(Shell("mpg123 -q -e f32 -s " + std::string(gapless ? "" : "--no-gapless ") +
                          mp3 + " > " + ref));
        const std::vector<uint8_t> bytes = ReadBytes(ref);
        std::vector<int16_t> out(bytes.size() / 4);
        for (size_t i = 0; i < out.size(); ++i) {
            float f;
            std::memcpy(&f, &bytes[4 * i], 4);
            out[i] =
                int16_t(std::fmax(-32768.0, std::fmin(32767.0, std::trunc(double(f) * 32767.0))));
        }
        return out;
    }
    std::string dir_;
};

struct LengthCase {
    const char* name;
    int rate, channels;
    const char* lameArgs;  // -t: no Info frame, so nothing is trimmed
    int bitrate;           // expected; 0 when it varies
};

// Length and output of CBR, ABR and VBR encodes of every MPEG version, with and without the tag.
// With it, the song yields exactly the source's samples, aligned with it as mpg123's gapless
// decode is; without it, every frame's samples as mpg123 gives them without gapless trimming.
TEST_F(SongMaterial, LengthAndSamplesMatchTheSourceAndMpg123) {
    const LengthCase cases[] = {
        {"m1-cbr", 44100, 2, "-b 128", 128},
        {"m1-cbr-crc", 48000, 2, "-b 192 -p", 192},
        {"m1-abr", 48000, 2, "--abr 96", 0},
        {"m1-vbr-mono", 32000, 1, "-V 4", 0},
        {"m1-cbr-notag", 44100, 2, "-t -b 160", 160},
        {"m1-vbr-notag", 44100, 1, "-t -V 2", 0},
        {"m2-cbr", 22050, 1, "-b 64", 64},
        {"m2-abr", 24000, 2, "--abr 48", 0},
        {"m2-vbr", 16000, 2, "-V 6", 0},
        {"m2-vbr-notag", 22050, 2, "-t -V 5", 0},
        {"m25-cbr", 8000, 1, "-b 24", 24},
        {"m25-vbr", 11025, 2, "-V 4", 0},
        {"m25-cbr-notag", 12000, 2, "-t -b 32", 32},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t source = 0;
        const std::string mp3 =
            Encode(c.name, c.rate, c.channels, 1.3 + 0.01 * c.channels, c.lameArgs, &source);
        OpenedSong s(ReadBytes(mp3));
        ASSERT_TRUE(s.opened);
        const SongInfo& info = SongInfoOf(s.song.get());
        const bool tagged = std::string(c.lameArgs).find("-t") == std::string::npos;
        EXPECT_EQ(info.hasInfoTag, tagged);
        if (tagged) {
            EXPECT_EQ(info.samples, source);
        }
        EXPECT_EQ(info.lengthMs, info.samples * 1000 / c.rate);
        EXPECT_EQ(info.bitrateKbps, c.bitrate);
        EXPECT_EQ(info.mpegVersion, c.rate >= 32000 ? 1 : c.rate >= 16000 ? 2 : 25);
        EXPECT_EQ(info.frames * (c.rate >= 32000 ? 1152 : 576) -
                      (tagged ? info.encoderDelay + info.encoderPadding : 0),
                  info.samples);
        const std::vector<int16_t> ours = s.Rest(), ref = Reference(mp3, tagged);
        ASSERT_EQ(int64_t(ours.size()), info.samples * c.channels);
        ASSERT_EQ(ours.size(), ref.size());
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i)
            worst = std::max(worst, std::abs(ours[i] - ref[i]));
        EXPECT_LE(worst, 1);
        EXPECT_EQ(SongPositionSamples(s.song.get()), info.samples);
        std::printf("[ length    ] %-14s %7lld samples, %5lld ms, max diff %d\n", c.name,
                    static_cast<long long>(info.samples), static_cast<long long>(info.lengthMs),
                    worst);
    }
}

// 125 seeks over five songs (a low-rate LSF one whose main data reaches far back, a VBR
// one, an MPEG 2.5 one, and songs joined with cat whose format changes from stereo to mono and back), at random
// places and at the edges of the song and of each format's part: each continues exactly as the
// straight decode does, to the end.
TEST_F(SongMaterial, SeekContinuesExactlyAsAStraightDecode) {
    std::vector<std::vector<uint8_t>> songs = {
        ReadBytes(Encode("cbr", 44100, 2, 2.0, "-b 128")),
        ReadBytes(Encode("lsf8", 16000, 1, 3.0, "-b 8")),
        ReadBytes(Encode("vbr", 48000, 2, 2.0, "-V 0")),
        ReadBytes(Encode("m25", 11025, 2, 2.0, "-V 2")),
    };
    // The stereo part before the mono one ends mid-tone, cut at a frame: its state is not silence.
    const std::vector<uint8_t> stereo = ReadBytes(Encode("first", 44100, 2, 1.0, "-b 96"));
    std::vector<uint8_t> joined(stereo.begin(),
                                stereo.begin() + long(OpenedSong(stereo).song->frameOffsets[20]));
    fluxdec_test::Append(joined, ReadBytes(Encode("second", 22050, 1, 1.0, "-V 5")));
    fluxdec_test::Append(joined, stereo);
    songs.push_back(joined);
    std::mt19937 random(14);
    for (size_t song = 0; song < songs.size(); ++song) {
        SCOPED_TRACE(song);
        OpenedSong s(songs[song], 1000);
        ASSERT_TRUE(s.opened);
        std::vector<size_t> starts;
        const std::vector<int16_t> straight = s.Rest(&starts);
        const int64_t samples = SongInfoOf(s.song.get()).samples;
        ASSERT_EQ(int64_t(starts.size()), samples);
        std::vector<int64_t> targets = {
            0, 1, 575, 1152, 1153, samples - 1152, samples - 1, samples, samples + 9};
        for (const SongSegment& part : s.song->segments) targets.push_back(part.outputStart + 1);
        while (targets.size() < 25) targets.push_back(int64_t(random() % uint64_t(samples)));
        for (int64_t target : targets) {
            ASSERT_TRUE(SeekSongToSample(s.song.get(), target));
            EXPECT_EQ(SongPositionSamples(s.song.get()), std::min(target, samples));
            const std::vector<int16_t> rest = s.Rest();
            const size_t from = target < samples ? starts[size_t(target)] : straight.size();
            ASSERT_EQ(rest.size(), straight.size() - from) << "target " << target;
            EXPECT_TRUE(std::equal(rest.begin(), rest.end(), straight.begin() + long(from)))
                << "target " << target;
        }
        // A time lands on the first sample at or after it.
        const int64_t ms = SongInfoOf(s.song.get()).lengthMs * 2 / 3;
        ASSERT_TRUE(SeekSongToMs(s.song.get(), ms));
        EXPECT_EQ(SongPositionMs(s.song.get()), ms);
        // The command line seeks the same way and reports the same length.
        if (song != 0) continue;
        const std::string exe = FLUXDEC_EXE, mp3 = dir_ + "/cbr.mp3";
        ASSERT_TRUE(Shell(exe + " --raw --start-sample 12345 " + mp3 + " " + dir_ +
                          "/tail.raw 2>/dev/null"));
        const std::vector<uint8_t> tail = ReadBytes(dir_ + "/tail.raw");
        ASSERT_EQ(tail.size(), 2 * (straight.size() - starts[12345]));
        EXPECT_EQ(std::memcmp(tail.data(), straight.data() + starts[12345], tail.size()), 0);
        ASSERT_TRUE(Shell(exe + " --info " + mp3 + " > " + dir_ + "/info.txt 2>/dev/null"));
        const std::vector<uint8_t> text = ReadBytes(dir_ + "/info.txt");
        EXPECT_NE(std::string(text.begin(), text.end())
                      .find("\nsamples: " + std::to_string(samples) + "\n"),
                  std::string::npos);
    }
}

// Damaged copies of an encode, cut, flipped and given junk, read through a reader that returns
// a few bytes at a time: the scan's count is what decoding yields, from the start and after
// every seek, and nothing reads outside its buffers (the sanitizer tree runs this too).
TEST_F(SongMaterial, DamagedSongsScanAndSeekAsTheyDecode) {
    const std::vector<uint8_t> good = ReadBytes(Encode("good", 44100, 2, 1.0, "-V 3"));
    ASSERT_GT(good.size(), 2000u);
    std::mt19937 random(7);
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE(trial);
        std::vector<uint8_t> bytes = good;
        const size_t cut = 200 + random() % (bytes.size() - 200);
        switch (trial % 3) {
            case 0:
                bytes.resize(cut);
                break;
            case 1:
                for (int k = 0; k < 30; ++k)
                    bytes[random() % bytes.size()] ^= uint8_t(1 << (random() % 8));
                break;
            case 2:
                for (int k = 0; k < 64; ++k)
                    bytes.insert(bytes.begin() + long(cut), uint8_t(random()));
                break;
        }
        OpenedSong s(bytes, 1 + int32_t(random() % 700));
        if (!s.opened) continue;
        const int64_t samples = SongInfoOf(s.song.get()).samples;
        const int channels = SongInfoOf(s.song.get()).channels;
        EXPECT_EQ(int64_t(s.Rest().size()), samples * channels);
        for (int k = 0; k < 4; ++k) {
            const int64_t target = int64_t(random() % uint64_t(samples + 2000));
            ASSERT_TRUE(SeekSongToSample(s.song.get(), target));
            EXPECT_EQ(int64_t(s.Rest().size()), std::max<int64_t>(0, samples - target) * channels);
        }
    }
}

// Damaged and joined copies of an encode against its clean decode, each decoded while the scan
// runs ahead: the output before the damage is the clean decode's byte for byte, and so is
// everything from a few frames after it (`exactFrom` frames after the damaged one: a frame whose
// reservoir or filter-bank memory lay in a lost part cannot be exact); the length the finished
// scan gives is what was decoded.
TEST_F(SongMaterial, DamagedAndJoinedSongsPlayOnAsTheCleanDecodeAroundTheDamage) {
    const std::vector<uint8_t> clean = ReadBytes(Encode("clean", 44100, 2, 3.0, "-b 128"));
    const std::vector<uint8_t> other = ReadBytes(Encode("other", 22050, 1, 1.0, "-V 5 --tt Other"));
    OpenedSong ref(clean);
    const std::vector<int16_t> straight = ref.Rest(), second = OpenedSong(other).Rest();
    const std::vector<int64_t>& at = ref.song->frameOffsets;
    const int64_t trim = SongInfoOf(ref.song.get()).encoderDelay + 529;
    std::mt19937 random(3);
    auto junk = [&](size_t n) {
        std::vector<uint8_t> j(n);
        for (uint8_t& b : j) b = uint8_t(random());
        return j;
    };
    auto insert = [](std::vector<uint8_t> bytes, int64_t where, const std::vector<uint8_t>& what) {
        bytes.insert(bytes.begin() + long(where), what.begin(), what.end());
        return bytes;
    };
    std::vector<uint8_t> cut = clean, badHeader = clean, joined = clean, atEnd = clean;
    cut.erase(cut.begin() + long(at[41] - 200), cut.begin() + long(at[41]));
    badHeader[size_t(at[40]) + 1] &= 0xF9;  // layer bits 00: reserved
    fluxdec_test::Append(joined, other);
    fluxdec_test::Append(joined, clean);
    fluxdec_test::Append(atEnd, junk(3000));
    std::vector<int16_t> both = straight;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int64_t lostFrames;  // frames the damage takes out of the output
        int64_t exactFrom;   // -1: all of it is the clean decode
    } cases[] = {
        {"4 KB of junk between frames", insert(clean, at[40], junk(4096)), 0, -1},
        {"4 KB of junk inside a frame", insert(clean, at[40] + 150, junk(4096)), 0, 3},
        {"a frame cut short", cut, 1, 2},
        {"a corrupted header", badHeader, 1, 2},
        {"junk at the start", insert(clean, 0, junk(1000)), 0, -1},
        {"junk at the end", atEnd, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenedSong s(c.bytes, 4000, true);
        ASSERT_TRUE(s.opened);
        const std::vector<int16_t> out = s.Rest();
        const SongInfo& info = SongInfoOf(s.song.get());
        EXPECT_TRUE(info.scanned);
        EXPECT_EQ(int64_t(out.size()), info.samples * 2);
        // A song that lost frames keeps its padding: the tag's frame count no longer holds.
        const long padding = c.lostFrames ? 2 * (SongInfoOf(ref.song.get()).encoderPadding - 529) : 0;
        ASSERT_EQ(int64_t(out.size()), int64_t(straight.size()) - c.lostFrames * 2304 + padding);
        // Output sample of stream frame 40's start (frame 0 is the Info frame), interleaved.
        const long before = long(2 * (39 * 1152 - trim));
        EXPECT_TRUE(std::equal(straight.begin(), straight.begin() + before, out.begin()));
        const long tail = c.exactFrom < 0 ? long(out.size())
                                          : long(out.size()) - padding - before - 2304 * (c.exactFrom + 1);
        EXPECT_TRUE(std::equal(straight.end() - tail, straight.end(), out.end() - padding - tail));
        std::printf("[ damage    ] %-30s %7zu samples of %zu\n", c.name, out.size() / 2,
                    straight.size() / 2);
    }
    // Joined with cat: a song at another rate (its own ID3v2 tag and Info frame), then the first
    // again: each part is trimmed and decoded as it is alone, nothing between them.
    OpenedSong j(joined, 4000, true);
    const std::vector<int16_t> parts = j.Rest();
    const SongInfo& info = SongInfoOf(j.song.get());
    EXPECT_EQ(info.parts, 3);
    EXPECT_EQ(info.samples, int64_t(straight.size() / 2 + second.size() + straight.size() / 2));
    both.insert(both.end(), second.begin(), second.end());
    both.insert(both.end(), straight.begin(), straight.end());
    ASSERT_EQ(parts.size(), both.size());
    EXPECT_TRUE(parts == both);
}

// Crafted streams of 24-byte frames (MPEG-2, 8 kbit/s, 24 kHz), made on the fly as a pattern of
// frames repeated: the song layer's tables stay within 16 MB whatever the file, and a seek lands
// exactly where the seek table had to grow coarse (the sanitizer tree runs this too).
struct PatternInput {
    std::vector<uint8_t> pattern;
    int64_t size = 0, pos = 0;
    static int32_t Read(void* c, void* buffer, int32_t bytes) {
        PatternInput* in = static_cast<PatternInput*>(c);
        int32_t n = 0;
        for (; n < bytes && in->pos < in->size; ++n, ++in->pos)
            static_cast<uint8_t*>(buffer)[n] = in->pattern[size_t(in->pos % int64_t(in->pattern.size()))];
        return n;
    }
    static bool Seek(void* c, int64_t offset) {
        PatternInput* in = static_cast<PatternInput*>(c);
        if (offset < 0 || offset > in->size) return false;
        in->pos = offset;
        return true;
    }
};

// A 24-byte LSF frame; `loud` puts one line of the given gain in it.
std::vector<uint8_t> SmallFrame(int mode, int loudGain = 0) {
    const FrameHeader h = fluxdec_test::MakeHeader(0, 1, 1, mode);
    SideInfo side{};
    fluxdec_test::BitWriter w;
    if (loudGain) {
        w.PutCode(1, 1, 1);
        w.Put(0, 2);
        side.granule[0][0].part23Length = int(w.Bits());
        side.granule[0][0].bigValues = 1;
        side.granule[0][0].globalGain = loudGain;
        side.granule[0][0].tableSelect[0] = 1;
    }
    return fluxdec_test::MakeFrame(h, side, w.Bytes());
}

TEST(SongBounds, CraftedStreamsKeepTheTablesBoundedAndSeeksExact) {
    const auto tables = [](const Song& s) {
        return s.frameOffsets.capacity() * sizeof(int64_t) + s.segments.capacity() * sizeof(SongSegment);
    };
    std::vector<uint8_t> flipEveryFrame = SmallFrame(3);
    fluxdec_test::Append(flipEveryFrame, SmallFrame(0));
    std::vector<uint8_t> flipEvery300Ms;  // 13 frames, 312 ms, of each
    for (int i = 0; i < 26; ++i) fluxdec_test::Append(flipEvery300Ms, SmallFrame(i < 13 ? 3 : 0));
    std::vector<uint8_t> loud = SmallFrame(3, 250);
    fluxdec_test::Append(loud, SmallFrame(3));
    fluxdec_test::Append(loud, SmallFrame(3, 210));
    struct Case {
        const char* name;
        const std::vector<uint8_t>* pattern;
        int64_t bytes;
        int64_t samples;  // what the song gives
    } cases[] = {
        // A format that flips with every frame is junk: the first frame plays, and the last,
        // whose run reaches the end of the input.
        {"mono and stereo by turns", &flipEveryFrame, int64_t(48) << 20, 2 * 576},
        // Believed formats: 32768 segments, then the song ends.
        {"mono and stereo by turns of 300 ms", &flipEvery300Ms, int64_t(48) << 20, 32768 * 13 * 576},
        // 750,000 frames: the offsets table keeps every second one.
        {"one format, 750,000 frames", &loud, 750000 * 24, 750000 * 576},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PatternInput in{*c.pattern, c.bytes, 0};
        auto song = std::make_unique<Song>();
        ASSERT_TRUE(OpenSong(song.get(), SongInput{PatternInput::Read, PatternInput::Seek, &in, c.bytes}));
        FinishSongScan(song.get());
        EXPECT_EQ(SongInfoOf(song.get()).samples, c.samples);
        EXPECT_LE(tables(*song), size_t(16) << 20);
        std::printf("[ bounds    ] %-36s tables %5zu KB, seek table stride %lld\n", c.name,
                    tables(*song) >> 10, static_cast<long long>(song->offsetStride));
    }
    // The last case's stream repeats every 3 frames: a place near the end, reached through the
    // coarse table, continues as the same place in the pattern near the start does.
    PatternInput in{loud, 750000 * 24, 0};
    auto song = std::make_unique<Song>();
    ASSERT_TRUE(OpenSong(song.get(), SongInput{PatternInput::Read, PatternInput::Seek, &in, in.size}));
    FinishSongScan(song.get());
    EXPECT_GT(song->offsetStride, 1);
    auto blocksFrom = [&](int64_t sample) {
        EXPECT_TRUE(SeekSongToSample(song.get(), sample));
        std::vector<int16_t> out;
        int16_t pcm[kMaxFrameSamples];
        FrameInfo info{};
        int32_t count = 0;
        for (int block = 0; block < 8 && !IsEndOfStream(DecodeSongBlock(song.get(), pcm, &info, &count)); ++block)
            out.insert(out.end(), pcm, pcm + count);
        return out;
    };
    const int64_t period = 3 * 576;
    for (int64_t offset : {int64_t(0), int64_t(1), int64_t(577), int64_t(1300)}) {
        const std::vector<int16_t> late = blocksFrom(749001 / 3 * period + offset);
        EXPECT_FALSE(late.empty());
        EXPECT_EQ(late, blocksFrom(10 * period + offset)) << offset;
    }
}

}  // namespace
