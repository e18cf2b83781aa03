#include "plugins/fluxdec/output/Volume.h"

namespace fluxdec {

int16_t ScaleSample(int16_t sample, uint32_t volume) {
    volume &= 0xFFFFu;
    if (volume == kUnityVolume) return sample;
    // 32767 x 65534 + 32768 still fits in 32 bits. The shift is arithmetic (floor), so adding
    // half of 65536 first rounds to nearest with halves upward, for negative samples too.
    const int32_t scaled = (int32_t(sample) * int32_t(volume) + 0x8000) >> 16;
    if (scaled > 32767) return 32767;
    if (scaled < -32768) return -32768;
    return int16_t(scaled);
}

void ApplyVolume(int16_t* samples, int32_t frames, int32_t channels, uint32_t packedVolume) {
    if (packedVolume == kFullVolumeBothSides || !samples || frames <= 0) return;
    const uint32_t left = packedVolume & 0xFFFFu;
    const uint32_t right = packedVolume >> 16;
    if (channels == 2) {
        for (int32_t i = 0; i < frames; ++i) {
            samples[2 * i] = ScaleSample(samples[2 * i], left);
            samples[2 * i + 1] = ScaleSample(samples[2 * i + 1], right);
        }
    } else if (channels == 1) {
        const uint32_t both = (left + right + 1) / 2;
        for (int32_t i = 0; i < frames; ++i) samples[i] = ScaleSample(samples[i], both);
    }
}

}  // namespace fluxdec
