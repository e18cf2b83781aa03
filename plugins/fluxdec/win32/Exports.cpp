// The Fluxdec plug-in's exports and record entries. The host binds Query, Initialise,
// Shutdown and Configure by name (undecorated cdecl), then drives the song through the entries
// Initialise stores in its PluginRecord.
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "plugins/fluxdec/tags/SongTitle.h"
#include "plugins/fluxdec/win32/PluginState.h"

using namespace fluxdec;

namespace {

const char kTitle[] = "Corvane - Fluxdec Player";
const char kAuthor[] = "The Corvane developers";
const char kNotice[] = "MPEG audio Layer III decoder (ISO/IEC 11172-3, 13818-3 LSF)";
const char kExtensions[] = "mp3\0";  // "mp3", NUL, and the list's closing NUL

// The plug-in provides the optional entries IsPlaying, SetVolume and GetVisualData, and answers
// titles in UTF-8 to a host that sets kHostFlagUtf8Titles.
const PluginDescription kDescription = {0, kTitle, kAuthor, kNotice, 5, kExtensions, 5,
                                        kPluginFlagOptionalEntries | kPluginFlagUtf8Titles, 0};

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
    InterlockedExchange(&state->playing, 0);
}

int32_t ReadSongFile(void* context, void* buffer, int32_t bytes) {
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(context), buffer, DWORD(bytes), &got, nullptr)) return -1;
    return int32_t(got);
}

bool SeekSongFile(void* context, int64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(static_cast<HANDLE>(context), to, nullptr, FILE_BEGIN) != 0;
}

// Under the state's lock, with no decoder thread, or when no other thread can reach the state.
void CloseSongFile(PluginState* state) {
    if (state->songOpen) CloseSong(&state->song);
    state->songOpen = false;
    if (state->file != INVALID_HANDLE_VALUE) {
        CloseHandle(state->file);
        state->file = INVALID_HANDLE_VALUE;
    }
    InterlockedExchange(&state->lengthMs, kNoFileInfoValue);
    InterlockedExchange(&state->lengthSamples, kNoFileInfoValue);
}

// Opens `state->path` and reads what sounding needs: the title, the first frame and its tag (the
// scan of the rest runs on the decoder thread, so the host's lock is held for milliseconds
// whatever the file's size). The file is shared for deleting and renaming, so that the user can
// move a playing song. Under the state's lock, with no decoder thread. An exception (memory
// running out in the title's reader) refuses the song: none crosses the plug-in's entries.
bool OpenSongFile(PluginState* state) {
    CloseSongFile(state);
    state->file = CreateFileA(state->path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (state->file == INVALID_HANDLE_VALUE) return false;
    SongTags tags;
    try {
        tags = ReadSongTags(state->path, state->utf8Titles ? TitleText::utf8 : TitleText::ascii);
        std::strncpy(state->title, tags.title.c_str(), kPluginPathChars - 1);
    } catch (...) {
        CloseSongFile(state);
        return false;
    }
    LARGE_INTEGER size;
    SongInput input{ReadSongFile, SeekSongFile, state->file};
    if (GetFileSizeEx(state->file, &size)) input.size = size.QuadPart;
    // A file without a single frame still opens: it plays as nothing and ends at once.
    state->songOpen = OpenSong(&state->song, input);
    if (state->songOpen) {
        const ReplayGainChoice gain =
            ChooseSongReplayGain(tags, SongInfoOf(&state->song).lameGain, state->replayGain);
        SetSongOutputScale(&state->song, gain.scale);
    }
    PublishLength(state);
    InterlockedExchange(&state->heardMs, 0);
    InterlockedExchange(&state->heardSamples, 0);
    InterlockedExchange(&state->playedOut, 0);
    return true;
}

int32_t OpenFileEntry(PluginRecord* record, const char* path) {
    PluginState* state = StateOf(record);
    if (!state || !path) return 0;
    StateLock held(state);
    // A song still playing on this record is ended first; it must not read a closed handle.
    EndThread(state);
    InterlockedExchange(&state->seekPosition, kNoSeek);
    std::strncpy(state->path, path, kPluginPathChars - 1);  // paths of 2048+ characters are cut
    state->path[kPluginPathChars - 1] = '\0';
    // The host's flags are read when a song opens: a host may set them after Initialise. Its
    // ReplayGain choice at this open holds for the song (also when it is started again).
    state->utf8Titles = (record->reserved20 & kHostFlagUtf8Titles) != 0;
    state->replayGain = ReplayGainModeFromBits((record->reserved20 & kHostFlagReplayGainMask) >>
                                               kHostFlagReplayGainShift);
    return OpenSongFile(state) ? 1 : 0;
}

int32_t CloseFileEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    if (state) {
        StateLock held(state);
        EndThread(state);  // never close the handle under a running thread
        CloseSongFile(state);
    }
    return 1;
}

// Plays the open song from its start, or from a place that a seek before the start asked for.
int32_t StartEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    if (!state) return 1;
    StateLock held(state);
    EndThread(state);
    // A song that has played out has closed its file: a new start reads it again.
    if (state->file == INVALID_HANDLE_VALUE && state->path[0]) OpenSongFile(state);
    if (state->songOpen) SeekSongToSample(&state->song, 0);
    InterlockedExchange(&state->playedOut, 0);
    state->stopRequested = 0;
    InterlockedExchange(&state->playing, 1);
    state->threadHandle = CreateThread(nullptr, 0, fluxdec::DecoderThreadMain, record, 0, &state->threadId);
    if (!state->threadHandle) InterlockedExchange(&state->playing, 0);
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
    state->visual.Clear();  // a thread that had to be terminated did not clear it
    return record->HostAudioClose ? record->HostAudioClose(record->hostContext, 1) : 0;
}

// Hands the seek to the decoder thread, which carries it out before its next block: the thread
// owns the song's decoder, and stopping and restarting it would cost a gap of its own.
int32_t SeekEntry(PluginRecord* record, int32_t position, int32_t form) {
    PluginState* state = StateOf(record);
    if (!state || position < 0 || (form != kSeekFormA && form != kSeekFormB)) return 0;
    InterlockedExchange(&state->seekForm, form);
    InterlockedExchange(&state->seekPosition, position);
    return 1;
}

// Runs on the host's paint thread many times a second: it only copies.
int32_t GetFileInfoEntry(PluginRecord* record, PluginFileInfo* info) {
    if (!info) return 0;
    info->fileType = 0;
    PluginState* state = StateOf(record);
    info->title = state ? state->title : "";
    info->lengthA = kNoFileInfoValue;
    info->positionA = kNoFileInfoValue;
    info->lengthB = kNoFileInfoValue;
    info->positionB = kNoFileInfoValue;
    if (!state || state->lengthMs == kNoFileInfoValue) return 1;
    // Once the song has played out its position lies past its length: the host's sign to move on.
    const bool over = state->playedOut != 0;
    info->lengthA = state->lengthMs;
    info->positionA = over ? state->lengthMs + 1 : state->heardMs;
    info->lengthB = state->lengthSamples;
    info->positionB = over ? state->lengthSamples + 1 : state->heardSamples;
    return 1;
}

// Left volume in the low 16 bits, right in the high: heard from the next block the thread
// writes, and kept for the songs that follow.
int32_t SetVolumeEntry(PluginRecord* record, int32_t volume) {
    PluginState* state = StateOf(record);
    if (!state) return 0;
    state->volume.Set(uint32_t(volume));
    return 1;
}

// 1 with the granule being heard in `buffer`; 0 and the buffer untouched while there is nothing
// new to show (stopped, paused, silence), so that the player's idle rule lets the scopes rest.
int32_t GetVisualDataEntry(PluginRecord* record, void* buffer, int32_t) {
    PluginState* state = StateOf(record);
    if (!state || !buffer) return 0;
    return state->visual.Read(static_cast<int8_t*>(buffer)) ? 1 : 0;
}

int32_t IsPlayingEntry(PluginRecord* record) {
    PluginState* state = StateOf(record);
    return state && state->playing ? 1 : 0;
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
    record->IsPlaying = IsPlayingEntry;
    record->SetVolume = SetVolumeEntry;
    record->GetVisualData = GetVisualDataEntry;
    PluginState* state = new (std::nothrow) PluginState{};
    if (state) InitializeCriticalSection(&state->lock);
    record->pluginState = state;  // without memory every entry does nothing and OpenFile fails
    return 1;
}

__declspec(dllexport) int32_t Shutdown(PluginRecord* record) {
    if (!record) return 1;
    if (record->Stop) record->Stop(record);
    if (PluginState* state = StateOf(record)) {
        CloseSongFile(state);
        DeleteCriticalSection(&state->lock);
        delete state;
        record->pluginState = nullptr;
    }
    return 1;
}

__declspec(dllexport) int32_t Configure(void) { return 1; }

}  // extern "C"
