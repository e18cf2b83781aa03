// Where the main window and the playlist window were left, and whether the playlist window was
// open: kept in "Corvane.ini" beside the preferences, in keys of their own, by the first player
// only (a second player of "Multiple Instances" neither reads nor writes them).
#pragma once

#include <cstdint>

struct WindowPlace {
    int32_t known = 0;  // 0 until a place was read or taken
    int32_t x = 0;      // the window's top-left corner, screen coordinates
    int32_t y = 0;
};

struct WindowPlaces {
    WindowPlace main;
    WindowPlace playlist;
    int32_t playlistOpen = 0;

    // Reads "MainWindowX", "MainWindowY", "PlaylistWindowX", "PlaylistWindowY" and
    // "PlaylistWindowOpen"; a place whose keys are missing or not numbers stays unknown.
    void Read(const char* fileName);
    // Writes the known places and the flag.
    void Write(const char* fileName) const;
};
