// The current entry of the remembered playlist travels inside the playlist file as a comment
// line, "#CORVANE-CURRENT:N" (N 0-based), which every playlist reader, ours included, skips.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The line for entry `index`, ending in CR LF.
std::string CurrentEntryLine(int32_t index);
// The entry named by the first such line in `bytes`; -1 when there is none or its number is
// not one of an entry the reader could have read.
int32_t CurrentEntryOf(std::string_view bytes);
