// UTF-8 as the playlist keeps it: every path and title it holds is valid UTF-8, so whatever
// comes from outside (a playlist file, a URL) passes through here first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// `bytes` with every sequence that is not UTF-8 (a stray byte, an overlong or truncated form, a
// surrogate, a value past U+10FFFF) replaced by U+FFFD, so a damaged name still shows as
// something and never as a broken character.
std::string ValidUtf8(std::string_view bytes);

// The code point that starts at `at` in valid-or-not UTF-8, and the bytes it takes in `length`
// (at least 1). A byte that starts no valid sequence comes back as itself with length 1.
uint32_t DecodeUtf8At(std::string_view text, size_t at, size_t& length);

// Comparisons that ignore the case of ASCII letters only (keywords, schemes, drive letters).
bool EqualsFoldingAscii(std::string_view a, std::string_view b);
bool StartsWithFoldingAscii(std::string_view text, std::string_view prefix);
