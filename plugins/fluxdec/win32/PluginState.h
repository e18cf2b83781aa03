// The Fluxdec plug-in's private state: one block per PluginRecord, made in Initialise and
// deleted in Shutdown (value-initialised: what has no initialiser below starts as zero). Windows
// side only.
#pragma once

#include <windows.h>

#include <climits>

#include "plugins/api/PluginApi.h"
#include "plugins/fluxdec/core/Song.h"
#include "plugins/fluxdec/output/VisualHistory.h"
#include "plugins/fluxdec/output/Volume.h"
#include "plugins/fluxdec/win32/HeardClock.h"

namespace fluxdec {

// No seek is waiting for the decoder thread.
inline constexpr LONG kNoSeek = -1;

// The host drives one record from two threads (its window thread, and its paint thread when a
// song ends), so OpenFile, CloseFile, Start and Stop take `lock` around ending the decoder thread
// and closing the handles: otherwise both could pass the "thread running" test and close the
// same handle twice. The decoder thread never takes `lock`: Stop waits for it while holding it.
//
// While a decoder thread runs it alone touches `song`, `file` and `clock`; every entry that
// changes them ends the thread first. What other threads read while it runs (the position, the
// playing flag) are single LONGs written and read with interlocked operations.
struct PluginState {
    char path[kPluginPathChars];   // the song's path, NUL-terminated; guarded by lock
    HANDLE threadHandle;           // owned: the decoder thread, or nullptr; guarded by lock
    DWORD threadId;                // guarded by lock
    // Set by Stop (host thread), read by the decoder thread once per frame: the thread then ends
    // without touching the host's output, which Stop closes.
    volatile LONG stopRequested;
    HANDLE file = INVALID_HANDLE_VALUE;  // owned: the song file, INVALID_HANDLE_VALUE when none;
                                         // closed by the decoder thread once the song played out
    Song song;                     // the song's decoder, seek table and gapless trimming
    bool songOpen;                 // OpenSong found a frame; guarded as `song`
    int16_t pcm[kMaxFrameSamples]; // one frame of PCM, handed to HostAudioWrite
    HeardClock clock;              // the decoder thread's record of what the host still queues

    // The song's title from its tags (else its file name), in printable ASCII: read once by
    // OpenFile, only copied by GetFileInfo. Written under lock while no song plays; a fixed array,
    // so that a reader that meets a new title mid-copy still reads within it.
    char title[kPluginPathChars];
    // The knob's volume, set by the host at any time and kept from song to song; the decoder
    // thread scales every block by it.
    VolumeControl volume;
    // The granules being heard, for the scopes: pushed by the decoder thread, read by the host's
    // paint thread.
    VisualHistory visual;

    // The song's length in both of the info's forms (milliseconds; samples per channel), -1
    // without a song: set by OpenFile (an estimate until the scan ends), and by the decoder
    // thread when its scan has ended.
    LONG lengthMs = kNoFileInfoValue;
    LONG lengthSamples = kNoFileInfoValue;
    // Written by the decoder thread, read by GetFileInfo on any thread.
    volatile LONG heardMs;         // the position being heard, never past lengthMs while playing
    volatile LONG heardSamples;
    volatile LONG playing;         // from Start until the drained close has returned, or Stop
    volatile LONG playedOut;       // the drained close has returned: the song is over
    // A seek waiting for the decoder thread: the host's window thread stores it, the decoder
    // thread takes it before its next frame. kNoSeek when none.
    volatile LONG seekPosition = kNoSeek;
    volatile LONG seekForm;        // kSeekFormA (milliseconds) or kSeekFormB (samples)

    CRITICAL_SECTION lock;         // owned: initialised in Initialise, deleted in Shutdown
};

// The decoder thread (DecoderThread.cpp); its parameter is the PluginRecord.
DWORD WINAPI DecoderThreadMain(LPVOID record);

// Sets lengthMs and lengthSamples from the open song (0 without one). A length as the info carries
// it: a song of more than 2^31 samples (13 hours at 44.1 kHz) is cut one short of the largest
// value, so that "one past the length" still fits.
inline void PublishLength(PluginState* state) {
    const SongInfo* song = state->songOpen ? &SongInfoOf(&state->song) : nullptr;
    const auto infoValue = [](int64_t value) {
        return LONG(value < int64_t(LONG_MAX) - 1 ? value : int64_t(LONG_MAX) - 1);
    };
    InterlockedExchange(&state->lengthMs, song ? infoValue(song->lengthMs) : 0);
    InterlockedExchange(&state->lengthSamples, song ? infoValue(song->samples) : 0);
}

}  // namespace fluxdec
