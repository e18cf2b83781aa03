// libFuzzer target: the input bytes are a file handed to the decoder core, decoded frame by frame
// until the stream ends (junk and damage are searched past); then the same bytes as a song:
// opened, decoded to the end while the scan runs ahead, then decoded from a few seek targets to
// the end, each yielding exactly what the finished scan promised. AddressSanitizer and
// UndefinedBehaviorSanitizer watch every access; the loops need no limit because every frame
// consumes at least its 4 header bytes and the song decodes only the frames its scan found.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugins/fluxdec/core/Fluxdec.h"
#include "plugins/fluxdec/core/Song.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int32_t ReadInput(void* context, void* buffer, int32_t bytes) {
    Input* in = static_cast<Input*>(context);
    size_t n = size_t(bytes);
    if (n > in->size - in->pos) n = in->size - in->pos;
    if (n) std::memcpy(buffer, in->data + in->pos, n);
    in->pos += n;
    return int32_t(n);
}

bool SeekInput(void* context, int64_t offset) {
    Input* in = static_cast<Input*>(context);
    if (offset < 0 || uint64_t(offset) > in->size) return false;
    in->pos = size_t(offset);
    return true;
}

fluxdec::Decoder gDecoder;
fluxdec::Song gSong;

// Decodes the song from `sample` to its end (from where it stands when `sample` is negative);
// its scan promised exactly that many samples.
uint32_t DecodeSongFrom(int64_t sample) {
    if (sample >= 0 && !fluxdec::SeekSongToSample(&gSong, sample)) __builtin_trap();
    const fluxdec::SongInfo& song = fluxdec::SongInfoOf(&gSong);
    int16_t pcm[fluxdec::kMaxFrameSamples];
    fluxdec::FrameInfo info{};
    int32_t count = 0;
    int64_t total = 0;
    uint32_t checksum = 0;
    while (!fluxdec::IsEndOfStream(fluxdec::DecodeSongBlock(&gSong, pcm, &info, &count))) {
        for (int i = 0; i < count * info.channels; ++i) checksum += uint16_t(pcm[i]);
        total += count;
    }
    const int64_t expected = sample < song.samples ? song.samples - (sample < 0 ? 0 : sample) : 0;
    // The scan and the decode disagree.
    if (!song.scanned || total != expected) __builtin_trap();
    return checksum;
}

}  // namespace

void FuzzSongTitle(const uint8_t* data, size_t size);  // TitleFuzz.cpp

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSongTitle(data, size);
    Input in{data, size, 0};
    fluxdec::InitDecoder(&gDecoder, ReadInput, &in);
    int16_t pcm[fluxdec::kMaxFrameSamples];
    fluxdec::FrameInfo info{};
    uint32_t checksum = 0;
    while (!fluxdec::IsEndOfStream(fluxdec::DecodeFrame(&gDecoder, pcm, &info))) {
        // Read what was written, so that uninitialised or out-of-range output would be noticed.
        for (int i = 0; i < info.samplesPerChannel * info.channels; ++i)
            checksum += uint16_t(pcm[i]);
    }
    in.pos = 0;
    if (fluxdec::OpenSong(&gSong, fluxdec::SongInput{ReadInput, SeekInput, &in, int64_t(size)})) {
        checksum += DecodeSongFrom(-1);
        const int64_t samples = fluxdec::SongInfoOf(&gSong).samples;
        // A place that the bytes choose, the last sample and past the end (the frames from the
        // start were decoded above).
        const int64_t chosen =
            size > 8 ? int64_t((data[size - 1] << 8 | data[size / 2]) % (samples + 1)) : 1;
        for (int64_t sample : {chosen, samples - 1, samples + 1})
            checksum += DecodeSongFrom(sample);
        fluxdec::CloseSong(&gSong);
    }
    return checksum == 0xFFFFFFFFu ? 0 : 0;
}
