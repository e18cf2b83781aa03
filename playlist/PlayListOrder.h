// SORT, REVERSE and SHUFFLE of the playlist window: each rearranges the whole list at once and
// answers where the entry at `current` went, so that the playing song keeps playing. A
// `current` outside the list comes back as it was. The caller holds the playback lock.
#pragma once

#include <cstdint>
#include <random>

class PlayList;

// By the name a row shows (its title, else the file's name and extension), in natural order.
int32_t SortPlayList(PlayList& list, int32_t current);
int32_t ReversePlayList(PlayList& list, int32_t current);

// Uniform numbers for the shuffle; the same seed gives the same shuffle.
class ShuffleRandom {
public:
    explicit ShuffleRandom(uint32_t seed) : engine_(seed) {}
    // A number from 0 to `bound` - 1, each equally likely; 0 when `bound` is 0.
    uint32_t Below(uint32_t bound);

private:
    std::mt19937 engine_;
};

// Every order equally likely (Fisher-Yates).
int32_t ShufflePlayList(PlayList& list, int32_t current, ShuffleRandom& random);
