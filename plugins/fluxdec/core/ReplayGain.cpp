#include "plugins/fluxdec/core/ReplayGain.h"

#include <cmath>

namespace fluxdec {

namespace {

// Written so that NaN fails every test.
bool UsableGain(const GainAndPeak& g) {
    return g.hasGain && g.gainDb >= -kMostReplayGainDb && g.gainDb <= kMostReplayGainDb;
}

float UsablePeak(float peak) { return peak > 0.0f && peak <= kMostReplayGainPeak ? peak : 0.0f; }

}  // namespace

ReplayGainChoice ChooseReplayGain(const ReplayGainSource* sources, int32_t count,
                                  ReplayGainMode mode) {
    ReplayGainChoice choice;
    if (mode == ReplayGainMode::kOff || !sources) return choice;
    for (int32_t i = 0; i < count; ++i) {
        const ReplayGainSource& s = sources[i];
        if (!UsableGain(s.track) && !UsableGain(s.album)) continue;
        const bool album = mode == ReplayGainMode::kAlbum ? UsableGain(s.album) : !UsableGain(s.track);
        const GainAndPeak& wanted = album ? s.album : s.track;
        const GainAndPeak& other = album ? s.track : s.album;
        choice.source = i;
        choice.album = album;
        choice.gainDb = wanted.gainDb;
        choice.peak = UsablePeak(wanted.peak) > 0.0f ? UsablePeak(wanted.peak) : UsablePeak(other.peak);
        break;
    }
    if (choice.source < 0) return choice;
    // pow(10, 0) is exactly 1: a gain of 0 dB below a peak of at most 1 leaves the output as
    // decoded, bit for bit.
    double scale = std::pow(10.0, double(choice.gainDb) / 20.0);
    if (choice.peak > 0.0f && scale * choice.peak > 1.0) scale = 1.0 / choice.peak;
    choice.scale = float(scale);
    return choice;
}

ReplayGainMode ReplayGainModeFromBits(int32_t bits) {
    switch (bits) {
        case 1: return ReplayGainMode::kTrack;
        case 2: return ReplayGainMode::kAlbum;
        default: return ReplayGainMode::kOff;
    }
}

}  // namespace fluxdec
