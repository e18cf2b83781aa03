// The Fluxdec plug-in's private state: one fixed block per PluginRecord, allocated with
// GlobalAlloc in Initialise and freed in Shutdown. Windows side only.
#pragma once

#include <windows.h>

#include "plugins/api/PluginApi.h"
#include "plugins/fluxdec/core/Fluxdec.h"

namespace fluxdec {

struct PluginState {
    char path[kPluginPathChars];   // the song's path, NUL-terminated
    HANDLE threadHandle;           // owned: the decoder thread, or nullptr
    DWORD threadId;
    // Set by Stop (host thread), read by the decoder thread once per frame: the thread then ends
    // without touching the host's output, which Stop closes.
    volatile LONG stopRequested;
    HANDLE file;                   // owned: the song file, INVALID_HANDLE_VALUE when none
    Decoder decoder;               // frame header, stream reader and every decoding array
    int16_t pcm[kMaxFrameSamples]; // one frame of PCM, handed to HostAudioWrite
};

// The decoder thread (DecoderThread.cpp); its parameter is the PluginRecord.
DWORD WINAPI DecoderThreadMain(LPVOID record);

}  // namespace fluxdec
