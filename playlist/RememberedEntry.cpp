#include "playlist/RememberedEntry.h"

#include "playlist/PlaylistFile.h"

namespace {

constexpr std::string_view kCurrentTag = "#CORVANE-CURRENT:";

}  // namespace

std::string CurrentEntryLine(int32_t index)
{
    return std::string(kCurrentTag) + std::to_string(index) + "\r\n";
}

int32_t CurrentEntryOf(std::string_view bytes)
{
    // Only at the start of a line: the same text inside a song's path is no marker.
    size_t at = 0;
    while ((at = bytes.find(kCurrentTag, at)) != std::string_view::npos &&
           at != 0 && bytes[at - 1] != '\n')
        at += kCurrentTag.size();
    if (at == std::string_view::npos)
        return -1;
    int64_t index = 0;
    size_t digit = at + kCurrentTag.size();
    const size_t first = digit;
    // The bound stops the number long before it could overflow.
    for (; digit < bytes.size() && bytes[digit] >= '0' && bytes[digit] <= '9'; ++digit) {
        index = index * 10 + (bytes[digit] - '0');
        if (index >= kMaxPlaylistEntries)
            return -1;
    }
    return digit > first ? static_cast<int32_t>(index) : -1;
}
