// The decoder thread: reads the open song frame by frame, decodes each frame and hands
// its PCM to the host with HostAudioWrite, which blocks while the host's buffers are full and so
// paces the thread. Opens the host's output at the first frame and closes it (letting the queued
// audio play out) at the end of the stream.
//
// MPEG-2 LSF frames are written too (576 samples per channel); frames skipped by the
// reservoir are written as silence and every song starts from a cleared decoder; a stop
// request is seen once per frame and ends the thread without closing the host's output, which
// Stop then closes at once.
#include "plugins/fluxdec/win32/PluginState.h"

namespace fluxdec {

static int32_t ReadSongFile(void* context, void* buffer, int32_t bytes) {
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(context), buffer, DWORD(bytes), &got, nullptr)) return -1;
    return int32_t(got);
}

DWORD WINAPI DecoderThreadMain(LPVOID param) {
    PluginRecord* record = static_cast<PluginRecord*>(param);
    PluginState* state = static_cast<PluginState*>(record->pluginState);
    InitDecoder(&state->decoder, ReadSongFile, state->file);
    int32_t frames = 0;
    FrameInfo info{};
    while (!state->stopRequested) {
        const Status status = DecodeFrame(&state->decoder, state->pcm, &info);
        if (IsEndOfStream(status)) break;
        if (frames == 0 && record->HostAudioOpen)
            record->HostAudioOpen(record->hostContext, info.sampleRate, info.channels == 1 ? 1 : 2, 0);
        ++frames;
        if (state->stopRequested) break;
        if (record->HostAudioWrite)
            record->HostAudioWrite(record->hostContext, info.samplesPerChannel * info.channels * 2,
                                   state->pcm, 0);
    }
    if (!state->stopRequested && record->HostAudioClose) record->HostAudioClose(record->hostContext, 0);
    return 0;
}

}  // namespace fluxdec
