#include "playlist/RememberedEntry.h"

#include "playlist/PlaylistFile.h"

namespace {

constexpr std::string_view kCurrentTag = "#CORVANE-CURRENT:";
constexpr std::string_view kPlaceTag = "#CORVANE-PLACE:";
constexpr int64_t kNoNumber = -1;

// Where the first line starting with `tag` continues after it, or npos. Only at the start of a
// line: the same text inside a song's path is no marker.
size_t AfterTag(std::string_view bytes, std::string_view tag)
{
    size_t at = 0;
    while ((at = bytes.find(tag, at)) != std::string_view::npos && at != 0 && bytes[at - 1] != '\n')
        at += tag.size();
    return at == std::string_view::npos ? at : at + tag.size();
}

// The decimal number at `digit`, below `bound`; kNoNumber when there are no digits or it
// reaches the bound (which stops it long before it could overflow). `digit` ends after it.
int64_t NumberAt(std::string_view bytes, size_t& digit, int64_t bound)
{
    int64_t number = 0;
    const size_t first = digit;
    for (; digit < bytes.size() && bytes[digit] >= '0' && bytes[digit] <= '9'; ++digit) {
        number = number * 10 + (bytes[digit] - '0');
        if (number >= bound)
            return kNoNumber;
    }
    return digit > first ? number : kNoNumber;
}

}  // namespace

std::string CurrentEntryLine(int32_t index)
{
    return std::string(kCurrentTag) + std::to_string(index) + "\r\n";
}

int32_t CurrentEntryOf(std::string_view bytes)
{
    size_t digit = AfterTag(bytes, kCurrentTag);
    if (digit == std::string_view::npos)
        return -1;
    return static_cast<int32_t>(NumberAt(bytes, digit, kMaxPlaylistEntries));
}

std::string PlaceLine(int32_t positionMs, int32_t lengthMs)
{
    return std::string(kPlaceTag) + std::to_string(positionMs) + "/" + std::to_string(lengthMs) +
           "\r\n";
}

RememberedPlace PlaceOf(std::string_view bytes)
{
    RememberedPlace place;
    size_t digit = AfterTag(bytes, kPlaceTag);
    if (digit == std::string_view::npos)
        return place;
    const int64_t position = NumberAt(bytes, digit, INT32_MAX);
    if (position == kNoNumber || digit >= bytes.size() || bytes[digit] != '/')
        return place;
    ++digit;
    const int64_t length = NumberAt(bytes, digit, INT32_MAX);
    if (length == kNoNumber)
        return place;
    place.positionMs = static_cast<int32_t>(position);
    place.lengthMs = static_cast<int32_t>(length);
    return place;
}
