// Conversions between the UTF-8 that the player keeps (playlist entries, paths handed over) and
// the UTF-16 that the platform's "W" calls take. Invalid input never fails a conversion: it
// comes out as the replacement character, so a broken name still shows as a row.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// `length` characters of `text`, or up to its terminating zero when `length` is -1.
std::wstring WideFromUtf8(const char* text, int length = -1);
std::string Utf8FromWide(const wchar_t* text, int length = -1);
// Text in the system's code page (the 8-bit forms of the platform and of old playlists); empty
// when it does not convert.
std::wstring WideFromCodePage(std::string_view text);
std::string Utf8FromCodePage(std::string_view text);
