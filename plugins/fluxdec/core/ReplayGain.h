// ReplayGain: a loudness correction that taggers and encoders store beside the audio, as a gain in
// dB (the track's, and the album's so that an album keeps its loudness steps) and the peak the
// gain was measured against. The player applies it as one scale per song, folded into the
// synthesis window (SetSongOutputScale), so it costs nothing per sample.
//
// The sources, in the order they are believed: an ID3v2 tag's TXXX frames, an APEv2 tag's items
// (both REPLAYGAIN_TRACK_GAIN, _TRACK_PEAK, _ALBUM_GAIN, _ALBUM_PEAK; read by the tag reader), and
// the LAME tag (its radio gain is a track gain, its audiophile gain an album gain, its peak the
// track's). The first source that holds any gain is used whole; within it a missing album value
// falls back to the track's and the other way round, so every song with a gain of either kind
// plays corrected in either mode.
#pragma once

#include <cstdint>

namespace fluxdec {

// The player's choice, as the preference and the host flags number it.
enum class ReplayGainMode : int32_t { kOff = 0, kTrack = 1, kAlbum = 2 };

// One gain as a source states it. A peak is linear, 1.0 at full scale; 0 when unknown.
struct GainAndPeak {
    bool hasGain = false;
    float gainDb = 0.0f;
    float peak = 0.0f;
};

// What one source holds, as read: ChooseReplayGain judges the values.
struct ReplayGainSource {
    GainAndPeak track;
    GainAndPeak album;
};

// Values beyond these are not a loudness correction but a damaged tag (or a peak in another
// unit, such as 16-bit sample values): such a value is ignored, as if it were missing.
inline constexpr float kMostReplayGainDb = 64.0f;
inline constexpr float kMostReplayGainPeak = 10.0f;

struct ReplayGainChoice {
    int32_t source = -1;  // index of the source used, -1 when none holds a gain (or the mode is off)
    bool album = false;   // the album's values were used
    float gainDb = 0.0f;
    float peak = 0.0f;    // 0 when unknown
    float scale = 1.0f;   // 10^(gain/20), at most 1/peak; exactly 1 without a gain
};

// The gain to apply from `sources`, in order of belief.
ReplayGainChoice ChooseReplayGain(const ReplayGainSource* sources, int32_t count,
                                  ReplayGainMode mode);

// The mode that the host flags' two bits carry; the unused value 3 means off.
ReplayGainMode ReplayGainModeFromBits(int32_t bits);

}  // namespace fluxdec
