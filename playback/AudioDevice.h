// The player's one audio output: 16-bit PCM on the platform's wave-out device, played from a
// ring of buffers allocated once per open.
//
// Songs follow each other without a gap: a writer that ends its stream (EndStream) leaves its
// queued blocks playing and the device open, and the next stream of the same sample rate and
// channel count (Open) goes on in the same ring, its first sample right after the last one
// queued. Only a change of format drains the ring and opens the device anew. Every block
// carries a serial number, so the owner can tell when a given block has been heard
// (HasPlayed), and `endedEvent` tells it at once when a stream has ended.
//
// Threads: a decoder thread calls Open, Write, EndStream and (to discard, on a seek) Close; the
// thread that stops a plug-in brackets the plug-in's stop with BeginStop and EndStop, and the
// plug-in's stop calls Close; the owner's threads ask HasPlayed, QueuedMark, TakeOpenFailure
// and CloseIfPlayedOut; the platform calls OnDeviceMessage on its own call-back thread.
// `stateLock` orders what opens and releases the ring; Write takes no lock: a buffer is reused
// only once the platform has cleared its header's WHDR_INQUEUE, and a Close marks itself
// `closing`, wakes a writer that waits and frees nothing before the writers of this open have
// left. A writer that meets a close or a stop leaves with 0.
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
    // Closes an open stream at once and closes the events.
    virtual ~AudioDevice();

    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Starts a stream of 16-bit PCM with `channels` channels at `sampleRate` Hz. When the ring
    // is open in that format it goes on (nothing is reset: the stream follows the blocks still
    // queued); in another format the queued blocks play out first (see Close(0)) and the device
    // opens anew with a ring of `output.bufferCount` buffers of `output.bufferBytes` bytes.
    // 1 when open; 0 when the platform refused, which also sets the failure TakeOpenFailure
    // reports, or while a stop that discards is under way.
    int32_t Open(int32_t channels, int32_t sampleRate);

    // Copies `length` bytes from `data` into the next ring buffer and queues it with `tag`;
    // returns `length`. Waits while that buffer is still queued. Queues nothing and returns 0
    // when no ring is open, a close or a discarding stop is under way, for a block that is empty
    // or longer than one buffer, and when the platform refuses the block (that buffer then
    // stays free).
    int32_t Write(int32_t length, const void* data, int32_t tag);

    // The writer's stream has ended: its queued blocks play on and the ring stays open for the
    // next stream; returns at once. Signals `endedEvent`. Always 0.
    int32_t EndStream();

    // `immediate` 0: waits until every queued block has played (polling every 20 ms at most,
    // given up at once when a discarding stop begins), then closes; otherwise discards the
    // queued blocks and closes at once, except between BeginStop(true) and EndStop, where it
    // only ends the stream (EndStream). Either way it first waits for a writer inside Write to
    // leave. Releases whatever the device holds; with nothing open it returns at once. Always 0.
    int32_t Close(int32_t immediate);

    // Brackets the host's stop of a plug-in. keepTail false: the song is being cut off, so
    // every wait in Write and in a drain ends at once and Open opens nothing until EndStop.
    // keepTail true: the song has played to its end, and the plug-in's immediate Close leaves
    // its queued blocks playing for the next song to follow.
    void BeginStop(bool keepTail);
    void EndStop();

    // The serial number of the last block queued (0 before the first).
    uint32_t QueuedMark() const;
    // 1 when no block up to serial `mark` is still queued: the blocks after it, if any, are
    // being heard.
    int32_t HasPlayed(uint32_t mark) const;
    // 1 once after an Open the platform refused (no device, or the device busy).
    int32_t TakeOpenFailure();
    // Closes the device when its stream has ended and every block has played; does nothing
    // while another thread opens or closes it. 1 when it closed.
    int32_t CloseIfPlayedOut();
    // Ring buffers not queued at the device; 0 without a ring.
    int32_t FreeBuffers() const;

    // The wave-out call-back, registered by Open with the device as instance data: WOM_DONE from
    // the current `waveOut` signals `doneEvent`; every other message is ignored. Touches
    // nothing else, as a wave-out call-back must: which buffers are free the headers tell.
    static void CALLBACK OnDeviceMessage(HWAVEOUT waveOut, UINT message, DWORD_PTR instance,
                                         DWORD_PTR param1, DWORD_PTR param2);

    // Header `index` of the ring; only while a ring is allocated.
    WAVEHDR* Header(int32_t index) const;

    HANDLE doneEvent;          // owned; auto-reset, signalled once per finished block
    HANDLE stopEvent;          // owned; manual-reset, set from BeginStop(false) to EndStop
    HANDLE endedEvent;         // owned; auto-reset, signalled when a stream ends or an open fails
    HWAVEOUT waveOut;          // owned; null while closed; changed and read (by the call-back)
                               // with interlocked pointer operations
    void* blockMemory;         // owned; the headers, the data buffers, then the blocks' serials;
                               // null without a ring
    WAVEFORMATEX format;       // of the open ring
    int32_t bufferCount;       // buffers in the ring; set by Open before the device opens
    int32_t bufferMillis;      // play time of one full buffer
    int32_t nextBuffer;        // the buffer the next Write fills
    int32_t bufferBytes;       // size of each data buffer of the ring
    const WaveOutApi* api;     // borrowed
    AudioOutputConfig output;  // what the next Open builds; set by the owner before it
    volatile LONG writersInside;  // threads inside Write during open number `openNumber`
    volatile LONG openNumber;     // counts the opens; a writer of an earlier one is not counted
    volatile LONG closing;        // closes under way; interlocked
    volatile LONG streamOpen;     // 1 from Open to EndStream or Close
    volatile LONG stopMode;       // 0, or kStopDiscarding / kStopKeepingTail between BeginStop and EndStop
    volatile LONG openFailed;     // set by a refused Open, taken by TakeOpenFailure
    volatile LONG queuedSerial;   // the serial of the last block queued
    mutable CRITICAL_SECTION stateLock;  // owned; held while the ring is opened, joined or released

    static constexpr LONG kStopDiscarding = 1;
    static constexpr LONG kStopKeepingTail = 2;

private:
    // Serial of the block in buffer `index`.
    volatile LONG* Serial(int32_t index) const;
    bool InQueue(int32_t index) const;
    bool AnyQueued() const;
    // Waits, polling, until nothing is queued; false when a discarding stop began first.
    bool Drain();
    // Resets, unprepares, frees and closes. Under stateLock.
    void Release();
    int32_t OpenRing(int32_t channels, int32_t sampleRate);
};
