// The fuzz target's tag path: the input bytes as a song file's tags, read the way OpenFile reads
// them. Whatever the bytes, the title is printable ASCII within the API's limit.
#include <cstdint>
#include <string>

#include "plugins/fluxdec/tags/SongTitle.h"

void FuzzSongTitle(const uint8_t* data, size_t size) {
    const std::string title = fluxdec::SongTitleFromBytes(data, size, "C:\\Music\\Fuzz.mp3");
    if (title.size() > fluxdec::kMaxTitleChars) __builtin_trap();
    for (char c : title) {
        if (c < 32 || c > 126) __builtin_trap();
    }
}
