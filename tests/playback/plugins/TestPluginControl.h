// Shared by the test plug-in library and the tests that load it: what the plug-in answers and a
// record of what the host called.
//
// The library exports TestPluginControlBlock() next to the four plug-in exports; a test sets the
// answers before it loads a slot (Initialise reads `provide`, Query reads `flags`) and reads the
// call record afterwards.
#pragma once

#include <cstdint>

#include "plugins/api/PluginApi.h"

// Bits of TestPluginControl::provide: which record entries Initialise fills.
enum TestPluginEntry : int32_t {
    kEntryOpenFile = 1 << 0,
    kEntryCloseFile = 1 << 1,
    kEntryStart = 1 << 2,
    kEntryStop = 1 << 3,
    kEntrySeek = 1 << 4,
    kEntryGetFileInfo = 1 << 5,
    kEntryOnButton = 1 << 6,
    kEntryIsPlaying = 1 << 7,
    kEntrySetVolume = 1 << 8,
    kEntryGetVisualData = 1 << 9,
    kEntryAll = (1 << 10) - 1,
};

inline constexpr int kTestPluginLogChars = 256;
inline constexpr int kPluginVisualBytes = 2304;  // four blocks of 576 signed values

struct TestPluginControl {
    // Answers.
    int32_t provide;
    int32_t flags;
    int32_t openFileResult;
    int32_t startResult;
    int32_t getFileInfoResult;
    int32_t onButtonResult;
    int32_t isPlayingResult;
    int32_t setVolumeResult;
    int32_t seekResult;
    int32_t getVisualDataResult;
    PluginFileInfo reportedInfo;  // copied into the host's info by GetFileInfo

    // What the host did. `log` holds one letter per call, in order:
    // Q Query, I Initialise, D Shutdown, C Configure, o OpenFile, c CloseFile, s Start, t Stop,
    // k Seek, g GetFileInfo, b OnButton, p IsPlaying, v SetVolume, d GetVisualData.
    char log[kTestPluginLogChars];
    int32_t logLength;
    PluginRecord recordAtInitialise;  // the record as Initialise found it
    PluginRecord* lastRecord;         // the record the last entry received
    const char* lastPath;
    int32_t lastSeekPosition;
    int32_t lastSeekForm;
    int32_t lastVolume;
    void* lastVisualBuffer;
    int32_t lastVisualMode;
    // Copied into the host's buffer by GetVisualData when it answers non-zero.
    int8_t visualData[kPluginVisualBytes];
    // The extension list Query describes, when set before the host loads the plug-in; else
    // kTestPluginExtensions. Lets a test leave "mp3" to Fluxdec beside it.
    const char* extensions;
};

extern "C" {
typedef TestPluginControl* (*TestPluginControlBlockFn)(void);
// Restores the default answers (every entry provided, flags 0, every result 1, info with
// lengths and positions -1 and a title) and clears the call record.
typedef void (*TestPluginResetFn)(void);
}

inline constexpr char kTestPluginFile[] = "PlaybackTestPlugin.cvp";
inline constexpr char kTestPluginMissingExportFile[] = "PlaybackTestNoShutdown.cvp";
inline constexpr char kTestPluginFailingFile[] = "PlaybackTestFailsToLoad.cvp";
inline constexpr char kTestPluginTitle[] = "Playback Test Plug-in";
inline constexpr char kTestPluginSongTitle[] = "Test Song Title";
// Two entries, so that a match on the second one is seen too.
inline constexpr char kTestPluginExtensions[] = "mp3\0wav\0";
