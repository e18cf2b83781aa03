// The Fluxdec plug-in's exports and record entries. The host binds Query, Initialise,
// Shutdown and Configure by name (undecorated cdecl), then drives the song through the entries
// Initialise stores in its PluginRecord.
#include <cstring>

#include "plugins/fluxdec/win32/PluginState.h"

using fluxdec::PluginState;

namespace {

const char kTitle[] = "Corvane - Fluxdec Player";
const char kAuthor[] = "The Corvane developers";
const char kNotice[] = "MPEG audio Layer III decoder (ISO/IEC 11172-3, 13818-3 LSF)";
const char kExtensions[] = "mp3\0";  // "mp3", NUL, and the list's closing NUL

const PluginDescription kDescription = {0, kTitle, kAuthor, kNotice, 5, kExtensions, 5, 0, 0};

const char kFileTitle[] = "A WAVE FILE";

// A stop request wait: the thread sees the request at its next frame, at the latest when the
// host's blocking HostAudioWrite returns (one audio buffer's time). Termination is the last resort.
constexpr DWORD kStopWaitMs = 1000;

PluginState* StateOf(PluginRecord* record) {
    return record ? static_cast<PluginState*>(record->pluginState) : nullptr;
}

// Holds the state's lock for one entry.
class StateLock {
public:
    explicit StateLock(PluginState* state) : state_(state) { EnterCriticalSection(&state_->lock); }
    ~StateLock() { LeaveCriticalSection(&state_->lock); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    PluginState* state_;  // borrowed
};

// Ends the decoder thread, if any: asks it to stop, waits, and terminates it only after the wait.
// Under the state's lock.
void EndThread(PluginState* state) {
    if (!state->threadHandle) return;
    InterlockedExchange(&state->stopRequested, 1);
    if (WaitForSingleObject(state->threadHandle, kStopWaitMs) == WAIT_TIMEOUT)
        TerminateThread(state->threadHandle, 0);
    CloseHandle(state->threadHandle);
    state->threadHandle = nullptr;
    state->threadId = 0;
}

// Under the state's lock, or when no other thread can reach the state any more.
void CloseSong(PluginState* state) {
    if (state->file != INVALID_HANDLE_VALUE) {
        CloseHandle(state->file);
        state->file = INVALID_HANDLE_VALUE;
    }
}

int32_t OpenFileEntry(PluginRecord* record, const char* path) {
    PluginState* state = StateOf(record);
    if (!state || !path) return 0;
    StateLock held(state);
    // A song still playing on this record is ended first; it must not read a closed handle.
    EndThread(state);
    CloseSong(state);
    std::strncpy(state->path, path, kPluginPathChars - 1);  // paths of 2048+ characters are cut
    state->path[kPluginPathChars - 1] = '\0';
    state->file = CreateFileA(state->path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return state->file != INVALID_HANDLE_VALUE ? 1 : 0;
}

int32_t CloseFileEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    if (state) {
        StateLock held(state);
        EndThread(state);  // never close the handle under a running thread
        CloseSong(state);
    }
    return 1;
}

int32_t StartEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    if (!state) return 1;
    StateLock held(state);
    EndThread(state);
    if (state->file != INVALID_HANDLE_VALUE) SetFilePointer(state->file, 0, nullptr, FILE_BEGIN);
    state->stopRequested = 0;
    state->threadHandle = CreateThread(nullptr, 0, fluxdec::DecoderThreadMain, record, 0, &state->threadId);
    return 1;  // also when the thread could not be created
}

int32_t StopEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    if (!state) {
        return (record && record->HostAudioClose) ? record->HostAudioClose(record->hostContext, 1) : 0;
    }
    // The output is closed under the lock too, so that a Start on another thread cannot open
    // the next song's output in between and have this close cut it off. The host's immediate
    // close waits for nothing the lock's holders or the (ended) decoder thread hold.
    StateLock held(state);
    EndThread(state);
    return record->HostAudioClose ? record->HostAudioClose(record->hostContext, 1) : 0;
}

int32_t SeekEntry(PluginRecord*, int32_t, int32_t) { return 1; }

int32_t GetFileInfoEntry(PluginRecord*, PluginFileInfo* info) {
    if (!info) return 0;
    info->fileType = 0;
    info->title = kFileTitle;
    info->lengthA = kNoFileInfoValue;
    info->positionA = kNoFileInfoValue;
    info->lengthB = kNoFileInfoValue;
    info->positionB = kNoFileInfoValue;
    return 1;
}

}  // namespace

extern "C" {

__declspec(dllexport) const PluginDescription* Query(void) { return &kDescription; }

__declspec(dllexport) int32_t Initialise(PluginRecord* record) {
    if (!record) return 0;
    // The tables are constants generated at build time: nothing to build, and nothing that a second
    // Initialise could scale twice.
    record->reserved24 = 0;
    record->OpenFile = OpenFileEntry;
    record->CloseFile = CloseFileEntry;
    record->Start = StartEntry;
    record->Stop = StopEntry;
    record->Seek = SeekEntry;
    record->GetFileInfo = GetFileInfoEntry;
    PluginState* state = static_cast<PluginState*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(PluginState)));
    if (state) {
        state->file = INVALID_HANDLE_VALUE;
        state->threadHandle = nullptr;
        InitializeCriticalSection(&state->lock);
    }
    record->pluginState = state;  // without memory every entry does nothing and OpenFile fails
    return 1;
}

__declspec(dllexport) int32_t Shutdown(PluginRecord* record) {
    if (!record) return 1;
    if (record->Stop) record->Stop(record);
    if (PluginState* state = StateOf(record)) {
        CloseSong(state);
        DeleteCriticalSection(&state->lock);
        GlobalFree(state);
        record->pluginState = nullptr;
    }
    return 1;
}

__declspec(dllexport) int32_t Configure(void) { return 1; }

}  // extern "C"
