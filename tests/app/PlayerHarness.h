// A whole player inside the test program: the real application object, started as the program
// starts it, with the test plug-in (and Fluxdec) beside the test program, and ways to look at
// its window as the user sees it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/PlayerApp.h"
#include "tests/playback/plugins/TestPluginControl.h"

// The client area of a window, or a memory surface, read back as 0x00RRGGBB pixels.
class Pixels {
public:
    Pixels(HDC source, int32_t width, int32_t height);
    uint32_t At(int32_t x, int32_t y) const;
    int32_t width = 0;
    int32_t height = 0;

private:
    std::vector<uint32_t> pixels_;
};

// What the main window shows now.
Pixels WindowPixels(const PlayerApp& app);

// Runs the calling thread's message loop for `millis`.
void PumpMessages(DWORD millis);

// Pumps until `done` answers true or `millis` pass; returns the last answer.
template <class Condition>
bool PumpUntil(Condition done, DWORD millis)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= millis)
            return done();
        PumpMessages(10);
    }
    return true;
}

// The test plug-in's control block (loaded beside the test program).
TestPluginControl* TestPlugin();
void ResetTestPlugin();

// A path that the test plug-in claims (extension "wav").
std::string TestSongPath(int number);
// The test program's folder, with its closing backslash.
std::string ProgramFolder();
// A real song that Fluxdec plays (made by the build, five of them).
std::string RealSongPath(int number);

// The resting skin with `draw` done over it, as the window would show it.
Pixels OverRestingSkin(const std::function<void(HDC)>& draw);
// The time display as the player draws the time `text` ("01:05").
Pixels ExpectedTime(const char* text);
// The time display with a message in the skin's font.
Pixels ExpectedMessage(const char* text);
// Pixels of `area` inside `region` that differ between two pictures.
int RegionDifferences(HRGN region, const RECT& area, const Pixels& a, const Pixels& b);
// Pixels of the time display (inside its region) that differ between two pictures.
int TimeAreaDifferences(const Pixels& a, const Pixels& b);
// The window's time display shows exactly `expected`.
bool TimeAreaShows(const Pixels& expected);

// A shell drop of `paths` (8-bit) as the shell hands it to a window; the window frees it.
HDROP MakeDrop(const std::vector<std::string>& paths);

// Starts gPlayerApp with `commandLine` once per test program; later calls return at once.
void StartPlayer(const char* commandLine = "");
// Empties the playlist and stops the song, so that each test starts from a stopped player.
void ResetPlayer();

// Sends a click (press and release) at client point (x, y) to the main window.
void ClickAt(int32_t x, int32_t y);
// The centre of a control's area.
POINT CentreOf(const SkinButton& control);
