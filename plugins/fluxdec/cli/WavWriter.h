// Output of the command-line decoders: a 16-bit PCM WAV file or headerless samples, to a file or
// to standard output. Shared by the native fluxdec (core linked in) and fluxdec.exe (plug-in path),
// so that both write the same bytes for the same PCM.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fluxdec {

class PcmOutput {
public:
    PcmOutput() = default;
    PcmOutput(const PcmOutput&) = delete;
    PcmOutput& operator=(const PcmOutput&) = delete;
    ~PcmOutput();

    // Opens `path` ("-" = standard output) for writing; `wav` selects the WAV container. Returns
    // false and sets `error` when it cannot be opened.
    bool Open(const std::string& path, bool wav, std::string* error);
    // Sets the WAV header's format; the first call wins (a later frame may differ).
    void SetFormat(int sampleRate, int channels);
    // Appends little-endian 16-bit samples. Returns false on a write error.
    bool Write(const int16_t* samples, size_t count);
    // Finishes the file (WAV header with the final sizes). Returns false on a write error.
    bool Close(std::string* error);

    uint64_t BytesWritten() const { return dataBytes_; }

private:
    bool WriteBytes(const void* data, size_t bytes);
    bool WriteHeader();

    FILE* file_ = nullptr;      // owned unless it is stdout
    bool toStdout_ = false;
    bool wav_ = false;
    bool failed_ = false;
    int sampleRate_ = 0;
    int channels_ = 0;
    uint64_t dataBytes_ = 0;
    std::vector<uint8_t> pending_;  // WAV to stdout: kept until the size is known
    std::string path_;
};

}  // namespace fluxdec
