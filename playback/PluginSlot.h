// The host's side of one decoder plug-in library: loads it, hands it the record with the host's
// audio call-backs, keeps a copy of its description, and wraps every record entry in a guarded
// operation.
//
// A guarded operation returns its failure value (0, or -1 for GetPosition and GetLength) without
// calling anything when the slot is not loaded or the plug-in left the entry it needs zero.
// Threads: everything runs on the UI thread except GetPosition and GetLength, which the paint
// thread calls too; they only read `loaded`, `infoValid` and `info` and call GetFileInfo. No lock.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugins/api/PluginApi.h"

class PluginSlot {
public:
    PluginSlot();
    // Releases the slot's memory only: the library stays loaded and Shutdown is never called,
    // because the plug-in may still hold a pointer to `record`.
    virtual ~PluginSlot() = default;

    // The plug-in keeps a pointer to `record` (and `hostContext` is the slot's address).
    PluginSlot(const PluginSlot&) = delete;
    PluginSlot& operator=(const PluginSlot&) = delete;

    // Loads the library by `fileName` (a bare name is found in the program's folder), binds
    // "Query", "Initialise", "Shutdown" and "Configure", fills the record, calls Initialise and
    // copies Query's description. A library that does not load: silent. One that lacks an
    // export: the message box "Unable To Load Plugin!!" / "Error!". Returns `loaded`. A slot
    // loads once: a second call returns at once.
    int32_t Load(const char* fileName);

    // 1 when the text after the last '.' of `fileName` is in the plug-in's extension list,
    // without regard to letter case; 0 when not loaded.
    int32_t MatchesExtension(const char* fileName) const;

    // The song's title, at most `maxLength` characters with the terminating zero, when the
    // info fetched at Start is valid and has one; else null and nothing copied.
    char* CopyTitle(char* destination, int32_t maxLength) const;
    // 1 when the titles CopyTitle gives are UTF-8 (the plug-in answered the host's
    // kHostFlagUtf8Titles with kPluginFlagUtf8Titles); 0 when they are in the system code page.
    int32_t TitlesInUtf8() const;

    // The ReplayGain the plug-in applies to the songs it opens from now on (kReplayGainOff,
    // kReplayGainTrack or kReplayGainAlbum; anything else is off), in the record's host flags.
    void SetReplayGain(int32_t mode);
    int32_t OpenFile(const char* path);
    // Starts playback and fetches the song's info; `infoValid` tells whether that succeeded.
    // A failed Start leaves `infoValid` as it was.
    int32_t Start();
    // Position and length in the plug-in's first form when it gives a length in it, else in the
    // second; -1 when there is none.
    int32_t GetPosition();
    int32_t GetLength();
    // Stop, then CloseFile; 1 when loaded. The song's info is no longer valid afterwards.
    int32_t StopAndClose();
    int32_t PressButton();
    // These three need kPluginFlagOptionalEntries in the description.
    int32_t SetVolume(int32_t volume);
    int32_t IsPlaying();
    int32_t GetVisualData(void* buffer, int32_t mode);
    // In the second form when the last fetched length has no first form; needs `infoValid`.
    int32_t Seek(int32_t position);

    PluginRecord record;          // shared with the plug-in for the life of the program
    HMODULE module;               // the library; never freed
    PluginFileInfo info;          // filled by the plug-in's GetFileInfo
    int32_t infoValid;            // `info` was filled when the song started; cleared when it stops
    int32_t loaded;               // the exports were bound and Initialise was called
    PluginDescription description;
    PluginQueryFn query;
    PluginInitialiseFn initialise;
    PluginShutdownFn shutdown;
    PluginConfigureFn configure;

private:
    bool HasOptionalEntries() const;
    // Calls GetFileInfo again while the song's info is valid; false when it could not.
    bool RefreshInfo();
};
