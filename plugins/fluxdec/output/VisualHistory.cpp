#include "plugins/fluxdec/output/VisualHistory.h"

#include <cmath>
#include <cstring>

namespace fluxdec {
namespace {

// A line's magnitude on a log scale: 2^kFloorLog2 (about -102 dB) and below give 0, each step
// is 1/kStepsPerOctave of an octave (about 0.8 dB), and 1.0, the line of a full-scale sine, gives
// 127. Music at -40 dB still draws lines of 30 to 60: quiet passages show.
constexpr float kFloorLog2 = -17.0f;
constexpr float kStepsPerOctave = 127.0f / 17.0f;

int8_t LogMagnitude(float line) {
    const float magnitude = std::fabs(line);
    if (!(magnitude > 0.0f)) return 0;  // also NaN
    const float steps = (std::log2(magnitude) - kFloorLog2) * kStepsPerOctave;
    if (steps <= 0.0f) return 0;
    if (steps >= 127.0f) return 127;
    return int8_t(steps + 0.5f);
}

// The top 8 bits of a sample: full scale is -128..127.
int8_t WaveByte(int16_t sample) { return int8_t(sample >> 8); }

}  // namespace

void VisualHistory::Push(const float spectrum[2][kGranuleLines], const int16_t* pcm,
                         int32_t channels) {
    const uint32_t number = pushed_.load(std::memory_order_relaxed) + 1;
    const bool watched = number - lastAskedAt_.load(std::memory_order_relaxed) <= kWatchedFrames;
    if (watched && pcm && (channels == 1 || channels == 2)) {
        Slot& slot = slots_[number % kSlots];
        slot.number.store(0);  // busy: a reader arriving now finds nothing here
        if (slot.readers.load() == 0) {
            slot.channels = channels;
            for (int32_t ch = 0; ch < channels; ++ch) {
                std::memcpy(slot.spectrum[ch], spectrum[ch], sizeof slot.spectrum[ch]);
                for (int i = 0; i < kGranuleLines; ++i) slot.pcm[ch][i] = pcm[i * channels + ch];
            }
            slot.number.store(number, std::memory_order_release);
        }
        // Otherwise a reader (stalled since this slot's granule was current) still copies it: the
        // granule is dropped, and the slot stays marked empty.
    }
    pushed_.store(number, std::memory_order_release);
}

void VisualHistory::Clear() {
    clearedAt_.store(pushed_.load(std::memory_order_relaxed), std::memory_order_release);
}

bool VisualHistory::Read(int8_t out[kVisualBytes]) {
    const uint32_t pushed = pushed_.load(std::memory_order_acquire);
    lastAskedAt_.store(pushed, std::memory_order_relaxed);
    const uint32_t cleared = clearedAt_.load(std::memory_order_acquire);
    // Signed: a Clear between the two loads leaves `cleared` ahead of `pushed`.
    if (int32_t(pushed - cleared) <= int32_t(kLagFrames)) return false;
    const uint32_t wanted = pushed - kLagFrames;
    if (wanted == lastShown_ && timesShown_ >= kShowsPerGranule) return false;

    Slot& slot = slots_[wanted % kSlots];
    slot.readers.fetch_add(1);
    bool whole = slot.number.load() == wanted;
    float spectrum[2][kGranuleLines];
    int16_t pcm[2][kGranuleLines];
    int32_t channels = 1;
    if (whole) {
        channels = slot.channels;
        std::memcpy(spectrum, slot.spectrum, sizeof spectrum);
        std::memcpy(pcm, slot.pcm, sizeof pcm);
    }
    slot.readers.fetch_sub(1, std::memory_order_release);
    if (!whole) return false;

    timesShown_ = wanted == lastShown_ ? timesShown_ + 1 : 1;
    lastShown_ = wanted;
    bool silent = true;
    for (int side = 0; side < 2; ++side) {
        const int ch = channels == 2 ? side : 0;
        for (int i = 0; i < kGranuleLines; ++i) {
            if (pcm[ch][i] != 0 || spectrum[ch][i] != 0.0f) silent = false;
        }
    }
    if (silent) return false;
    for (int side = 0; side < 2; ++side) {
        const int ch = channels == 2 ? side : 0;
        int8_t* bars = out + side * kGranuleLines;
        int8_t* wave = out + (2 + side) * kGranuleLines;
        for (int i = 0; i < kGranuleLines; ++i) {
            bars[i] = LogMagnitude(spectrum[ch][i]);
            wave[i] = WaveByte(pcm[ch][i]);
        }
    }
    return true;
}

}  // namespace fluxdec
