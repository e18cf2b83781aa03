// The one application object: everything the main window, the player control and the paint
// thread work on. It is a global built before the program's entry runs (app/Globals.cpp) and
// reached from window procedures through the main window's user-data slot.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "app/HandedPath.h"
#include "playback/AudioDevice.h"
#include "playlist/PlayList.h"

class PluginSlot;

inline constexpr char kMainWindowClass[] = "Corvane";
inline constexpr char kMainWindowTitle[] = "Corvane";
inline constexpr int kMaxPluginSlots = 20;

class PlayerApp {
public:
    // Members in construction order; destruction runs the other way.
    AudioDevice audio;             // the one output that every plug-in's call-backs feed
    int32_t currentIndex = 0;      // the current playlist entry, 0-based
    PlayList playlist;             // the songs; shared with the playlist window
    char titleText[kPathChars] = {};
    int32_t songLoaded = 0;        // 1 after a song was started, 0 after it was halted
    int32_t currentPlugin = 0;     // index into pluginSlots of the slot playing the current song
    HWND window = nullptr;         // the main window; cleared when it is destroyed
    HINSTANCE instance = nullptr;
    WNDCLASSA windowClass = {};
    int32_t windowWidth = 177;
    int32_t windowHeight = 292;
    char programDir[kPathChars] = {};       // ends in a backslash
    PluginSlot* pluginSlots[kMaxPluginSlots] = {};  // owned
    int32_t pluginCount = 0;

    PlayerApp();
    virtual ~PlayerApp();
    PlayerApp(const PlayerApp&) = delete;
    PlayerApp& operator=(const PlayerApp&) = delete;

    // Returns 1 when the main window was created, 0 when the command line was handed to a
    // running instance or the window could not be made.
    int StartUp(HINSTANCE programInstance, const char* commandLine);
    // Runs until the main window's destruction posts the quit message; returns its exit code.
    int RunMessageLoop();
    // Releases what StartUp set up; copes with a partial start-up.
    void CleanUp();

    // Window messages, called by MainWndProc.
    void OnDestroy();
    void OnCopyData(const COPYDATASTRUCT* data);

    // Loads every "*.cvp" library in the program's folder into a plug-in slot, at most
    // kMaxPluginSlots; a library that fails to load keeps its slot.
    void LoadPlugins();

    // Player control: which song plays on which plug-in.
    // Adds a song given by the user (command line, another instance, a drop). Songs that no
    // plug-in claims are not added.
    void AddToPlaylist(const char* path);
    // Opens and starts the entry at currentIndex on the first plug-in that claims it; returns
    // the plug-in's answer to opening the file, or 0.
    int PlayCurrent();
    // Stops and closes the current song; returns the slot's answer, or 0 without a slot.
    int HaltSong();
    // The current plug-in's answer to whether it plays; 0 without a slot.
    int IsSongPlaying();
    // A song handed over singly (dropped, or sent by another instance) plays at once when it is
    // the only one.
    void PlayIfOnlySong();
    void DropFiles(HDROP drop);

private:
    PluginSlot* CurrentSlot() const;
    int32_t FindClaimingSlot(const char* path) const;  // -1 when no slot claims the path
};

extern PlayerApp gPlayerApp;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
