// The volume knob's arithmetic: the plug-in scales the PCM it hands to the host.
//
// The host's SetVolume packs the left volume into the low 16 bits and the right volume into the
// high 16 bits, each 0..65535. 65535 is unity: the samples pass through unchanged, byte for byte.
// Any other volume v multiplies a sample by v / 65536 in 16.16 fixed point, rounded to the
// nearest integer (halves upward) and saturated to 16 bits, so every build, native or Windows,
// gives the same samples. 0 is silence.
#pragma once

#include <atomic>
#include <cstdint>

namespace fluxdec {

inline constexpr uint32_t kUnityVolume = 65535;
inline constexpr uint32_t kFullVolumeBothSides = 0xFFFFFFFFu;  // unity left and right

// One sample at one side's volume (the low 16 bits of `volume` are used).
int16_t ScaleSample(int16_t sample, uint32_t volume);

// Scales `frames` frames of interleaved samples: two channels take the left and the right
// volume, one channel the mean of both (a mono song at a centred knob plays at that volume).
void ApplyVolume(int16_t* samples, int32_t frames, int32_t channels, uint32_t packedVolume);

// The plug-in's volume: set by the host's thread at any time, read by the decoder thread once
// per frame. A new value reaches the audio at the next frame written, so it is heard after the
// host's queued buffers (one ring, about 209 ms). It belongs to the plug-in, not to a song: a
// song started after the knob turned plays at the knob's volume from its first sample. A block of
// zero bytes is a silent control; construction starts at unity.
class VolumeControl {
public:
    void Set(uint32_t packedVolume) { packed_.store(packedVolume, std::memory_order_relaxed); }
    uint32_t Get() const { return packed_.load(std::memory_order_relaxed); }
    void Apply(int16_t* samples, int32_t frames, int32_t channels) const {
        ApplyVolume(samples, frames, channels, Get());
    }

private:
    std::atomic<uint32_t> packed_{kFullVolumeBothSides};
};

}  // namespace fluxdec
