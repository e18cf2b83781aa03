// The player's file dialogs: UTF-16 throughout, so any name can be chosen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One open or save dialog: `filter` is pairs of description and pattern, each ending in its
// own zero, the list in one more; `defaultExtension` is added to a saved name without one.
// The chosen path (UTF-8), or empty when the dialog was cancelled.
std::string AskFileName(HWND owner, const wchar_t* filter, const wchar_t* title, DWORD flags,
                        bool save, const wchar_t* defaultExtension = nullptr);

// An open dialog in which several files may be chosen at once: their paths (UTF-8) in the
// order the dialog gives them, or none when it was cancelled.
std::vector<std::string> AskFileNames(HWND owner, const wchar_t* filter, const wchar_t* title,
                                      DWORD flags);

// The playlist the user chose to load (UTF-8), or empty when the dialog was cancelled.
std::string AskPlaylistToLoad(HWND owner);
// Where the user chose to save the playlist (UTF-8, ending in ".m3u8"), or empty.
std::string AskPlaylistToSave(HWND owner);
