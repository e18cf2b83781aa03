// The player's one audio output: 16-bit PCM on the platform's wave-out device, played from a
// ring of buffers allocated once per stream.
//
// Threads: a decoder thread calls Open, Write and the draining Close; the thread that stops a
// plug-in calls the immediate Close; the platform calls OnDeviceMessage on its own call-back
// thread. There is no lock: `freeBuffers` is the one value two threads change, always with
// interlocked operations, the call-back reads `waveOut` with one, and `doneEvent` wakes a writer
// that found every buffer queued. A plug-in may close the output while its own thread is still
// inside Write: Close then marks itself `closing`, wakes the writer, and frees nothing before
// `writersInside` is back at 0; a writer that meets a close leaves with 0.
#pragma once

#include <cstdint>

#include "playback/WaveOutApi.h"

// The three fixed output values; the device's owner hands them in, so the engine reads no
// settings of its own.
struct AudioOutputConfig {
    int32_t bufferBytes = 16384;  // bytes in one wave-out buffer
    int32_t bufferCount = 8;      // wave-out buffers in the ring
    int32_t device = -1;          // the wave mapper
};

class AudioDevice {
public:
    // Talks to the platform's wave-out device.
    AudioDevice();
    // Talks to `api` instead (borrowed; it must outlive the device): the tests' seam.
    explicit AudioDevice(const WaveOutApi& api);
    // Closes an open stream at once and closes the event.
    virtual ~AudioDevice();

    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens `output.device` for 16-bit PCM with `channels` channels at `sampleRate` Hz and
    // prepares the ring of `output.bufferCount` buffers of `output.bufferBytes` bytes. 1 when open; 0 when the platform refused (the device then holds no ring). A stream
    // that is still open is first closed at once.
    int32_t Open(int32_t channels, int32_t sampleRate);

    // Copies `length` bytes from `data` into the next ring buffer and queues it with `tag`;
    // returns `length`. Waits while every buffer is queued. Queues nothing and returns 0 when no
    // stream is open or a close is under way, for a block that is empty or longer than one
    // buffer, and when the platform refuses the block (that buffer then stays free).
    int32_t Write(int32_t length, const void* data, int32_t tag);

    // `immediate` 0: waits (polling every `bufferMillis`) until every queued block has played,
    // then closes; otherwise discards the queued blocks and closes at once. Either way it first
    // waits for a writer inside Write to leave. Releases whatever the device holds; with nothing
    // open it returns at once. Always 0.
    int32_t Close(int32_t immediate);

    // The wave-out call-back, registered by Open with the device as instance data: WOM_DONE from
    // the current `waveOut` frees one buffer (never more than the ring holds) and signals
    // `doneEvent`; done-messages of any other handle and every other message are ignored.
    // Touches nothing else, as a wave-out call-back must.
    static void CALLBACK OnDeviceMessage(HWAVEOUT waveOut, UINT message, DWORD_PTR instance,
                                         DWORD_PTR param1, DWORD_PTR param2);

    // Header `index` of the ring; only while a ring is allocated.
    WAVEHDR* Header(int32_t index) const;

    // Pause: the device holds its queued blocks and plays nothing, so a writer soon finds the
    // ring full and waits, whatever plug-in it is. A stream opened while paused starts paused.
    // Resume plays on from the very next queued sample. Both are for the owner's thread.
    void Pause();
    void Resume();
    int32_t IsPaused() const;
    // The stream's queued audio is never to be heard (a song stopped while paused): a writer
    // waiting for a buffer and a draining close leave at once, and writes queue nothing until
    // the next Open. Releasing the ring is left to the stream's own immediate Close.
    void Abandon();
    // While paused: 1 once a writer waits for a buffer within `millis` (it then stays waiting),
    // else 0.
    int32_t WaitForParkedWriter(DWORD millis);
    // The waiting writer leaves once without queuing its block: a plug-in takes a seek only
    // between blocks, so a seek made while paused reaches it this way without a sound.
    void SkipParkedBlock();

    HANDLE doneEvent;          // owned; auto-reset, signalled once per finished block
    HWAVEOUT waveOut;          // owned; null while closed; changed and read (by the call-back)
                               // with interlocked pointer operations
    void* blockMemory;         // owned; the headers, then the data buffers; null without a ring
    WAVEFORMATEX format;       // of the open stream
    volatile LONG freeBuffers; // buffers not queued, 0 to bufferCount; decremented by Write,
                               // incremented by the call-back, both interlocked
    int32_t bufferCount;       // buffers in the ring; set by Open before the device opens
    int32_t bufferMillis;      // play time of one full buffer; the drain's poll interval
    int32_t nextBuffer;        // the buffer the next Write fills
    int32_t bufferBytes;       // size of each data buffer of the ring
    const WaveOutApi* api;     // borrowed
    AudioOutputConfig output;  // what the next Open builds; set by the owner before it
    volatile LONG writersInside;  // threads inside Write; interlocked
    volatile LONG closing;        // closes under way; interlocked
    volatile LONG paused;         // 1 while paused; set by the owner, read by Open
    volatile LONG writerParked;   // 1 while a writer waits for a buffer; interlocked
    volatile LONG skipParked;     // the waiting writer is to leave without its block
};
