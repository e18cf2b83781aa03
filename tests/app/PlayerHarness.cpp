#include "tests/app/PlayerHarness.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/AboutWindow.h"
#include "settings/Settings.h"
#include "skin/Surface.h"
#include "tests/support/PixelCapture.h"

// The program's global objects, in the program's order (app/Globals.cpp).
Surface gPrefsSkin;
Surface gAboutSkin;
Surface gAboutScroll;
PlayerApp gPlayerApp;
Settings gSettings;

Pixels::Pixels(HDC source, int32_t w, int32_t h)
    : width(w), height(h), pixels_(CapturePixels(source, 0, 0, w, h))
{
}

uint32_t Pixels::At(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFF000000u;  // no colour: outside
    return pixels_[size_t(y) * width + x];
}

Pixels WindowPixels(const PlayerApp& app)
{
    const HWND w = app.window.load();
    HDC dc = GetDC(w);
    Pixels pixels(dc, app.windowWidth, app.windowHeight);
    ReleaseDC(w, dc);
    return pixels;
}

void PumpMessages(DWORD millis)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(millis == 0 ? 0 : 5);
    } while (GetTickCount() - start < millis);
}

TestPluginControl* TestPlugin()
{
    static HMODULE plugin = LoadLibraryA(kTestPluginFile);
    static auto control = reinterpret_cast<TestPluginControlBlockFn>(
        reinterpret_cast<void*>(GetProcAddress(plugin, "TestPluginControlBlock")));
    return control != nullptr ? control() : nullptr;
}

void ResetTestPlugin()
{
    static HMODULE plugin = LoadLibraryA(kTestPluginFile);
    if (auto reset = reinterpret_cast<TestPluginResetFn>(
            reinterpret_cast<void*>(GetProcAddress(plugin, "TestPluginReset"))))
        reset();
    // The player asks for the optional entries (position, volume, visual data) only when the
    // plug-in offers them.
    TestPlugin()->flags = kPluginFlagOptionalEntries;
    // Songs ending in ".mp3" are Fluxdec's, which lies beside it.
    TestPlugin()->extensions = "wav\0";
}

std::string ProgramFolder()
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string folder(program);
    return folder.erase(folder.find_last_of('\\') + 1);
}

std::string RealSongPath(int number)
{
    static const char* const kNames[] = {"Morning Light", "Harbour", "Slow River", "Night Train",
                                         "Paper Moon"};
    return ProgramFolder() + "..\\playlist-songs\\" + kNames[number % 5] + ".mp3";
}

std::string TestSongPath(int number)
{
    return "C:\\songs\\test song " + std::to_string(number) + ".wav";
}

void StartPlayer(const char* commandLine)
{
    static bool started = false;
    if (started)
        return;
    started = true;
    ResetTestPlugin();  // before the player loads it: Query reads the flags
    ASSERT_EQ(1, gPlayerApp.StartUp(GetModuleHandleA(nullptr), commandLine));
    // The splash would go by itself mid-test, taking its drawing objects and scroller thread
    // with it: it goes now, before any test counts them.
    if (const HWND splash = FindWindowA(kAboutWindowClass, kAboutWindowTitle))
        SendMessageA(splash, WM_CLOSE, 0, 0);
    PumpMessages(100);
}

void ResetPlayer()
{
    gPlayerApp.StopSong();
    {
        PlaybackGuard guard(gPlayerApp.playback);
        gPlayerApp.playlist.Clear();
        gPlayerApp.currentIndex = 0;
    }
    ResetTestPlugin();
    PumpMessages(50);
}

void ClickAt(int32_t x, int32_t y)
{
    const HWND w = gPlayerApp.window.load();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

POINT CentreOf(const SkinButton& control)
{
    return {(control.bounds.left + control.bounds.right) / 2,
            (control.bounds.top + control.bounds.bottom) / 2};
}

Pixels OverRestingSkin(const std::function<void(HDC)>& draw)
{
    const PlayerApp& app = gPlayerApp;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(app.skinNormal.dc, app.windowWidth, app.windowHeight);
    HGDIOBJ prior = SelectObject(dc, canvas);
    BitBlt(dc, 0, 0, app.windowWidth, app.windowHeight, app.skinNormal.dc, 0, 0, SRCCOPY);
    draw(dc);
    Pixels pixels(dc, app.windowWidth, app.windowHeight);
    SelectObject(dc, prior);
    DeleteObject(canvas);
    DeleteDC(dc);
    return pixels;
}

Pixels ExpectedTime(const char* text)
{
    return OverRestingSkin([text](HDC dc) {
        SelectClipRgn(dc, gPlayerApp.timeRegion);
        SetTextColor(dc, RGB(0x00, 0xF0, 0x10));
        SetBkColor(dc, RGB(0x00, 0x22, 0x10));
        SetBkMode(dc, OPAQUE);
        RECT rect = {65, 200, 160, 220};
        DrawTextA(dc, text, -1, &rect, DT_LEFT | DT_TOP);
    });
}

Pixels ExpectedMessage(const char* text)
{
    return OverRestingSkin([text](HDC dc) {
        RECT box;
        GetRgnBox(gPlayerApp.timeRegion, &box);
        gPlayerApp.skinFont.DrawString(dc, text, 40, (box.top + box.bottom) / 2);
    });
}

int RegionDifferences(HRGN region, const RECT& area, const Pixels& a, const Pixels& b)
{
    int differences = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (PtInRegion(region, x, y) && a.At(x, y) != b.At(x, y))
                ++differences;
    return differences;
}

int TimeAreaDifferences(const Pixels& a, const Pixels& b)
{
    RECT box;
    GetRgnBox(gPlayerApp.timeRegion, &box);
    return RegionDifferences(gPlayerApp.timeRegion, box, a, b);
}

bool TimeAreaShows(const Pixels& expected)
{
    return TimeAreaDifferences(WindowPixels(gPlayerApp), expected) == 0;
}

HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t chars = 1;
    for (const std::string& path : paths)
        chars += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* text = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        std::memcpy(text, path.c_str(), path.size() + 1);
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

