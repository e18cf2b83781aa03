// Whole files: streams made with lame (and sox) at test time, decoded by the core and compared
// with mpg123's float decode x 32767 truncated toward zero; the command-line decoder's contract;
// and every input that once crashed or hung the decoder (crashes/).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/fluxdec/StreamBuilder.h"

using namespace fluxdec;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Decodes a whole stream through the core; returns the samples and the number of frames.
std::vector<int16_t> DecodeAll(std::vector<uint8_t> data, int* frames = nullptr, int maxFrames = 1 << 20) {
    auto d = std::make_unique<Decoder>();
    fluxdec_test::MemoryInput in;
    in.data = std::move(data);
    InitDecoder(d.get(), fluxdec_test::MemoryInput::Read, &in);
    std::vector<int16_t> out;
    int16_t pcm[kMaxFrameSamples];
    FrameInfo info{};
    int n = 0;
    while (n < maxFrames && !IsEndOfStream(DecodeFrame(d.get(), pcm, &info))) {
        out.insert(out.end(), pcm, pcm + info.samplesPerChannel * info.channels);
        ++n;
    }
    if (frames) *frames = n;
    return out;
}

class Reference : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("lame") || !Have("sox") || !Have("mpg123")) GTEST_SKIP() << "lame, sox or mpg123 missing";
        char pattern[] = "/tmp/fluxdec-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) std::system(("rm -rf " + dir_).c_str());
    }
    // Makes a file with sox (`format`, `effects`) and lame (`lameArgs` (no info frame: -t), decodes it both ways and
    // compares: same length, every sample within 1, the share that differs below 1%.
    void Compare(const std::string& format, const std::string& effects, const std::string& lameArgs) {
        const std::string wav = dir_ + "/in.wav", mp3 = dir_ + "/in.mp3", ref = dir_ + "/ref.f32";
        ASSERT_EQ(std::system(("sox -n -b 16 " + format + " " + wav + " " + effects + " 2>/dev/null").c_str()), 0);
        ASSERT_EQ(std::system(("lame -t --quiet " + lameArgs + " " + wav + " " + mp3).c_str()), 0);
        ASSERT_EQ(std::system(("mpg123 -q -e f32 -s --no-gapless " + mp3 + " > " + ref).c_str()), 0);
        const std::vector<uint8_t> refBytes = ReadAll(ref);
        std::vector<float> reference(refBytes.size() / 4);
        std::memcpy(reference.data(), refBytes.data(), reference.size() * 4);
        const std::vector<int16_t> ours = DecodeAll(ReadAll(mp3));
        ASSERT_EQ(ours.size(), reference.size()) << lameArgs;
        size_t differ = 0;
        double worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            const double r = std::fmax(-32768.0, std::fmin(32767.0, std::trunc(double(reference[i]) * 32767.0)));
            const double diff = std::fabs(ours[i] - r);
            worst = std::fmax(worst, diff);
            differ += diff != 0;
        }
        const double share = ours.empty() ? 0 : double(differ) / double(ours.size());
        std::printf("[ reference ] %-28s %zu samples, max diff %.0f, %.3f%% differ\n", lameArgs.c_str(),
                    ours.size(), worst, 100 * share);
        EXPECT_LE(worst, 1.0) << lameArgs;
        EXPECT_LT(share, 0.01) << lameArgs;
    }
    std::string dir_;
};

}  // namespace

TEST_F(Reference, JointStereoMpeg1) { Compare("-r 44100 -c 2", "synth 2 pinknoise gain -6", "-b 128 -m j"); }
TEST_F(Reference, ShortBlocksFromBursts) {
    Compare("-r 48000 -c 2", "synth 0.04 whitenoise gain -3 pad 0 0.3 repeat 5", "-b 96 -m j");
}
TEST_F(Reference, LsfMonoAndStereo) {
    Compare("-r 22050 -c 1", "synth 2 pinknoise gain -6", "-b 32 -m m");
    Compare("-r 24000 -c 2", "synth 0.04 whitenoise gain -3 pad 0 0.3 repeat 5", "-b 64 -m j");
    Compare("-r 16000 -c 2", "synth 2 pinknoise gain -6", "-V 5");
}
TEST_F(Reference, FullScaleSquareClips) { Compare("-r 32000 -c 2", "synth 2 square 300 gain 0", "-b 320 -m s -p"); }

TEST(CommandLine, ExitStatusAndOutputs) {
    const std::string exe = FLUXDEC_EXE;
    char pattern[] = "/tmp/fluxdec-cli-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    // No frames: empty output, status 0.
    { std::ofstream(dir + "/text.mp3") << "not an mp3 file\n"; }
    EXPECT_EQ(std::system((exe + " --raw " + dir + "/text.mp3 " + dir + "/out.raw 2>/dev/null").c_str()), 0);
    EXPECT_TRUE(ReadAll(dir + "/out.raw").empty());
    // Input cannot be opened, output cannot be written: non-zero.
    EXPECT_NE(std::system((exe + " " + dir + "/missing.mp3 " + dir + "/out.wav 2>/dev/null").c_str()), 0);
    std::vector<uint8_t> two = fluxdec_test::SilentFrame(fluxdec_test::MakeHeader(1, 9, 0, 0));
    fluxdec_test::Append(two, two);
    { std::ofstream(dir + "/two.mp3", std::ios::binary).write(reinterpret_cast<const char*>(two.data()), long(two.size())); }
    EXPECT_NE(std::system((exe + " " + dir + "/two.mp3 " + dir + "/no/such/dir.wav 2>/dev/null").c_str()), 0);
    if (std::ifstream("/dev/full")) {
        EXPECT_NE(std::system((exe + " --raw " + dir + "/two.mp3 /dev/full 2>/dev/null").c_str()), 0);
    }
    // WAV: a 44-byte header with the stream's format, then the samples.
    ASSERT_EQ(std::system((exe + " " + dir + "/two.mp3 " + dir + "/two.wav 2>/dev/null").c_str()), 0);
    const std::vector<uint8_t> wav = ReadAll(dir + "/two.wav");
    ASSERT_EQ(wav.size(), 44u + 2 * 2304 * 2);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(wav[22], 2);                                      // channels
    EXPECT_EQ(wav[24] | (wav[25] << 8) | (wav[26] << 16), 44100);  // sample rate
    EXPECT_EQ(wav[40] | (wav[41] << 8) | (wav[42] << 16), 2 * 2304 * 2);
    std::system(("rm -rf " + dir).c_str());
}

// Inputs that once crashed, hung or tripped a sanitizer: each must end in bounded time.
TEST(Robustness, CrashInputsEndCleanly) {
    DIR* dir = opendir(FLUXDEC_CRASH_DIR);
    ASSERT_NE(dir, nullptr);
    int files = 0;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".mp3") != 0) continue;
        int frames = 0;
        DecodeAll(ReadAll(std::string(FLUXDEC_CRASH_DIR) + "/" + e->d_name), &frames, 100000);
        EXPECT_LT(frames, 100000) << e->d_name;
        ++files;
    }
    closedir(dir);
    EXPECT_GT(files, 0);
    std::printf("[ crashes   ] %d inputs decoded to their end\n", files);
}

// Random bytes and damaged copies of a valid stream never reach outside the arrays (checked by
// the sanitizers in a sanitizer build) and always end.
TEST(Robustness, DamagedStreamsEnd) {
    std::vector<uint8_t> good;
    for (int i = 0; i < 6; ++i) fluxdec_test::Append(good, fluxdec_test::SilentFrame(fluxdec_test::MakeHeader(1, 9, 0, 1, 3)));
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint8_t> data = good;
        for (int k = 0; k < 40; ++k) {
            // Keep the headers (so the frames are parsed) and damage side information and data.
            size_t pos = next() % data.size();
            if (pos % 417 >= 4) data[pos] = uint8_t(next() >> 24);
        }
        int frames = 0;
        DecodeAll(data, &frames, 1000);
        EXPECT_LE(frames, 6);
    }
}
