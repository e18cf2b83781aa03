// The scopes' data: a short history of the granules the decoder produced, handed from the
// decoder thread (the one writer) to the player's paint thread (the reader).
//
// What the player draws must match what it plays, and the decoder runs one ring of output
// buffers (8 frames, about 209 ms) ahead of the loudspeaker: HostAudioWrite blocks while they are
// all queued. So the writer keeps the last granule of each frame in a ring of kSlots and the
// reader takes the one pushed kLagFrames frames ago, the one being heard. One granule per frame
// is plenty: a frame lasts 26 ms at 44.1 kHz, and the paint thread asks every 33 ms.
//
// The hand-over never blocks: every slot carries the number of the granule it holds, 0 while the
// writer fills it, and a count of readers copying it. The writer marks a slot busy and skips the
// granule if a reader is inside (the reader copies a slot eight frames behind the one being
// written, so this needs a reader stalled for 200 ms); a reader that finds the number changed
// answers "nothing new". Both sides use sequentially consistent operations on the two counters,
// so one of them always sees the other, and nothing is copied while the other side writes.
//
// The writer stores raw lines and samples (a 7 KB copy per frame); the log scale is computed on
// the reader's side, only for the granules that are shown. While nobody has asked for 64 frames
// (both scopes switched off, or a host that never asks) the writer stores nothing at all.
//
// A block of zero bytes is a valid empty history, as is a default-constructed one: the plug-in's
// state, zero-filled memory, can hold it directly.
#pragma once

#include <atomic>
#include <cstdint>

namespace fluxdec {

inline constexpr int kGranuleLines = 576;
inline constexpr int kVisualBytes = 4 * kGranuleLines;  // the API's 2304-byte buffer

class VisualHistory {
public:
    static constexpr uint32_t kSlots = 16;
    static constexpr uint32_t kLagFrames = 8;          // the host's ring of output buffers
    static constexpr uint32_t kWatchedFrames = 64;     // pushes after the last read that store
    static constexpr uint32_t kShowsPerGranule = 3;    // reads that may show the same granule

    // Writer (decoder thread), once per decoded frame: the frame's last granule, its requantised
    // lines per channel (`spectrum[1]` is ignored for one channel) and its 576 PCM samples per
    // channel, interleaved for two.
    void Push(const float spectrum[2][kGranuleLines], const int16_t* pcm, int32_t channels);

    // Writer side, when a song starts or stops (also from the host's thread once the decoder
    // thread has ended): what was pushed before is never shown, and the reader answers "nothing"
    // until the new song's audio reaches the loudspeaker.
    void Clear();

    // Reader (paint thread; one reader at a time): fills the 2304 bytes with the granule being
    // heard: A and B its left and right spectrum as magnitudes on a log scale 0..127, C and D its
    // left and right waveform as signed 8-bit samples; one channel fills both sides alike.
    // Returns false, leaving `out` alone, when there is nothing to show: nothing pushed since the
    // last Clear (stopped, or the song's first 209 ms still in the queue), the same granule
    // shown kShowsPerGranule times already (the writer is stalled: paused, or the song ended),
    // or a silent granule.
    bool Read(int8_t out[kVisualBytes]);

private:
    struct Slot {
        std::atomic<uint32_t> number;   // the granule held, 0 while empty or being written
        std::atomic<uint32_t> readers;  // readers copying this slot now
        int32_t channels;
        float spectrum[2][kGranuleLines];
        int16_t pcm[2][kGranuleLines];  // per channel, not interleaved
    };

    Slot slots_[kSlots];
    std::atomic<uint32_t> pushed_{0};      // granules pushed so far, the last one's number
    std::atomic<uint32_t> clearedAt_{0};   // pushed_ at the last Clear
    std::atomic<uint32_t> lastAskedAt_{0}; // pushed_ when the reader last asked
    // Reader only.
    uint32_t lastShown_ = 0;
    uint32_t timesShown_ = 0;
};

}  // namespace fluxdec
