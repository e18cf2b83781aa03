// fluxdec (native): decodes an MPEG audio Layer III file with the core linked in.
//   fluxdec IN.mp3 OUT.wav        16-bit PCM WAV with the stream's rate and channels
//   fluxdec --raw IN.mp3 OUT|-    headerless signed 16-bit little-endian interleaved samples
// Reports frames, format and speed on standard error. Exit status 0 on success (a file without
// frames gives an empty output), 1 when the input cannot be opened or the output not written,
// 2 on a usage error.
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugins/fluxdec/cli/Arguments.h"
#include "plugins/fluxdec/cli/WavWriter.h"
#include "plugins/fluxdec/core/Fluxdec.h"

namespace {

int32_t ReadFile(void* context, void* buffer, int32_t bytes) {
    return int32_t(std::fread(buffer, 1, size_t(bytes), static_cast<FILE*>(context)));
}

fluxdec::Decoder gDecoder;  // about 90 KB: static rather than on the stack

}  // namespace

int main(int argc, char** argv) {
    fluxdec::Arguments args;
    if (!fluxdec::ParseArguments(argc, argv, &args)) return 2;
    const bool raw = args.raw;
    const char* inPath = args.inPath;
    const std::string& outPath = args.outPath;

    FILE* in = std::fopen(inPath, "rb");
    if (!in) {
        std::fprintf(stderr, "fluxdec: cannot open input '%s': %s\n", inPath, std::strerror(errno));
        return 1;
    }
    static char inBuffer[1 << 16];
    std::setvbuf(in, inBuffer, _IOFBF, sizeof inBuffer);
    fluxdec::PcmOutput out;
    std::string error;
    if (!out.Open(outPath, !raw, &error)) {
        std::fprintf(stderr, "fluxdec: %s\n", error.c_str());
        std::fclose(in);
        return 1;
    }

    const auto t0 = std::chrono::steady_clock::now();
    fluxdec::InitDecoder(&gDecoder, ReadFile, in);
    int16_t pcm[fluxdec::kMaxFrameSamples];
    fluxdec::FrameInfo info{};
    fluxdec::Status status;
    long frames = 0;
    int rate = 0, channels = 0;
    double seconds = 0;
    bool writeOk = true;
    while (!fluxdec::IsEndOfStream(status = fluxdec::DecodeFrame(&gDecoder, pcm, &info))) {
        if (frames == 0) {
            rate = info.sampleRate;
            channels = info.channels;
            out.SetFormat(rate, channels);
        }
        ++frames;
        seconds += double(info.samplesPerChannel) / info.sampleRate;
        if (!out.Write(pcm, size_t(info.samplesPerChannel * info.channels))) {
            writeOk = false;
            break;
        }
    }
    const bool readError = std::ferror(in) != 0;
    std::fclose(in);
    if (!out.Close(&error) || !writeOk) {
        std::fprintf(stderr, "fluxdec: %s\n", error.empty() ? "cannot write output" : error.c_str());
        return 1;
    }
    if (readError) {
        std::fprintf(stderr, "fluxdec: error reading input '%s'\n", inPath);
        return 1;
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr, "fluxdec: %ld frames, %d Hz, %d channel%s, %.1fx real time (%s)\n", frames, rate,
                 channels, channels == 1 ? "" : "s", elapsed > 0 ? seconds / elapsed : 0.0,
                 fluxdec::StatusText(status));
    return 0;
}
