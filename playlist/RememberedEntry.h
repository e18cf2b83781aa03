// The current entry of the remembered playlist travels inside the playlist file as a comment
// line, "#CORVANE-CURRENT:N" (N 0-based), which every playlist reader, ours included, skips;
// so does the place heard in it when the player closed, "#CORVANE-PLACE:MS/LENGTH" (both in
// milliseconds: the length tells whether the song is still the one that was left).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The line for entry `index`, ending in CR LF.
std::string CurrentEntryLine(int32_t index);
// The entry named by the first such line in `bytes`; -1 when there is none or its number is
// not one of an entry the reader could have read.
int32_t CurrentEntryOf(std::string_view bytes);

struct RememberedPlace {
    int32_t positionMs = -1;  // -1: none kept
    int32_t lengthMs = -1;
};
// The line for a place, ending in CR LF.
std::string PlaceLine(int32_t positionMs, int32_t lengthMs);
// The place of the first such line in `bytes`; -1s when there is none or it is malformed.
RememberedPlace PlaceOf(std::string_view bytes);
