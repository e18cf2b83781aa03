// The open dialog's filter: what the user picks from the dialog's "Files of type" list.
#pragma once

#include <string>
#include <vector>

// Each plug-in's extensions (without the dot) make one pair: "MP3 audio (*.mp3)" and "*.mp3";
// several extensions join as "MP3/MP2 audio (*.mp3;*.mp2)" and "*.mp3;*.mp2". A plug-in with no
// extensions makes none. "All files (*.*)" and "*.*" come last. The result is the platform's
// filter form: every text followed by a zero, the whole ended by one more zero.
std::string BuildOpenFilter(const std::vector<std::vector<std::string>>& extensionsPerPlugin);

// Reads a plug-in's extension list (zero-terminated texts ended by an empty one), looking at no
// more than `limit` bytes: a list that does not end within them yields what ended before.
std::vector<std::string> SplitExtensionList(const char* list, size_t limit);
