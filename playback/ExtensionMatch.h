// Deciding whether a song belongs to a plug-in by the extension of its file name.
//
// Windows-free, so that it builds and is tested natively as well.
#pragma once

#include <cstddef>

// Extensions are copied into a buffer of this many characters, the terminating zero included;
// a longer extension matches nothing.
inline constexpr std::size_t kExtensionBufferChars = 256;

// The text after the last '.' anywhere in `path` (folder names included), or null when the path
// holds no '.'. Points into `path`.
const char* FindExtension(const char* path);

// 1 when `extension` equals, without regard to ASCII letter case, one entry of `list`: entries
// NUL-terminated one after the other, the list ended by an empty entry. The empty entry ends the
// comparison, so an empty extension matches nothing; so does a null list, and an extension of
// kExtensionBufferChars characters or more.
int ExtensionInList(const char* extension, const char* list);

// FindExtension followed by ExtensionInList; 0 for a null path or a path without '.'.
int PathMatchesExtensionList(const char* path, const char* list);
