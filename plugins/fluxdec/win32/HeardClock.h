// Which sample the listener hears, seen from the decoder thread.
//
// The host copies each block into one buffer of its ring of 8 and returns; while all 8 are
// queued, its write waits for the device to finish one. So when a write has returned, the
// device holds at most the last 8 blocks, and the one it plays is the oldest of them: the
// listener hears the start of the block written 7 writes ago, give or take one block. The
// position so told lags the decoder by one ring (about 209 ms of MPEG-1 at 44.1 kHz) and is off
// from the speaker by less than that.
#pragma once

#include <cstdint>

namespace fluxdec {

class HeardClock {
public:
    static constexpr int kQueuedBlocks = 8;

    // Nothing is queued (a new song, a drained or discarded output): the next sample heard is
    // the one at `ms` / `sample`.
    void Reset(int64_t ms, int64_t sample) {
        count_ = 0;
        next_ = 0;
        heardMs_ = ms;
        heardSample_ = sample;
    }

    // A block that starts at `ms` / `sample` has been queued.
    void Queued(int64_t ms, int64_t sample) {
        if (count_ == 0) {  // the first block after silence plays at once
            heardMs_ = ms;
            heardSample_ = sample;
        }
        startMs_[next_] = ms;
        startSample_[next_] = sample;
        next_ = (next_ + 1) % kQueuedBlocks;
        if (count_ < kQueuedBlocks) ++count_;
        if (count_ == kQueuedBlocks) {  // a full ring: the oldest block is the one playing
            heardMs_ = startMs_[next_];
            heardSample_ = startSample_[next_];
        }
    }

    int64_t HeardMs() const { return heardMs_; }
    int64_t HeardSample() const { return heardSample_; }

private:
    int64_t startMs_[kQueuedBlocks] = {};
    int64_t startSample_[kQueuedBlocks] = {};
    int count_ = 0;  // blocks queued since the last Reset, at most kQueuedBlocks
    int next_ = 0;   // where the next block's start goes; with a full ring, the oldest's
    int64_t heardMs_ = 0;
    int64_t heardSample_ = 0;
};

}  // namespace fluxdec
