// The Fluxdec plug-in's private state: one fixed block per PluginRecord, allocated with
// GlobalAlloc in Initialise and freed in Shutdown. Windows side only.
#pragma once

#include <windows.h>

#include "plugins/api/PluginApi.h"
#include "plugins/fluxdec/core/Fluxdec.h"

namespace fluxdec {

// The host drives one record from two threads (its window thread, and its paint thread when a
// song ends), so OpenFile, CloseFile, Start and Stop take `lock` around ending the decoder thread
// and closing the handles: otherwise both could pass the "thread running" test and close the
// same handle twice. The decoder thread never takes `lock`: Stop waits for it while holding it.
struct PluginState {
    char path[kPluginPathChars];   // the song's path, NUL-terminated; guarded by lock
    HANDLE threadHandle;           // owned: the decoder thread, or nullptr; guarded by lock
    DWORD threadId;                // guarded by lock
    // Set by Stop (host thread), read by the decoder thread once per frame: the thread then ends
    // without touching the host's output, which Stop closes.
    volatile LONG stopRequested;
    HANDLE file;                   // owned: the song file, INVALID_HANDLE_VALUE when none;
                                   // changed under lock, read by the decoder thread it outlives
    Decoder decoder;               // frame header, stream reader and every decoding array
    int16_t pcm[kMaxFrameSamples]; // one frame of PCM, handed to HostAudioWrite
    CRITICAL_SECTION lock;         // owned: initialised in Initialise, deleted in Shutdown
};

// The decoder thread (DecoderThread.cpp); its parameter is the PluginRecord.
DWORD WINAPI DecoderThreadMain(LPVOID record);

}  // namespace fluxdec
