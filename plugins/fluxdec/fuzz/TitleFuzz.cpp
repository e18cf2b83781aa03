// The fuzz target's tag path: the input bytes as a song file's tags, read the way OpenFile reads
// them. Whatever the bytes, the title is printable ASCII within the API's limit, and the gain they
// lead to is a plain positive scale.
#include <cmath>
#include <cstdint>
#include <string>

#include "plugins/fluxdec/tags/SongTitle.h"

void FuzzSongTitle(const uint8_t* data, size_t size) {
    const fluxdec::SongTags tags = fluxdec::SongTagsFromBytes(data, size, "C:\\Music\\Fuzz.mp3");
    const std::string& title = tags.title;
    if (title.size() > fluxdec::kMaxTitleChars) __builtin_trap();
    for (char c : title) {
        if (c < 32 || c > 126) __builtin_trap();
    }
    const fluxdec::ReplayGainSource sources[] = {tags.id3v2Gain, tags.apeGain};
    for (auto mode : {fluxdec::ReplayGainMode::kTrack, fluxdec::ReplayGainMode::kAlbum}) {
        const float scale = fluxdec::ChooseReplayGain(sources, 2, mode).scale;
        if (!std::isfinite(scale) || scale <= 0.0f) __builtin_trap();
    }
}
