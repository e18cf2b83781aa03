#include <map>

#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistPaths.h"
#include "playlist/Utf8Text.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A whole number of at most nine digits, optionally negative, at the start of `text`;
// anything after it (a fraction, attributes) is ignored. `fallback` when there is none.
int32_t LeadingNumber(std::string_view text, int32_t fallback)
{
    text = Trimmed(text);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    int32_t value = 0;
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (digits == 9)
            return fallback;
        value = value * 10 + (text[digits] - '0');
        ++digits;
    }
    if (digits == 0)
        return fallback;
    return negative ? -value : value;
}

// Calls `line` for every line of `text` (CR, LF or CR LF ends one), or `overlong` for a line
// past the limit; blank lines are left out.
template <typename LineFn, typename OverlongFn>
void ForEachLine(std::string_view text, LineFn line, OverlongFn overlong)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        if (end - at > kMaxPlaylistLineBytes)
            overlong();
        else if (const std::string_view trimmed = Trimmed(text.substr(at, end - at));
                 !trimmed.empty())
            line(trimmed);
        at = end + 1;
    }
}

class Reader {
public:
    Reader(std::string_view playlistPath, bool utf8, const CodePageToUtf8& fromCodePage)
        : folder_(FolderOf(playlistPath)), utf8_(utf8), fromCodePage_(fromCodePage)
    {
    }

    std::string Text(std::string_view bytes) const
    {
        if (utf8_ || !fromCodePage_)
            return ValidUtf8(bytes);
        return ValidUtf8(fromCodePage_(bytes));  // the converter's word is not taken on trust
    }

    // A title is shown on one line: control characters become blanks.
    std::string Title(std::string_view bytes) const
    {
        std::string title = Text(bytes);
        for (char& c : title)
            if (static_cast<unsigned char>(c) < 0x20)
                c = ' ';
        return title;
    }

    // Adds the entry that `location` names, or counts it as unreadable.
    void Add(std::string_view location, std::string title, int32_t seconds)
    {
        if (static_cast<int32_t>(contents.entries.size()) >= kMaxPlaylistEntries) {
            ++contents.unreadable;
            return;
        }
        std::string path = ResolveEntryPath(Text(location), folder_);
        if (path.empty()) {
            ++contents.unreadable;
            return;
        }
        contents.entries.push_back({std::move(path), std::move(title), seconds < 0 ? -1 : seconds});
    }

    PlaylistContents contents;

private:
    std::string_view folder_;
    bool utf8_;
    const CodePageToUtf8& fromCodePage_;
};

void ReadM3u(std::string_view text, Reader& reader)
{
    std::string title;
    int32_t seconds = -1;
    ForEachLine(
        text,
        [&](std::string_view line) {
            if (line[0] != '#') {
                reader.Add(line, std::move(title), seconds);
                title.clear();
                seconds = -1;
            } else if (StartsWithFoldingAscii(line, "#extinf:")) {
                // "#EXTINF:seconds,title"; the title may itself hold commas.
                const std::string_view info = line.substr(8);
                const size_t comma = info.find(',');
                seconds = LeadingNumber(info.substr(0, comma), -1);
                title = comma == std::string_view::npos
                            ? std::string()
                            : reader.Title(Trimmed(info.substr(comma + 1)));
            }
            // "#EXTM3U" and every other comment say nothing about the entries.
        },
        [&] {
            ++reader.contents.unreadable;
            title.clear();
            seconds = -1;
        });
}

// "FileN=", "TitleN=" and "LengthN=" in any order; entries follow N.
void ReadPls(std::string_view text, Reader& reader)
{
    struct Slot {
        std::string_view file;
        std::string_view title;
        int32_t seconds = -1;
    };
    std::map<int32_t, Slot> slots;
    int32_t refused = 0;
    ForEachLine(
        text,
        [&](std::string_view line) {
            const size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                return;  // "[playlist]" and junk
            const std::string_view key = Trimmed(line.substr(0, equals));
            const std::string_view value = Trimmed(line.substr(equals + 1));
            std::string_view field;
            for (const std::string_view name : {"file", "title", "length"})
                if (StartsWithFoldingAscii(key, name))
                    field = name;
            if (field.empty())
                return;  // "NumberOfEntries", "Version"
            const std::string_view number = key.substr(field.size());
            const int32_t n = LeadingNumber(number, -1);
            if (n < 0 || number.find_first_not_of("0123456789") != std::string_view::npos)
                return;
            auto found = slots.find(n);
            if (found == slots.end()) {
                if (static_cast<int32_t>(slots.size()) >= kMaxPlaylistEntries) {
                    refused += field == "file" ? 1 : 0;
                    return;
                }
                found = slots.emplace(n, Slot()).first;
            }
            if (field == "file")
                found->second.file = value;
            else if (field == "title")
                found->second.title = value;
            else
                found->second.seconds = LeadingNumber(value, -1);
        },
        [&] { ++refused; });
    for (const auto& [n, slot] : slots)
        if (!slot.file.empty())
            reader.Add(slot.file, reader.Title(slot.title), slot.seconds);
    reader.contents.unreadable += refused;
}

}  // namespace

PlaylistFormat PlaylistFormatOf(std::string_view path)
{
    const size_t dot = path.find_last_of(".\\/");
    if (dot == std::string_view::npos || path[dot] != '.')
        return PlaylistFormat::none;
    const std::string_view extension = path.substr(dot + 1);
    if (EqualsFoldingAscii(extension, "m3u"))
        return PlaylistFormat::m3u;
    if (EqualsFoldingAscii(extension, "m3u8"))
        return PlaylistFormat::m3u8;
    if (EqualsFoldingAscii(extension, "pls"))
        return PlaylistFormat::pls;
    return PlaylistFormat::none;
}

PlaylistContents ReadPlaylist(std::string_view bytes, PlaylistFormat format,
                              std::string_view playlistPath, const CodePageToUtf8& fromCodePage)
{
    if (format == PlaylistFormat::none || bytes.size() > kMaxPlaylistBytes) {
        PlaylistContents refused;
        refused.unreadable = 1;
        return refused;
    }
    const bool marked = bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark;
    if (marked)
        bytes.remove_prefix(kUtf8Mark.size());
    Reader reader(playlistPath, marked || format == PlaylistFormat::m3u8, fromCodePage);
    if (format == PlaylistFormat::pls)
        ReadPls(bytes, reader);
    else
        ReadM3u(bytes, reader);
    return std::move(reader.contents);
}
