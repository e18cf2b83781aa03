// libFuzzer target: the first byte picks the format, the rest is a playlist file. Whatever the
// reader makes of it must be valid UTF-8 without control characters, and must read back the same
// (but for the case of the playlist's folder) once written as M3U8; the natural order must
// answer the two halves of the input both ways alike.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "playlist/NaturalOrder.h"
#include "playlist/PlaylistFile.h"
#include "playlist/Utf8Text.h"

namespace {

constexpr char kListPath[] = "C:\\Lists\\fuzz.m3u8";

std::string Folded(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    constexpr PlaylistFormat kFormats[] = {PlaylistFormat::m3u, PlaylistFormat::m3u8,
                                           PlaylistFormat::pls};
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The code page stand-in passes the bytes on: the reader must mend what is not UTF-8.
    const auto passOn = [](std::string_view text) { return std::string(text); };
    const PlaylistContents read = ReadPlaylist(bytes, kFormats[data[0] % 3], kListPath, passOn);
    for (const PlaylistEntry& entry : read.entries) {
        Check(ValidUtf8(entry.path) == entry.path && ValidUtf8(entry.title) == entry.title);
        for (const char c : entry.path)
            Check(static_cast<unsigned char>(c) >= 0x20);
    }

    const PlaylistContents back =
        ReadPlaylist(WriteM3u8(read.entries, kListPath), PlaylistFormat::m3u8, kListPath, nullptr);
    Check(back.entries.size() == read.entries.size() && back.unreadable == 0);
    for (size_t i = 0; i < read.entries.size(); ++i) {
        Check(Folded(back.entries[i].path) == Folded(read.entries[i].path));
        Check(back.entries[i].seconds == read.entries[i].seconds);
    }

    const std::string_view first = bytes.substr(0, bytes.size() / 2);
    const std::string_view second = bytes.substr(bytes.size() / 2);
    Check(CompareNatural(first, second) == -CompareNatural(second, first));
    return 0;
}
