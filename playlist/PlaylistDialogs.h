// The file dialogs of LOAD and SAVE: UTF-16 throughout, so any name can be chosen.
#pragma once

#include <windows.h>

#include <string>

// The playlist the user chose to load (UTF-8), or empty when the dialog was cancelled.
std::string AskPlaylistToLoad(HWND owner);
// Where the user chose to save the playlist (UTF-8, ending in ".m3u8"), or empty.
std::string AskPlaylistToSave(HWND owner);
