// The command line of both fluxdec tools: `fluxdec IN.mp3 OUT.wav` or `fluxdec --raw IN.mp3 OUT|-`.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

namespace fluxdec {

struct Arguments {
    bool raw = false;  // headerless samples instead of a WAV file
    const char* inPath = nullptr;
    std::string outPath;  // "-" is standard output
};

// Fills `args` from the command line; prints the usage and returns false when it does not fit.
inline bool ParseArguments(int argc, char** argv, Arguments* args) {
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--raw") == 0) {
        args->raw = true;
        ++arg;
    }
    if (argc - arg != 2) {
        std::fprintf(stderr, "usage: fluxdec IN.mp3 OUT.wav\n       fluxdec --raw IN.mp3 OUT|-\n");
        return false;
    }
    args->inPath = argv[arg];
    args->outPath = argv[arg + 1];
    return true;
}

}  // namespace fluxdec
