// fluxdec (native): decodes an MPEG audio Layer III file with the core linked in, through the song
// layer (gapless trim, seek), as the plug-in does.
//   fluxdec [--start-sample N] IN.mp3 OUT.wav       16-bit PCM WAV with the stream's rate and
//   channels fluxdec --raw [--start-sample N] IN.mp3 OUT|-   headerless signed 16-bit little-endian
//   samples fluxdec --info IN.mp3                           the song's facts, one `key: value` a
//   line
// A WAV file has one format, so where the stream's rate or channels change (files joined end to
// end), decoding stops with a message and the output holds the first format's part; raw output
// stops there too, so that both forms hold the same samples. Reports frames, format and speed on
// standard error. Exit status 0 on success (a file without frames gives an empty output), 1 when
// the input cannot be opened or read or the output not written, 2 on a usage error.
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include "plugins/fluxdec/cli/Arguments.h"
#include "plugins/fluxdec/cli/WavWriter.h"
#include "plugins/fluxdec/core/Song.h"
#include "plugins/fluxdec/tags/SongTitle.h"

namespace {

int32_t ReadFile(void* context, void* buffer, int32_t bytes) {
    return int32_t(std::fread(buffer, 1, size_t(bytes), static_cast<FILE*>(context)));
}

bool SeekFile(void* context, int64_t offset) {
    return fseeko(static_cast<FILE*>(context), off_t(offset), SEEK_SET) == 0;
}

fluxdec::Song gSong;  // about 130 KB: static rather than on the stack

void PrintInfo(const fluxdec::SongInfo& info) {
    std::printf("sample-rate: %d\n", int(info.sampleRate));
    std::printf("channels: %d\n", int(info.channels));
    std::printf("mpeg-version: %s\n", info.mpegVersion == 25  ? "2.5"
                                      : info.mpegVersion == 1 ? "1"
                                                              : "2");
    std::printf("samples: %lld\n", static_cast<long long>(info.samples));
    std::printf("length-ms: %lld\n", static_cast<long long>(info.lengthMs));
    std::printf("encoder-delay: %d\n", int(info.encoderDelay));
    std::printf("encoder-padding: %d\n", int(info.encoderPadding));
    std::printf("frames: %lld\n", static_cast<long long>(info.frames));
    if (info.bitrateKbps) {
        std::printf("bitrate: %d\n", int(info.bitrateKbps));
    } else {
        std::printf("bitrate: vbr\n");
    }
    std::printf("info-tag: %s\n", info.hasInfoTag ? "yes" : "no");
    std::printf("format-changes: %d\n", int(info.formatChanges));
}

}  // namespace

int main(int argc, char** argv) {
    fluxdec::Arguments args;
    if (!fluxdec::ParseArguments(argc, argv, &args)) return 2;
    const char* inPath = args.inPath;

    FILE* in = std::fopen(inPath, "rb");
    if (!in) {
        std::fprintf(stderr, "fluxdec: cannot open input '%s': %s\n", inPath, std::strerror(errno));
        return 1;
    }
    const auto t0 = std::chrono::steady_clock::now();
    struct stat st {};
    const int64_t size = fstat(fileno(in), &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : -1;
    const bool opened = fluxdec::OpenSong(&gSong, fluxdec::SongInput{ReadFile, SeekFile, in, size});
    if (args.info) {
        if (opened) fluxdec::FinishSongScan(&gSong);
        const bool readError = std::ferror(in) != 0;
        std::fclose(in);
        if (readError) {
            std::fprintf(stderr, "fluxdec: error reading input '%s'\n", inPath);
            return 1;
        }
        if (!opened) {
            std::fprintf(stderr, "fluxdec: no MPEG audio Layer III frame in '%s'\n", inPath);
            return 1;
        }
        std::printf("title: %s\n", fluxdec::ReadSongTitle(inPath).c_str());
        PrintInfo(fluxdec::SongInfoOf(&gSong));
        std::fprintf(
            stderr, "fluxdec: scanned in %.1f ms\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
        return 0;
    }

    fluxdec::PcmOutput out;
    std::string error;
    if (!out.Open(args.outPath, !args.raw, &error)) {
        std::fprintf(stderr, "fluxdec: %s\n", error.c_str());
        std::fclose(in);
        return 1;
    }
    if (opened && args.startSample > 0 && !fluxdec::SeekSongToSample(&gSong, args.startSample)) {
        std::fprintf(stderr, "fluxdec: cannot seek in '%s'\n", inPath);
        std::fclose(in);
        return 1;
    }
    int16_t pcm[fluxdec::kMaxFrameSamples];
    fluxdec::FrameInfo info{};
    int32_t count = 0;
    fluxdec::Status status = fluxdec::Status::kEndOfStream;
    long blocks = 0, resyncs = 0;
    double firstBlockMs = 0;
    int rate = 0, channels = 0;
    double seconds = 0;
    bool writeOk = true;
    while (opened &&
           !fluxdec::IsEndOfStream(status = fluxdec::DecodeSongBlock(&gSong, pcm, &info, &count))) {
        if (info.faults & fluxdec::kFaultResync) ++resyncs;
        if (blocks == 0) {
            firstBlockMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - t0).count();
            rate = info.sampleRate;
            channels = info.channels;
            out.SetFormat(rate, channels);
        } else if (info.sampleRate != rate || info.channels != channels) {
            std::fprintf(stderr,
                         "fluxdec: the stream changes to %d Hz, %d channel%s after %.3f s; "
                         "the rest is not written\n",
                         int(info.sampleRate), int(info.channels), info.channels == 1 ? "" : "s",
                         seconds);
            break;
        }
        ++blocks;
        seconds += double(count) / info.sampleRate;
        if (!out.Write(pcm, size_t(count * info.channels))) {
            writeOk = false;
            break;
        }
    }
    const bool readError = std::ferror(in) != 0;
    std::fclose(in);
    fluxdec::CloseSong(&gSong);
    if (!out.Close(&error) || !writeOk) {
        std::fprintf(stderr, "fluxdec: %s\n",
                     error.empty() ? "cannot write output" : error.c_str());
        return 1;
    }
    if (readError) {
        std::fprintf(stderr, "fluxdec: error reading input '%s'\n", inPath);
        return 1;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr, "fluxdec: %ld blocks, %d Hz, %d channel%s, %.1fx real time (%s)\n", blocks,
                 rate, channels, channels == 1 ? "" : "s", elapsed > 0 ? seconds / elapsed : 0.0,
                 fluxdec::StatusText(status));
    std::fprintf(stderr, "fluxdec: first block %.1f ms after the open began; %ld damaged stretch%s skipped\n",
                 firstBlockMs, resyncs, resyncs == 1 ? "" : "es");
    return 0;
}
