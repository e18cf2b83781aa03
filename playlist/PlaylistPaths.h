// The path arithmetic of playlist files, on Windows paths held as UTF-8 text: nothing here
// touches the file system, so it builds and is tested natively.
#pragma once

#include <string>
#include <string_view>

// The file's name and extension, without drive and folders: what a playlist row shows.
std::string_view FileNameOf(std::string_view path);

// The folder that holds `path`, without the last separator ("C:\Lists\a.m3u8" gives
// "C:\Lists"); empty when the path names no folder.
std::string_view FolderOf(std::string_view path);

// An entry as a playlist names it, made into the path of a file: both slash forms, a
// "file:" URL (percent-decoded), an absolute path, a path rooted on the playlist's drive or one
// relative to `folder` (the playlist's own). "." and ".." are resolved, never above the root,
// and blanks at the end of names go, as Windows drops them; "\\?\" paths are kept as they are.
// Other URLs ("http://...") come back as they are, for the caller to refuse. Empty when the
// entry cannot name a file: a control character (also from a URL), a URL that decodes to text
// that is not UTF-8, a colon past the drive, a share without a server or share name.
std::string ResolveEntryPath(std::string_view entry, std::string_view folder);

// `path` relative to `folder` when it lies below it (compared without regard to ASCII case, as
// Windows compares names), else `path` itself. A relative result that a reader would take
// for something else (a "#" comment, a name with leading blanks) starts with ".\".
std::string PathForPlaylist(std::string_view path, std::string_view folder);
