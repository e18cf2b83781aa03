// The decoder thread: decodes the open song block by block and hands the PCM to the host with
// HostAudioWrite, which blocks while the host's buffers are full and so paces the thread.
//
// It opens the host's output at the first block and again after every change of format (a
// drained close first, so that the end of the old format plays at its own rate), carries out
// seeks handed over by the host's window thread (the queued audio of the old place is discarded
// at once, so the new place is heard within a block or two), publishes the position being heard
// after every block and the exact length once the song layer's scan (run a piece per block) has
// ended, and at the end of the song lets the queued audio play out, closes the file and tells
// the host the song is over. While the queued audio plays out, a seek is still carried out (the
// knob dragged back in the song's last moments) and a stop still seen, every 10 ms. A stop
// request is seen once per block and ends the thread without touching the host's output, which
// Stop then closes at once.
#include "plugins/fluxdec/win32/PluginState.h"

namespace fluxdec {
namespace {

// The host's output as the thread sees it: open or not, and in which format.
class HostOutput {
public:
    explicit HostOutput(PluginRecord* record) : record_(record) {}

    // Opens the output for blocks of this format; an output open in another format is drained
    // and closed first.
    void EnsureFormat(int32_t sampleRate, int32_t channels) {
        if (open_ && sampleRate == sampleRate_ && channels == channels_) return;
        if (open_) Close(0);
        if (record_->HostAudioOpen) record_->HostAudioOpen(record_->hostContext, sampleRate, channels, 0);
        open_ = true;
        sampleRate_ = sampleRate;
        channels_ = channels;
    }

    void Write(const int16_t* pcm, int32_t samples) {
        if (record_->HostAudioWrite)
            record_->HostAudioWrite(record_->hostContext, samples * 2, pcm, 0);
    }

    // Throws the queued audio away (a seek): closes at once.
    void Discard() {
        if (open_) Close(1);
    }

    // The end of the song: the queued audio plays out before the close returns. Called also when
    // nothing was ever opened, so that the host always learns that the song has ended.
    void Drain() { Close(0); }

private:
    void Close(int32_t immediate) {
        if (record_->HostAudioClose) record_->HostAudioClose(record_->hostContext, immediate);
        open_ = false;
    }

    PluginRecord* record_;  // borrowed
    bool open_ = false;
    int32_t sampleRate_ = 0;
    int32_t channels_ = 0;
};

LONG ClampToLong(int64_t value, int64_t most) {
    if (value < 0) return 0;
    return LONG(value < most ? value : most);
}

// While the song plays, the position never passes its length: a position past the length is
// how the host learns that the song is over.
void PublishPosition(PluginState* state) {
    InterlockedExchange(&state->heardMs, ClampToLong(state->clock.HeardMs(), state->lengthMs));
    InterlockedExchange(&state->heardSamples, ClampToLong(state->clock.HeardSample(), state->lengthSamples));
}

void RestartClock(PluginState* state) {
    state->clock.Reset(SongPositionMs(&state->song), SongPositionSamples(&state->song));
    PublishPosition(state);
}

// Carries out a seek that the host handed over, if any. The form is read after the position:
// two seeks in quick succession in different forms could pair one's position with the other's
// form, which no host does (it seeks in the one form its length is given in).
void TakeSeek(PluginState* state, HostOutput* output) {
    const LONG position = InterlockedExchange(&state->seekPosition, kNoSeek);
    if (position == kNoSeek) return;
    output->Discard();
    state->visual.Clear();  // what the scopes held was never heard
    if (state->seekForm == kSeekFormB)
        SeekSongToSample(&state->song, position);
    else
        SeekSongToMs(&state->song, position);
    RestartClock(state);
}

// The scopes show the last granule of each frame: its lines are still in the decoder's spectrum,
// its samples are the block's last 576 per channel (a block shortened by gapless trimming or a
// seek may hold fewer: it is left out).
void PushToScopes(PluginState* state, int32_t samplesPerChannel, int32_t channels) {
    if (samplesPerChannel < kGranuleLines) return;
    const int16_t* lastGranule = state->pcm + (samplesPerChannel - kGranuleLines) * channels;
    state->visual.Push(state->song.decoder.spectrum, lastGranule, channels);
}

// Decodes and writes blocks until the song ends or a stop is requested.
void PlayBlocks(PluginState* state, HostOutput* output) {
    FrameInfo info{};
    bool scanned = SongInfoOf(&state->song).scanned;
    while (state->songOpen && !state->stopRequested) {
        TakeSeek(state, output);
        const int64_t blockMs = SongPositionMs(&state->song);
        const int64_t blockSample = SongPositionSamples(&state->song);
        int32_t samplesPerChannel = 0;
        const Status status = DecodeSongBlock(&state->song, state->pcm, &info, &samplesPerChannel);
        if (!scanned && SongInfoOf(&state->song).scanned) {
            scanned = true;
            PublishLength(state);
        }
        if (IsEndOfStream(status)) break;
        const int32_t channels = info.channels;
        output->EnsureFormat(info.sampleRate, channels);
        if (state->stopRequested) break;
        // A frame the reservoir could not decode is silence, and its lines are the last frame's.
        if (status == Status::kFrame) PushToScopes(state, samplesPerChannel, channels);
        state->volume.Apply(state->pcm, samplesPerChannel, channels);
        output->Write(state->pcm, samplesPerChannel * channels);
        state->clock.Queued(blockMs, blockSample);
        PublishPosition(state);
    }
}

// Waits while the queued audio plays out (the time from the block being heard to the song's
// end), looking for a seek or a stop every 10 ms; true when a seek came.
bool SeekWhileQueuedAudioPlays(PluginState* state) {
    const int64_t queuedMs = SongPositionMs(&state->song) - state->clock.HeardMs();
    const DWORD start = GetTickCount();
    while (!state->stopRequested && int64_t(GetTickCount() - start) < queuedMs) {
        if (state->seekPosition != kNoSeek) return true;
        Sleep(10);
    }
    return !state->stopRequested && state->seekPosition != kNoSeek;
}

}  // namespace

DWORD WINAPI DecoderThreadMain(LPVOID param) {
    PluginRecord* record = static_cast<PluginRecord*>(param);
    PluginState* state = static_cast<PluginState*>(record->pluginState);
    HostOutput output(record);
    RestartClock(state);
    state->visual.Clear();
    // Nothing below throws (the song layer's tables are bounded and never raise); should anything
    // do so, the song ends here rather than the host's process.
    try {
        do {
            PlayBlocks(state, &output);
        } while (state->songOpen && !state->stopRequested && SeekWhileQueuedAudioPlays(state));
    } catch (...) {
    }
    if (!state->stopRequested) {
        output.Drain();
        // The song has played out: the file is free for the user to move or delete now, not only
        // when the next song opens. Every entry that touches `file` ends this thread first.
        if (state->file != INVALID_HANDLE_VALUE) CloseHandle(state->file);
        state->file = INVALID_HANDLE_VALUE;
        InterlockedExchange(&state->playedOut, 1);
    }
    state->visual.Clear();
    InterlockedExchange(&state->playing, 0);
    return 0;
}

}  // namespace fluxdec
