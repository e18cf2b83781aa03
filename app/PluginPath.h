// The path a plug-in is handed for a song. The plug-in interface passes 8-bit paths in the
// system code page, and third-party plug-ins rely on that; the player keeps paths in UTF-8.
#pragma once

#include <string>

// Sets `pluginPath` to a path that opens the song at `path` (UTF-8) through the 8-bit calls:
// the path itself when the code page holds every letter of it, else its short (8.3) form.
// False when neither does (a volume without short names) or the result would not fit MAX_PATH:
// a cut path could name another file.
bool PluginPathFor(const char* path, std::string& pluginPath);
