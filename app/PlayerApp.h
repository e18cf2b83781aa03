// The one application object: everything the main window, the player control and the paint
// thread work on. It is a global built before the program's entry runs (app/Globals.cpp) and
// reached from window procedures through the main window's user-data slot.
//
// Two threads drive playback: the user-interface thread (buttons, drops, another instance, the
// playlist window) and the paint thread (its end-of-song advance and position polling). Every
// operation below that opens, stops or advances a song, or reads or changes the playlist, takes
// `playback` itself (app/PlaybackLock.h has the lock order).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "app/HandedPath.h"
#include "app/PlaybackLock.h"
#include "app/SingleInstance.h"
#include "playback/AudioDevice.h"
#include "playlist/PlayList.h"
#include "playlist/PlayerCommands.h"
#include "playlist/PlayListWindow.h"
#include "skin/BitmapFont.h"
#include "skin/PixelImage.h"
#include "skin/SkinWidgets.h"
#include "skin/Surface.h"
#include "skin/WindowDragger.h"

class PluginSlot;

inline constexpr char kMainWindowClass[] = "Corvane";
inline constexpr char kMainWindowTitle[] = "Corvane";
inline constexpr int kMaxPluginSlots = 20;
inline constexpr int kVisBufferBytes = 2304;  // four blocks of 576 signed 8-bit values
inline constexpr int kSeekFrames = 12;

class PlayerApp : public PlayerCommands {
public:
    // Built first and destroyed last: everything below may need it while it goes.
    PlaybackLock playback;

    // Members in construction order; destruction runs the other way.
    PixelImage visImage;              // 128 x 64: the visualisation is drawn here
    AudioDevice audio;                // the one output that every plug-in's call-backs feed
    volatile LONG fullRepaint = 0;    // 1 while OnPaint composes the whole window
    HANDLE paintMutex = nullptr;      // serialises all drawing into the window and backBuffer
    int32_t visModes = 1;             // bit 1: dot scope, bit 2: bar scope
    int32_t lastShownSecond = 0;      // the position last drawn by DrawTime, whole seconds
    int32_t visIdleFrames = 0;        // frames in a row without new visual data
    DWORD paintThreadId = 0;
    double progressAngle = 0.0;       // radians shown by the progress ring now
    int8_t visBuffer[kVisBufferBytes] = {};
    volatile LONG seekPreview = -1;   // percent while the seek knob is held, else -1
    WindowDragger dragger;
    PlayListWindow playlistWindow;
    HICON windowIcon = nullptr;
    int32_t currentIndex = 0;         // the current playlist entry, 0-based
    PlayList playlist;                // the songs; shared with the playlist window
    char titleText[kPathChars] = {};
    HANDLE paintThread = nullptr;
    volatile LONG titleScroll = 0;    // pixels the title is shifted right
    int32_t titleWidth = 0;           // 12 pixels per character
    volatile LONG songLoaded = 0;     // 1 after a song was started, 0 after it was halted
    BitmapFont skinFont;
    int32_t currentPlugin = 0;        // index into pluginSlots of the slot playing the song
    // The paint thread runs while this holds the main window; cleared when it is destroyed.
    std::atomic<HWND> window{nullptr};
    HINSTANCE instance = nullptr;
    WNDCLASSA windowClass = {};

    // Regions, cut from the control map (owned; deleted by CleanUp).
    HRGN windowShape = nullptr;
    HRGN minimizeRegion = nullptr, blank2Region = nullptr, closeRegion = nullptr,
         playlistRegion = nullptr, blank1Region = nullptr, toggle1Region = nullptr,
         toggle2Region = nullptr, previousRegion = nullptr, playRegion = nullptr,
         pluginRegion = nullptr, nextRegion = nullptr, volumeRegion = nullptr,
         seekRegion = nullptr;
    HRGN titleRegion = nullptr;
    HRGN timeRegion = nullptr;
    HRGN volumeDotRegion = nullptr;
    HRGN progressRegion = nullptr;

    SkinButton minimizeButton, blankButton2, closeButton, playlistButton, blankButton1,
        blankToggle1, blankToggle2, previousButton, playButton, pluginButton, nextButton;
    SkinKnob volumeKnob, seekKnob;

    // The window at rest and lit, side by side: the volume knob takes its background from them
    // by state, as a table of two.
    Surface skinFaces[2];
    Surface& skinNormal = skinFaces[0];
    Surface& skinLit = skinFaces[1];
    Surface volumeDot;
    Surface seekFrames[kSeekFrames];
    Surface backBuffer;

    int32_t messageShown = 0;         // 1 while a message stands in the time display
    int32_t ownsRememberedList = 0;   // this run read the remembered list and writes it back
    int32_t windowWidth = 177;
    int32_t windowHeight = 292;
    char programDir[kPathChars] = {};       // ends in a backslash
    PluginSlot* pluginSlots[kMaxPluginSlots] = {};  // owned
    int32_t pluginCount = 0;
    SingleInstance singleInstance;    // this process is the player while it holds it
    // The path the current song's plug-in was handed: kept while the song is open, since a
    // plug-in may hold on to the pointer rather than copy the text.
    std::string openedPluginPath;

    // The song still heard after its plug-in reported its end: the next entry is already open
    // and queued behind its last blocks, but the title, time and ring show it until the device
    // has played its block with serial `mark`. Guarded by `playback`.
    struct HeardSong {
        int32_t active = 0;
        uint32_t mark = 0;
        int32_t index = -1;          // its playlist entry, for a seek while it is heard
        int32_t length = 0;          // its length in milliseconds, shown as its position too
        int32_t listEnded = 0;       // nothing follows: the song halts once it has been heard
        char nextTitle[kPathChars] = {};  // the following song's title, shown when it is heard
    } heard;

    PlayerApp();
    ~PlayerApp() override;
    PlayerApp(const PlayerApp&) = delete;
    PlayerApp& operator=(const PlayerApp&) = delete;

    // Start-up and shut-down.
    // `commandLine` is the program's arguments in UTF-8. Returns 1 when the main window was
    // created, 0 when the command line was handed to a running instance or the window could not
    // be made.
    int StartUp(HINSTANCE programInstance, const char* commandLine);
    // Runs until the main window's destruction posts the quit message; returns its exit code.
    int RunMessageLoop();
    // Ends the paint thread, the song and every handle StartUp made; copes with a partial start.
    void CleanUp();

    // Main window set-up.
    // Loads the pictures, cuts the regions and loads the font; always 1.
    int LoadSkin(HINSTANCE programInstance);
    // Binds the controls, shapes the window, loads the plug-ins and starts the paint thread.
    void SetUpWindow();
    // Loads every "*.cvp" library in the program's folder into a plug-in slot, at most
    // kMaxPluginSlots; a library that fails to load keeps its slot.
    void LoadPlugins();

    // Window messages, called by MainWndProc.
    void OnDestroy();
    void OnCopyData(const COPYDATASTRUCT* data);
    // A knob or the dragger lost the mouse to another window (Alt+Tab, a message box).
    void OnCaptureChanged();
    void OnMouseMove(int32_t x, int32_t y);
    void OnLeftButtonDown(int32_t x, int32_t y);
    void OnLeftButtonUp(int32_t x, int32_t y);
    void OnLeftButtonDoubleClick(int32_t x, int32_t y);
    // 1 when a knob set the cursor.
    int OnSetCursor();
    void OnChar(WPARAM character);

    // Commands.
    void ShowPlaylistWindow();
    void PlayButtonClicked();
    void BeginSeekPreview();
    void AdjustSeekPreview(int32_t change);
    void CommitSeek();

    // The playlist window's way to the playback lock and the current entry.
    void LockPlayback() override { playback.Lock(); }
    void UnlockPlayback() override { playback.Unlock(); }
    int32_t CurrentIndex() const override { return currentIndex; }
    void SetCurrentIndex(int32_t index) override { currentIndex = index; }

    // Player control: which song plays on which plug-in.
    // Adds a song given by the user (command line, another instance, a drop, the open dialog).
    // `path` is UTF-8. Songs that no plug-in claims are not added. 1 when the song was added.
    int AddToPlaylist(const char* path);
    // Opens and starts the entry at currentIndex on the first plug-in that claims it; returns
    // the plug-in's answer to opening the file, or 0. Whatever was queued before is cut off.
    int PlayCurrent();
    // Stops and closes the current song; returns the slot's answer, or 0 without a slot.
    int HaltSong();
    // HaltSong, and the title stops scrolling.
    void StopSong() override;
    // Plays entry `index`: 1 when it is in the list, else the song halts and the answer is 0.
    int SelectEntry(int32_t index) override;
    void NextSong();
    void PreviousSong();
    // The current plug-in's answer to whether it plays; 0 without a slot.
    int IsSongPlaying();
    // The open dialog: the chosen file joins the end of the playlist without playing.
    void OpenMediaDialog() override;
    // Adds the dropped files (and plays the song when it is the only one); releases the drop.
    void DropFiles(HDROP drop) override;

    // Playlist files (app/PlaylistFiles.cpp).
    int32_t AddPlaylistFile(const char* path) override;
    int SavePlaylistFile(const char* path) override;
    // At exit: the list and the current entry, to "Corvane.m3u8" beside "Corvane.ini".
    void RememberPlaylist();
    // At start: that list back, nothing playing; a missing or damaged file leaves it empty.
    void RecallPlaylist();
    // Position and length of the song being heard in milliseconds, -1 when unknown.
    int32_t CurrentPosition();
    int32_t CurrentLength();

    // How one song follows another (app/SongFollowing.cpp), once a frame on the paint thread
    // and at once when the device reports a stream's end: a device that could not open stops
    // the song with "No Device"; a song whose plug-in reports its end gives way to the next
    // entry while its last blocks still play; and the display moves on to the next song when
    // they have been heard. 1 when nothing is left to look for until the next frame.
    int FollowPlayback();

    // Painting (the paint thread and the main thread's repaint).
    void OnPaint();
    void PaintFrame(HDC dc);
    void DrawTime(HDC dc);
    void DrawTitle(HDC dc);
    void DrawProgress(HDC dc);
    void DrawVisualisation(HDC dc);
    // Messages in the time display: DrawMessage until RestoreMessageArea; ShowMessage for
    // `millis` on the calling thread.
    void DrawMessage(const char* text);
    void RestoreMessageArea();
    void ShowMessage(const char* text, DWORD millis);
    // Body of the paint thread.
    static DWORD WINAPI PaintThreadMain(LPVOID app);

    // The order in which the buttons are offered every mouse event.
    std::array<SkinButton*, 11> ButtonsInEventOrder();

    // paintMutex, with the 500 ms wait every drawer uses; Lock answers 1 when it was obtained.
    int LockPaint();
    void UnlockPaint();

private:
    struct AddedEntries {
        int32_t added = 0;
        int32_t skipped = 0;
        int32_t current = -1;  // where the entry `current` of the file landed in the list
    };
    // Appends the entries of playlist `bytes` read from `path` whose song is there and claimed.
    AddedEntries AppendPlaylist(const std::string& bytes, const char* path, int32_t current);
    // The M3U8 text of the whole list for a file at `path`.
    std::string PlaylistText(const char* path);
    // Adds a dropped or handed-over path: a playlist's entries, or the song itself. The number
    // of songs added.
    int32_t AddHandedPath(const char* path);
    PluginSlot* CurrentSlot() const;
    // PlayCurrent's work. `following`: the song before has played to its end, and this one
    // follows its queued blocks (no "Loading...", the title waits until it is heard).
    int StartCurrent(bool following);
    // The slot's StopAndClose; keepTail leaves the queued audio playing for the next song,
    // otherwise it is cut off at once, whatever the plug-in does with the output.
    int StopSlot(PluginSlot* slot, bool keepTail);
    // The current song has been reported over: the next entry starts behind it, or at the end of
    // the list nothing does.
    void AdvanceAtEnd();
    // Shows the next song once the one before has been heard, or halts after the last.
    void FollowHeardSong();
    // The title scrolls in anew from `titleText`.
    void RestartTitle();
    int32_t FindClaimingSlot(const char* path) const;  // -1 when no slot claims the path
    // A song handed over singly (dropped, or sent by another instance) plays at once when it is
    // the only one.
    void PlayIfOnlySong();
    // Moves `step` entries through the playlist and plays there, or shows the empty-list
    // message or `endText` when there is nowhere to go.
    void StepSong(int32_t step, const char* endText);
    // Flips a toggle button and redraws it in the window, under paintMutex.
    void ToggleButton(SkinButton& button);
    // The time display from skinNormal, with `text` on it unless null, into backBuffer and the
    // window; the caller holds paintMutex.
    void PresentTimeArea(const char* text);
    void PaintFrames();
    void RunPaintThread();
    // Clears `window` and waits for the paint thread to end: no frame starts after this.
    void EndPaintThread();
};

// Holds paintMutex for its scope when it could be had within the usual wait.
class PaintLock {
public:
    explicit PaintLock(PlayerApp& app) : app_(app), locked_(app.LockPaint()) {}
    ~PaintLock() {
        if (locked_)
            app_.UnlockPaint();
    }
    PaintLock(const PaintLock&) = delete;
    PaintLock& operator=(const PaintLock&) = delete;
    int Locked() const { return locked_; }

private:
    PlayerApp& app_;
    int locked_;
};

extern PlayerApp gPlayerApp;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
