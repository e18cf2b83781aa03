// The command line of both fluxdec tools:
//   fluxdec [--raw] [--start-sample N] [--replay-gain off|track|album] IN.mp3 OUT|-
//                                     decode (from output sample N on, with the song's ReplayGain)
//   fluxdec --info IN.mp3             the song's facts, one `key: value` a line
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugins/fluxdec/core/ReplayGain.h"

namespace fluxdec {

struct Arguments {
    bool raw = false;         // headerless samples instead of a WAV file
    bool info = false;        // print the song's facts instead of decoding
    int64_t startSample = 0;  // the first output sample (per channel) to write
    ReplayGainMode replayGain = ReplayGainMode::kOff;
    const char* inPath = nullptr;
    std::string outPath;  // "-" is standard output
};

// A whole decimal number from 0 up, or -1.
inline int64_t ParseSampleNumber(const char* text) {
    if (!text || *text < '0' || *text > '9') return -1;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    return (errno == 0 && *end == '\0') ? int64_t(value) : -1;
}

// Fills `args` from the command line; prints the usage and returns false when it does not fit.
inline bool ParseArguments(int argc, char** argv, Arguments* args) {
    int arg = 1;
    bool fits = true;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0 && fits; ++arg) {
        if (std::strcmp(argv[arg], "--raw") == 0) {
            args->raw = true;
        } else if (std::strcmp(argv[arg], "--info") == 0) {
            args->info = true;
        } else if (std::strcmp(argv[arg], "--start-sample") == 0 && arg + 1 < argc) {
            args->startSample = ParseSampleNumber(argv[++arg]);
            fits = args->startSample >= 0;
        } else if (std::strcmp(argv[arg], "--replay-gain") == 0 && arg + 1 < argc) {
            const char* mode = argv[++arg];
            fits = std::strcmp(mode, "off") == 0 || std::strcmp(mode, "track") == 0 ||
                   std::strcmp(mode, "album") == 0;
            args->replayGain = std::strcmp(mode, "track") == 0   ? ReplayGainMode::kTrack
                               : std::strcmp(mode, "album") == 0 ? ReplayGainMode::kAlbum
                                                                 : ReplayGainMode::kOff;
        } else {
            fits = false;
        }
    }
    const int paths = args->info ? 1 : 2;
    if (!fits || argc - arg != paths || (args->info && (args->raw || args->startSample || args->replayGain != ReplayGainMode::kOff))) {
        std::fprintf(stderr,
                     "usage: fluxdec [--start-sample N] [--replay-gain off|track|album] IN.mp3 OUT.wav\n"
                     "       fluxdec --raw [--start-sample N] [--replay-gain off|track|album] IN.mp3 OUT|-\n"
                     "       fluxdec --info IN.mp3\n");
        return false;
    }
    args->inPath = argv[arg];
    if (!args->info) args->outPath = argv[arg + 1];
    return true;
}

}  // namespace fluxdec
