#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistPaths.h"

namespace {

// A title is one line of the file: a line break inside it would end the entry early.
std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

}  // namespace

std::string WriteM3u8(const std::vector<PlaylistEntry>& entries, std::string_view playlistPath)
{
    const std::string_view folder = FolderOf(playlistPath);
    std::string text = "#EXTM3U\r\n";
    for (const PlaylistEntry& entry : entries) {
        text += "#EXTINF:";
        text += std::to_string(entry.seconds >= 0 ? entry.seconds : -1);
        text += ',';
        text += OneLine(entry.title.empty() ? FileNameOf(entry.path) : entry.title);
        text += "\r\n";
        text += PathForPlaylist(entry.path, folder);
        text += "\r\n";
    }
    return text;
}
