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
#include <vector>

#include "app/HandedPath.h"
#include "app/PlaybackLock.h"
#include "app/SingleInstance.h"
#include "playback/AudioDevice.h"
#include "playlist/PlayList.h"
#include "playlist/PlayerCommands.h"
#include "playlist/PlayListWindow.h"
#include "playlist/RememberedEntry.h"
#include "settings/WindowPlaces.h"
#include "skin/BitmapFont.h"
#include "skin/PixelImage.h"
#include "skin/SkinWidgets.h"
#include "skin/Surface.h"
#include "skin/WindowDragger.h"

class PluginSlot;

// The place's top-left corner, moved back onto the nearest monitor when a window of `width` x
// `height` there would be off every one.
POINT OnScreenPlace(const WindowPlace& place, int32_t width, int32_t height);

inline constexpr char kMainWindowClass[] = "Corvane";
inline constexpr char kMainWindowTitle[] = "Corvane";
inline constexpr int kMaxPluginSlots = 20;
inline constexpr int kVisBufferBytes = 2304;  // four blocks of 576 signed 8-bit values
inline constexpr int kSeekFrames = 12;
// Posted to the main window when the playing song changed (started, stopped, or its title came).
inline constexpr UINT kSongChangedMessage = WM_APP + 0x101;
// The notification-area icon's call-back message to the main window.
inline constexpr UINT kTrayIconMessage = WM_APP + 0x102;

class PlayerApp : public PlayerCommands {
public:
    // Built first and destroyed last: everything below may need it while it goes.
    PlaybackLock playback;

    // Members in construction order; destruction runs the other way.
    PixelImage visImage;              // 128 x 64: the visualisation is drawn here
    AudioDevice audio;                // the one output that every plug-in's call-backs feed
    volatile LONG fullRepaint = 0;    // 1 while OnPaint composes the whole window
    HANDLE paintMutex = nullptr;      // serialises all drawing into the window and backBuffer
    // Auto-reset event (owned): something on screen changed; a resting paint thread draws.
    HANDLE paintWake = nullptr;
    int32_t visModes = 1;             // bit 1: dot scope, bit 2: bar scope
    int32_t lastShownSecond = 0;      // the position last drawn by DrawTime, whole seconds
    int32_t visIdleFrames = 0;        // frames in a row without new visual data
    DWORD paintThreadId = 0;
    double progressAngle = 0.0;       // radians shown by the progress ring now
    int32_t progressMoving = 0;       // 1 while the pointer has not reached its target
    int32_t titleScrolled = 0;        // 1 while the window shows the title scrolled
    // 1 when the paint thread left frames undrawn (the window minimised, hidden or covered)
    // that no whole repaint has made good yet.
    std::atomic<int32_t> framesMissed{0};
    // The volume knob's value and state as the window shows them: it is drawn when they change.
    int32_t volumeShownValue = INT32_MIN;
    int32_t volumeShownState = INT32_MIN;
    int8_t visBuffer[kVisBufferBytes] = {};
    volatile LONG seekPreview = -1;   // percent while the seek knob is held, else -1
    int32_t seekChangeRemainder = 0;  // the seek knob's turn not yet a whole percent
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
    // The first spare toggle is the pause control: lit while paused.
    SkinButton& pauseButton = blankToggle1;

    // The window at rest and lit, side by side: the volume knob takes its background from them
    // by state, as a table of two.
    Surface skinFaces[2];
    Surface& skinNormal = skinFaces[0];
    Surface& skinLit = skinFaces[1];
    Surface volumeDot;
    Surface seekFrames[kSeekFrames];
    Surface backBuffer;

    std::atomic<bool> songChangePosted{false};  // a kSongChangedMessage waits in the queue
    int32_t closing = 0;              // 1 once the main window is being destroyed
    int32_t messageShown = 0;         // 1 while a message stands in the time display
    // This run is the first player: it reads and writes the remembered list and the window places.
    int32_t ownsRememberedList = 0;
    int32_t rememberedIncomplete = 0; // it could not be read whole: kept aside before the write
    RememberedPlace recalledPlace;    // where the last run ended, as recalled
    WindowPlaces places;              // read at start by the first player, written at exit
    int32_t placesTaken = 0;          // the places at exit were taken (on WM_CLOSE)
    int32_t inTray = 0;               // minimised to the notification area: both windows hidden
    int32_t playlistHiddenInTray = 0; // the playlist window was shown when they were hidden
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
    // WM_CLOSE: the places are taken while both windows still exist.
    void OnClose();
    void OnDestroy();
    // A song handed over by another start: 1 when this player took the hand-over (whatever the
    // song), 0 when it is closing and the sender must not count on it.
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    // A knob or the dragger lost the mouse to another window (Alt+Tab, a message box).
    void OnCaptureChanged();
    void OnMouseMove(int32_t x, int32_t y);
    void OnLeftButtonDown(int32_t x, int32_t y);
    void OnLeftButtonUp(int32_t x, int32_t y);
    void OnLeftButtonDoubleClick(int32_t x, int32_t y);
    // 1 when a knob set the cursor.
    int OnSetCursor();
    void OnChar(WPARAM character);
    // Keys and media keys (app/MainWindowKeys.cpp); OnKeyDown answers 1 for a key it used.
    int OnKeyDown(WPARAM key);
    // An APPCOMMAND_* or hot-key command; 1 when it was one of the player's.
    int OnAppCommand(int32_t command);
    void OnHotKey(WPARAM id);
    void OnMouseWheel(int32_t delta, int32_t screenX, int32_t screenY);
    // Play/Pause, Stop, Next and Previous Track reach the player while another program has the
    // focus, where no other program holds them already.
    void RegisterMediaKeys();
    void UnregisterMediaKeys();

    // Commands.
    void ShowPlaylistWindow();
    // The minimise button: to the notification area with "Minimize to System Tray", else iconic.
    void Minimise();
    // The notification-area icon's call-back (its message's lParam is the mouse message).
    void OnTrayIcon(LPARAM mouseMessage);
    // Both windows back from the notification area, and the icon gone.
    void RestoreFromTray();
    // The icon's tooltip follows the playing title; the icon goes with the window.
    void UpdateTrayTip();
    void RemoveTrayIcon();

    // Window places (app/WindowPlacing.cpp).
    // Where the windows stand now (the main window's normal place while it is iconic), and
    // whether the playlist window is open.
    void TakeWindowPlaces();
    void PlayButtonClicked();
    void BeginSeekPreview();
    void AdjustSeekPreview(int32_t change);
    void CommitSeek();
    // Moves the current song to `millis` (within the song); a paused song stays paused there.
    void SeekTo(int32_t millis);
    void TogglePlaylistWindow();

    // Pause (app/PauseAndVolume.cpp). Space, the pause control and the media keys toggle it: a
    // playing song pauses, a paused one resumes, a stopped player plays.
    void TogglePause();
    void PauseSong();
    void ResumeSong();
    int IsPaused() const { return audio.IsPaused(); }
    // The volume knob: its value turned to the volume heard, stored as "AudioVolume".
    void SetVolumeKnob(int32_t knob);
    void StepVolume(int32_t steps);
    // Hands the stored volume to every plug-in and stands the knob where it lies.
    void ApplyStoredVolume();
    // At start, after RecallPlaylist: the song and place the last run ended at, loaded paused.
    void RestorePlace();

    // The playlist window's way to the playback lock and the current entry.
    void LockPlayback() override { playback.Lock(); }
    void UnlockPlayback() override { playback.Unlock(); }
    int32_t CurrentIndex() const override { return currentIndex; }
    void SetCurrentIndex(int32_t index) override { currentIndex = index; }
    int32_t PlayingIndex() const override;

    // Player control: which song plays on which plug-in.
    // Adds a song given by the user (command line, another instance, a drop, the open dialog).
    // `path` and `title` (null when unknown) are UTF-8. Songs that no plug-in claims are not
    // added. 1 when the song was added.
    int AddToPlaylist(const char* path, const char* title = nullptr);
    // Opens and starts the entry at currentIndex on the first plug-in that claims it; returns
    // the plug-in's answer to opening the file, or 0. Whatever was queued before is cut off.
    // With `paused`, it starts paused.
    int PlayCurrent(int paused = 0);
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
    // Adds the dropped files and folders (AddHandedPaths); releases the drop.
    void DropFiles(HDROP drop) override;
    // Adds paths given by the user (UTF-8): songs, the songs beneath folders, playlists' entries.
    // When nothing plays, or with Immediate Play, the first song added (not a playlist's)
    // starts. Called without the playback lock: files are read before it is taken.
    void AddHandedPaths(const std::vector<std::string>& paths);

    // Playlist files (app/PlaylistFiles.cpp).
    int32_t AddPlaylistFile(const char* path) override;
    int SavePlaylistFile(const char* path) override;
    // At exit: the list and the current entry, to "Corvane.m3u8" beside "Corvane.ini".
    void RememberPlaylist();
    // At start: that list back, every entry of it, nothing playing; a missing or unreadable
    // file leaves it empty.
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
    // Something the window shows changed (a song, a knob, the scopes' modes, a message gone):
    // the paint thread, if it rests, draws a frame now. Any thread may call it at any time.
    void WakePaintThread();
    // Whether the picture goes on changing on its own after the frame just drawn, so that the
    // paint thread draws the next one a period later rather than rest: the progress pointer
    // still sweeping, the scopes' picture not yet frozen.
    int PictureMoves() const;

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
    // "Skipped\nN" in the time display, for N > 0.
    void ShowSkipped(int32_t count);
    // Adds a dropped or handed-over path: a playlist's entries, a folder's songs, or the song
    // itself. The index of the first song added that may start on its own (not a playlist's),
    // or -1. Songs refused because the list is full are counted into `skipped` when given.
    int32_t AddHandedPath(const char* path, int32_t* skipped = nullptr);
    PluginSlot* CurrentSlot() const;
    // The title `slot` reports for its open song, in UTF-8; empty when it has none.
    std::string SongTitle(const PluginSlot& slot) const;
    // Tells the playlist window, on the user-interface thread, that the playing song changed.
    void NotifySongChanged();
    // PlayCurrent's work. `following`: the song before has played to its end, and this one
    // follows its queued blocks (no "Loading...", the title waits until it is heard).
    int StartCurrent(bool following, bool paused = false);
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
    // Plays entry `first` (-1: nothing) when no song plays, or at once with Immediate Play.
    void StartAddedSong(int32_t first);
    // Moves `step` entries through the playlist and plays there, or shows the empty-list
    // message or `endText` when there is nowhere to go.
    void StepSong(int32_t step, const char* endText);
    // Flips a toggle button and redraws it in the window, under paintMutex.
    void ToggleButton(SkinButton& button);
    void SetButton(SkinButton& button, int on);
    // A pause ends with the song it held: the flag goes, and the pause control goes dark.
    void EndPause();
    int32_t lastBlinkPhase = 0;       // the paused time's blink phase last drawn
    int32_t heldMediaKeys = 0;        // bit i: media key i is registered by this window
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
