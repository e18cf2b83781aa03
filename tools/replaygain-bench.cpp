// Prints what ReplayGain costs the decoder: the whole song decoded with the output scale 1 (off)
// and with a scale of -6 dB, in turns so that a change in machine load hits both alike, as the
// median time per frame of each and their difference; and the work done once per song open and
// per seek (choosing the gain and scaling the synthesis window).
//   replaygain-bench IN.mp3 [RUNS]    (say, the 10-minute song that scripts/bench-decoder makes)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "plugins/fluxdec/core/Song.h"

namespace {

using Clock = std::chrono::steady_clock;

int32_t ReadFile(void* file, void* buffer, int32_t bytes) {
    return int32_t(std::fread(buffer, 1, size_t(bytes), static_cast<std::FILE*>(file)));
}

bool SeekFile(void* file, int64_t offset) {
    return std::fseek(static_cast<std::FILE*>(file), long(offset), SEEK_SET) == 0;
}

// Nanoseconds per frame for one whole decode at `scale`; `frames` gets the frame count.
double DecodeNsPerFrame(fluxdec::Song* song, std::FILE* input, float scale, long* frames) {
    std::rewind(input);
    if (!fluxdec::OpenSong(song, fluxdec::SongInput{ReadFile, SeekFile, input})) return 0;
    fluxdec::SetSongOutputScale(song, scale);
    int16_t pcm[fluxdec::kMaxFrameSamples];
    fluxdec::FrameInfo info{};
    int32_t count = 0;
    long blocks = 0;
    const auto start = Clock::now();
    while (!fluxdec::IsEndOfStream(fluxdec::DecodeSongBlock(song, pcm, &info, &count))) ++blocks;
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    fluxdec::CloseSong(song);
    *frames = blocks;
    return blocks ? ns / double(blocks) : 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: replaygain-bench IN.mp3 [RUNS]\n");
        return 2;
    }
    std::FILE* input = std::fopen(argv[1], "rb");
    if (!input) {
        std::fprintf(stderr, "replaygain-bench: cannot open '%s'\n", argv[1]);
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    auto song = std::make_unique<fluxdec::Song>();
    const float gain = 0.5011872f;  // -6 dB
    std::vector<double> off, on;
    long frames = 0;
    for (int run = 0; run < runs; ++run) {
        // The order alternates, so that neither always runs first.
        for (const float scale : run % 2 ? std::vector<float>{gain, 1.0f} : std::vector<float>{1.0f, gain})
            (scale == 1.0f ? off : on).push_back(DecodeNsPerFrame(song.get(), input, scale, &frames));
    }
    std::fclose(input);
    if (frames == 0) {
        std::fprintf(stderr, "replaygain-bench: no frames in '%s'\n", argv[1]);
        return 1;
    }
    // The per-song work: choosing among the sources and scaling the window.
    fluxdec::ReplayGainSource sources[3] = {{}, {}, fluxdec::SongInfoOf(song.get()).lameGain};
    sources[0].track = {true, -6.0f, 0.9f};
    constexpr int kOpens = 100000;
    volatile float sink = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kOpens; ++i) {
        sources[0].track.gainDb = -6.0f - float(i & 7);
        const float scale = fluxdec::ChooseReplayGain(sources, 3, fluxdec::ReplayGainMode::kTrack).scale;
        fluxdec::SetOutputScale(&song->decoder, scale);
        sink = sink + song->decoder.synthWindow[3][5];
    }
    const double perOpen = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kOpens;
    const double a = Median(off), b = Median(on);
    std::printf("replaygain-bench: %ld frames, median of %d decodes each\n", frames, runs);
    std::printf("  ReplayGain off (scale 1):   %8.1f ns per frame\n", a);
    std::printf("  ReplayGain -6 dB:           %8.1f ns per frame\n", b);
    std::printf("  cost per frame:             %+8.1f ns (%+.2f%%)\n", b - a, 100.0 * (b - a) / a);
    std::printf("  per song open or seek:      %8.1f ns (choosing the gain, scaling the window)\n",
                perOpen);
    return 0;
}
