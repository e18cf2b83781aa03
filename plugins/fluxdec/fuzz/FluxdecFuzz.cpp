// libFuzzer target: the input bytes are a file handed to the decoder core, decoded frame by frame
// until the stream ends. AddressSanitizer and UndefinedBehaviorSanitizer watch every access; the
// loop needs no frame limit because every frame consumes at least its 4 header bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugins/fluxdec/core/Fluxdec.h"

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

fluxdec::Decoder gDecoder;

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
        for (int i = 0; i < info.samplesPerChannel * info.channels; ++i) checksum += uint16_t(pcm[i]);
    }
    return checksum == 0xFFFFFFFFu ? 0 : 0;
}
