// The records and exports through which the player and a decoder plug-in meet.
//
// A plug-in is a shared library "*.cvp" in the player's folder. The player binds the four
// exports below by name, zeroes a PluginRecord, fills the host fields and calls Initialise,
// which fills the plug-in fields. From then on both sides talk only through the record: the
// host calls the plug-in's entries, and the plug-in's decoder thread pushes PCM back through the
// host call-backs. Every function is plain C linkage (cdecl) and returns a 32-bit integer,
// non-zero for success. On 32-bit Windows every field is 32 bits wide and the layouts are fixed:
// they are checked at the end of this file.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

struct PluginRecord;
struct PluginFileInfo;

// Host call-backs; the plug-in passes the record's hostContext as the first argument.
// `reserved` is always 0 and ignored by the host.
typedef int32_t (*HostAudioOpenFn)(void* hostContext, int32_t sampleRate, int32_t channels,
                                   int32_t reserved);
// Queues one block of interleaved signed 16-bit PCM; the host copies it before returning, so the
// plug-in may reuse its buffer at once. Blocks while every output buffer is queued. `tag` is kept
// with the block. Returns the number of bytes queued.
typedef int32_t (*HostAudioWriteFn)(void* hostContext, int32_t length, const void* data,
                                    int32_t tag);
// immediate 0: let the queued audio play out (see kHostFlagPlaysOutAfterClose); non-zero:
// discard it and close at once.
typedef int32_t (*HostAudioCloseFn)(void* hostContext, int32_t immediate);

// Plug-in entries.
typedef int32_t (*PluginOpenFileFn)(PluginRecord* record, const char* path);
typedef int32_t (*PluginRecordFn)(PluginRecord* record);  // CloseFile, Start, Stop, OnButton, IsPlaying
// form 2: position in the units of lengthA/positionA; form 1: in those of lengthB/positionB.
typedef int32_t (*PluginSeekFn)(PluginRecord* record, int32_t position, int32_t form);
typedef int32_t (*PluginGetFileInfoFn)(PluginRecord* record, PluginFileInfo* info);
// Left volume in the low 16 bits, right volume in the high 16 bits.
typedef int32_t (*PluginSetVolumeFn)(PluginRecord* record, int32_t volume);
// Fills a buffer of kVisualDataBytes; mode carries the main window's visualisation bits.
typedef int32_t (*PluginGetVisualDataFn)(PluginRecord* record, void* buffer, int32_t mode);

// Owned by the host (inside its plug-in slot); an entry left zero is not provided.
struct PluginRecord {
    void* pluginModule;                    // host: the loaded library's module handle
    void* hostContext;                     // host: passed back to every host call-back
    HostAudioOpenFn HostAudioOpen;         // host
    HostAudioWriteFn HostAudioWrite;       // host
    HostAudioCloseFn HostAudioClose;       // host
    int32_t reserved20;                    // host: kHostFlag... bits, zero from an older host
    int32_t reserved24;                    // the plug-in stores 0; never read
    PluginOpenFileFn OpenFile;             // plug-in
    PluginRecordFn CloseFile;              // plug-in
    PluginRecordFn Start;                  // plug-in
    PluginRecordFn Stop;                   // plug-in: also closes the host's audio output
    PluginSeekFn Seek;                     // plug-in
    PluginGetFileInfoFn GetFileInfo;       // plug-in
    PluginRecordFn OnButton;               // plug-in, optional
    PluginRecordFn IsPlaying;              // plug-in, optional, needs kPluginFlagOptionalEntries
    PluginSetVolumeFn SetVolume;           // plug-in, optional, needs kPluginFlagOptionalEntries
    int32_t reserved64;                    // zero, unused
    PluginGetVisualDataFn GetVisualData;   // plug-in, optional, needs kPluginFlagOptionalEntries
    void* pluginState;                     // plug-in: its private state; the host never touches it
};

// Returned by Query as a pointer to a static record; the host copies it, so the texts it points
// to must live as long as the library (which is never unloaded).
struct PluginDescription {
    int32_t spare0;
    const char* title;       // display name
    const char* author;
    const char* notice;
    int32_t spare16;
    // Extensions without the dot, each NUL-terminated, the list ended by an empty string.
    const char* extensions;
    int32_t spare24;
    int32_t flags;           // kPluginFlag... bits
    int32_t spare32;
};

// Owned by the host, filled by GetFileInfo. -1 in a length or position: no such value.
struct PluginFileInfo {
    int32_t fileType;
    const char* title;       // copied by the host, at most 2048 characters
    int32_t lengthA;
    int32_t positionA;
    int32_t lengthB;
    int32_t positionB;
};

// Exports, bound by name.
typedef const PluginDescription* (*PluginQueryFn)(void);
typedef int32_t (*PluginInitialiseFn)(PluginRecord* record);
typedef int32_t (*PluginShutdownFn)(PluginRecord* record);
typedef int32_t (*PluginConfigureFn)(void);

}  // extern "C"

inline constexpr const char kQueryExport[] = "Query";
inline constexpr const char kInitialiseExport[] = "Initialise";
inline constexpr const char kShutdownExport[] = "Shutdown";
inline constexpr const char kConfigureExport[] = "Configure";

// The host calls IsPlaying, SetVolume and GetVisualData only when the description sets this bit.
inline constexpr int32_t kPluginFlagOptionalEntries = 2;
// The plug-in answers GetFileInfo's title in UTF-8 when the host sets kHostFlagUtf8Titles.
inline constexpr int32_t kPluginFlagUtf8Titles = 4;

// Host flags, in the record's reserved20. The host sets them before Initialise and may change
// the ReplayGain bits between songs (on the thread that calls OpenFile); a plug-in reads them when
// it opens a song. An older host leaves the field zero and an older plug-in never reads it, so
// either side keeps working with the other unchanged.
// The host reads titles as UTF-8 (when the description also sets kPluginFlagUtf8Titles);
// otherwise titles are 8-bit text in the system code page.
inline constexpr int32_t kHostFlagUtf8Titles = 1;
// Bits 1 and 2: the ReplayGain the host asks for, one of kReplayGain... below.
inline constexpr int32_t kHostFlagReplayGainShift = 1;
inline constexpr int32_t kHostFlagReplayGainMask = 3 << kHostFlagReplayGainShift;
inline constexpr int32_t kReplayGainOff = 0;
inline constexpr int32_t kReplayGainTrack = 1;
inline constexpr int32_t kReplayGainAlbum = 2;
// Bit 3: the host's draining HostAudioClose returns at once, and the queued audio plays out
// while the host opens the next song behind it; a seek in the song's last moments reaches the
// plug-in as a new start of the song. A plug-in should then close with draining as soon as its
// last block is written, not wait for the audio itself. An older host drains inside the call.
inline constexpr int32_t kHostFlagPlaysOutAfterClose = 1 << 3;
inline constexpr int32_t kNoFileInfoValue = -1;
inline constexpr int32_t kSeekFormA = 2;
inline constexpr int32_t kSeekFormB = 1;
inline constexpr int kVisualDataBytes = 2304;   // four blocks of 576 signed 8-bit values
inline constexpr int kPluginPathChars = 2048;   // paths and titles, terminating zero included

#if defined(_WIN32) && !defined(_WIN64)
// The layouts both sides of a 32-bit plug-in boundary rely on.
static_assert(sizeof(PluginRecord) == 76, "PluginRecord is 76 bytes");
static_assert(offsetof(PluginRecord, pluginModule) == 0);
static_assert(offsetof(PluginRecord, hostContext) == 4);
static_assert(offsetof(PluginRecord, HostAudioOpen) == 8);
static_assert(offsetof(PluginRecord, HostAudioWrite) == 12);
static_assert(offsetof(PluginRecord, HostAudioClose) == 16);
static_assert(offsetof(PluginRecord, reserved20) == 20);
static_assert(offsetof(PluginRecord, reserved24) == 24);
static_assert(offsetof(PluginRecord, OpenFile) == 28);
static_assert(offsetof(PluginRecord, CloseFile) == 32);
static_assert(offsetof(PluginRecord, Start) == 36);
static_assert(offsetof(PluginRecord, Stop) == 40);
static_assert(offsetof(PluginRecord, Seek) == 44);
static_assert(offsetof(PluginRecord, GetFileInfo) == 48);
static_assert(offsetof(PluginRecord, OnButton) == 52);
static_assert(offsetof(PluginRecord, IsPlaying) == 56);
static_assert(offsetof(PluginRecord, SetVolume) == 60);
static_assert(offsetof(PluginRecord, reserved64) == 64);
static_assert(offsetof(PluginRecord, GetVisualData) == 68);
static_assert(offsetof(PluginRecord, pluginState) == 72);

static_assert(sizeof(PluginDescription) == 36, "PluginDescription is 36 bytes");
static_assert(offsetof(PluginDescription, spare0) == 0);
static_assert(offsetof(PluginDescription, title) == 4);
static_assert(offsetof(PluginDescription, author) == 8);
static_assert(offsetof(PluginDescription, notice) == 12);
static_assert(offsetof(PluginDescription, spare16) == 16);
static_assert(offsetof(PluginDescription, extensions) == 20);
static_assert(offsetof(PluginDescription, spare24) == 24);
static_assert(offsetof(PluginDescription, flags) == 28);
static_assert(offsetof(PluginDescription, spare32) == 32);

static_assert(sizeof(PluginFileInfo) == 24, "PluginFileInfo is 24 bytes");
static_assert(offsetof(PluginFileInfo, fileType) == 0);
static_assert(offsetof(PluginFileInfo, title) == 4);
static_assert(offsetof(PluginFileInfo, lengthA) == 8);
static_assert(offsetof(PluginFileInfo, positionA) == 12);
static_assert(offsetof(PluginFileInfo, lengthB) == 16);
static_assert(offsetof(PluginFileInfo, positionB) == 20);
#endif
