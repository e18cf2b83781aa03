// Playlist files: reading M3U, M3U8 and PLS into entries, and writing M3U8.
//
// Windows-free: the caller reads and writes the file's bytes, turns the system code page into
// UTF-8 for the reader, and decides which entries it keeps (a file that exists and that a
// plug-in claims); it counts the rest as skipped. The reader never opens the files it lists, so
// a playlist that lists itself, or another playlist, is just one more entry: nothing recurses.
//
// Hostile files are bounded here:
//   - the caller reads at most kMaxPlaylistBytes; a longer file is refused whole (`ReadPlaylist`
//     refuses it too, so no caller forgets);
//   - a line longer than kMaxPlaylistLineBytes is no entry (a path cut short would name another
//     file) and counts as unreadable;
//   - at most kMaxPlaylistEntries entries are read; the rest count as unreadable;
//   - every loop walks the bytes once, so junk costs time in proportion to its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kMaxPlaylistBytes = 32u << 20;
inline constexpr size_t kMaxPlaylistLineBytes = 32768;
inline constexpr int32_t kMaxPlaylistEntries = 100000;

enum class PlaylistFormat { none, m3u, m3u8, pls };

// By the extension, without regard to case: ".m3u", ".m3u8", ".pls"; else none.
PlaylistFormat PlaylistFormatOf(std::string_view path);

struct PlaylistEntry {
    std::string path;     // UTF-8; absolute when the playlist's own path was
    std::string title;    // UTF-8, "Artist - Title"; empty when the playlist gives none
    int32_t seconds = -1; // -1 when unknown
};

struct PlaylistContents {
    std::vector<PlaylistEntry> entries;
    int32_t unreadable = 0;  // entries given up by the reader (see the bounds above)
};

// Turns text in the system code page into UTF-8.
using CodePageToUtf8 = std::function<std::string(std::string_view)>;

// Reads `bytes`, the contents of the playlist at `playlistPath`. M3U and PLS are in the system
// code page (`fromCodePage`) unless they start with a UTF-8 byte-order mark; M3U8 is UTF-8
// with or without one. Relative entries are resolved against the playlist's folder.
PlaylistContents ReadPlaylist(std::string_view bytes, PlaylistFormat format,
                              std::string_view playlistPath, const CodePageToUtf8& fromCodePage);

// The M3U8 text of `entries` for a playlist saved at `playlistPath`: "#EXTM3U", then per entry
// "#EXTINF:seconds,title" (the file name when the title is unknown) and the path, relative to
// the playlist's folder when the song lies below it. Lines end in CR LF.
std::string WriteM3u8(const std::vector<PlaylistEntry>& entries, std::string_view playlistPath);
