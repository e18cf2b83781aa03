// PcmOutput: see WavWriter.h. A WAV file gets its header when it is closed (written first as a
// placeholder, then rewritten with the final sizes); to standard output, which cannot seek, a WAV
// stream is held in memory and written whole. A stream without frames writes nothing at all.
#include "plugins/fluxdec/cli/WavWriter.h"

#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace fluxdec {

PcmOutput::~PcmOutput() {
    if (file_ && !toStdout_) std::fclose(file_);
}

bool PcmOutput::Open(const std::string& path, bool wav, std::string* error) {
    wav_ = wav;
    path_ = path;
    if (path == "-") {
        toStdout_ = true;
        file_ = stdout;
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);  // no CR LF translation of samples
#endif
        return true;
    }
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        *error = "cannot open output '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

void PcmOutput::SetFormat(int sampleRate, int channels) {
    if (channels_ == 0) {
        sampleRate_ = sampleRate;
        channels_ = channels;
    }
}

bool PcmOutput::WriteBytes(const void* data, size_t bytes) {
    if (failed_) return false;
    if (wav_ && toStdout_) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        pending_.insert(pending_.end(), p, p + bytes);
        return true;
    }
    if (std::fwrite(data, 1, bytes, file_) != bytes) failed_ = true;
    return !failed_;
}

bool PcmOutput::Write(const int16_t* samples, size_t count) {
    if (wav_ && !toStdout_ && dataBytes_ == 0 && count > 0 && !WriteHeader()) return false;
    const uint16_t probe = 1;
    if (*reinterpret_cast<const uint8_t*>(&probe) == 1) {  // a little-endian host: as they are
        if (!WriteBytes(samples, 2 * count)) return false;
        dataBytes_ += 2 * count;
        return true;
    }
    uint8_t buffer[4608];
    while (count > 0) {
        size_t n = count > sizeof buffer / 2 ? sizeof buffer / 2 : count;
        for (size_t i = 0; i < n; ++i) {
            const uint16_t v = uint16_t(samples[i]);
            buffer[2 * i] = uint8_t(v & 0xFF);
            buffer[2 * i + 1] = uint8_t(v >> 8);
        }
        if (!WriteBytes(buffer, 2 * n)) return false;
        dataBytes_ += 2 * n;
        samples += n;
        count -= n;
    }
    return true;
}

static void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
static void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

static void MakeHeader(uint8_t h[44], int rate, int channels, uint64_t dataBytes) {
    const uint32_t data = dataBytes > 0xFFFFFFFFull - 36 ? 0xFFFFFFFFu - 36 : uint32_t(dataBytes);
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, 36 + data);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, uint16_t(channels));
    Put32(h + 24, uint32_t(rate));
    Put32(h + 28, uint32_t(rate) * uint32_t(channels) * 2);
    Put16(h + 32, uint16_t(channels * 2));
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, data);
}

bool PcmOutput::WriteHeader() {
    uint8_t h[44];
    MakeHeader(h, sampleRate_, channels_, 0);
    return WriteBytes(h, sizeof h);
}

bool PcmOutput::Close(std::string* error) {
    bool ok = !failed_;
    if (ok && wav_ && dataBytes_ > 0) {
        uint8_t h[44];
        MakeHeader(h, sampleRate_, channels_, dataBytes_);
        if (toStdout_) {
            ok = std::fwrite(h, 1, sizeof h, file_) == sizeof h &&
                 std::fwrite(pending_.data(), 1, pending_.size(), file_) == pending_.size();
        } else {
            ok = std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file_) == sizeof h;
        }
    }
    if (file_) {
        if (std::fflush(file_) != 0) ok = false;
        if (!toStdout_ && std::fclose(file_) != 0) ok = false;
        file_ = nullptr;
    }
    if (!ok) *error = "cannot write output '" + path_ + "'" + (errno ? std::string(": ") + std::strerror(errno) : "");
    return ok;
}

}  // namespace fluxdec
