#include "playback/AudioDevice.h"

#include <cstring>
#include <initializer_list>

#include "playback/BufferTiming.h"

namespace {

constexpr UINT kHeaderSize = sizeof(WAVEHDR);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(WAVEHDR) == 32, "the ring's headers are 32 bytes each");
#endif

// Larger values are not real PCM streams; refusing them keeps the format's 16- and 32-bit
// fields from wrapping.
constexpr int32_t kMaxChannels = 8;
constexpr int32_t kMaxSampleRate = 768000;
// The ring is one allocation; a configuration asking for more than this is refused.
constexpr uint64_t kMaxRingBytes = 256u << 20;
// A woken writer leaves Write within microseconds. One still counted inside after this long
// was terminated there (a plug-in's last resort when its thread will not stop) and never leaves.
constexpr DWORD kWriterLeaveMs = 1000;
// A drain looks at the ring this often at most: a stop, a next or a closing window waits for
// no more than one step, whatever the rate (one buffer of 8 kHz mono lasts a second).
constexpr DWORD kDrainPollMs = 20;

// Counts the calling thread inside Write for the pass's scope, against the open it entered
// under: a writer of an earlier open (one left behind by a terminated thread, or late) never
// changes the count of the open that followed.
class WriterPass {
public:
    WriterPass(volatile LONG& count, volatile LONG& openNumber)
        : count_(count), openNumber_(openNumber), open_(InterlockedCompareExchange(&openNumber, 0, 0))
    {
        InterlockedIncrement(&count_);
    }
    ~WriterPass()
    {
        if (InterlockedCompareExchange(&openNumber_, 0, 0) == open_)
            InterlockedDecrement(&count_);
    }
    WriterPass(const WriterPass&) = delete;
    WriterPass& operator=(const WriterPass&) = delete;

private:
    volatile LONG& count_;
    volatile LONG& openNumber_;
    const LONG open_;
};

bool IsSet(volatile LONG& value) { return InterlockedCompareExchange(&value, 0, 0) != 0; }
LONG Load(volatile LONG& value) { return InterlockedCompareExchange(&value, 0, 0); }

// `waveOut` is read by the call-back on the platform's thread while Open and Close change it on
// another: both sides go through interlocked pointer operations.
HWAVEOUT LoadWaveOut(HWAVEOUT* field)
{
    return static_cast<HWAVEOUT>(
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(field), nullptr, nullptr));
}

void StoreWaveOut(HWAVEOUT* field, HWAVEOUT value)
{
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(field), value);
}

class StateLock {
public:
    explicit StateLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~StateLock() { LeaveCriticalSection(&section_); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

}  // namespace

AudioDevice::AudioDevice() : AudioDevice(kSystemWaveOut) {}

AudioDevice::AudioDevice(const WaveOutApi& waveOutApi)
    : doneEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      endedEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      waveOut(nullptr),
      blockMemory(nullptr),
      format(),
      bufferCount(30),
      bufferMillis(15),
      nextBuffer(0),
      bufferBytes(0),
      api(&waveOutApi),
      output(),
      writersInside(0),
      openNumber(0),
      closing(0),
      streamOpen(0),
      stopMode(0),
      openFailed(0),
      queuedSerial(0),
      paused(0),
      writerParked(0),
      skipParked(0),
      stateLock()
{
    InitializeCriticalSection(&stateLock);
}

AudioDevice::~AudioDevice()
{
    Close(1);
    DeleteCriticalSection(&stateLock);
    for (HANDLE event : {doneEvent, stopEvent, endedEvent})
        if (event != nullptr)
            CloseHandle(event);
}

WAVEHDR* AudioDevice::Header(int32_t index) const
{
    return reinterpret_cast<WAVEHDR*>(static_cast<char*>(blockMemory) + kHeaderSize * index);
}

volatile LONG* AudioDevice::Serial(int32_t index) const
{
    char* serials = static_cast<char*>(blockMemory) +
                    (static_cast<size_t>(kHeaderSize) + static_cast<size_t>(bufferBytes)) *
                        static_cast<size_t>(bufferCount);
    return reinterpret_cast<volatile LONG*>(serials) + index;
}

// The platform sets WHDR_INQUEUE when it takes a header and clears it before it reports the
// block done (and for every block a reset hands back).
bool AudioDevice::InQueue(int32_t index) const
{
    const volatile DWORD& flags = Header(index)->dwFlags;
    return (flags & WHDR_INQUEUE) != 0;
}

bool AudioDevice::AnyQueued() const
{
    if (blockMemory == nullptr)
        return false;
    for (int32_t i = 0; i < bufferCount; ++i)
        if (InQueue(i))
            return true;
    return false;
}

int32_t AudioDevice::FreeBuffers() const
{
    if (blockMemory == nullptr)
        return 0;
    int32_t free = 0;
    for (int32_t i = 0; i < bufferCount; ++i)
        free += InQueue(i) ? 0 : 1;
    return free;
}

int32_t AudioDevice::Open(int32_t channels, int32_t sampleRate)
{
    StateLock held(stateLock);
    // A close whose thread was terminated inside it never finished: it must not silence this
    // stream.
    InterlockedExchange(&closing, 0);
    // The song is being cut off: its plug-in's stop closes the output right after this.
    if (Load(stopMode) == kStopDiscarding)
        return 0;

    const bool sameFormat = format.nChannels == static_cast<WORD>(channels) &&
                            format.nSamplesPerSec == static_cast<DWORD>(sampleRate);
    if (waveOut != nullptr && blockMemory != nullptr && sameFormat) {
        // The ring goes on: this stream's first block follows the last one queued.
        InterlockedExchange(&streamOpen, 1);
        return 1;
    }
    // Another format: what is queued plays out at its own rate before the device changes.
    if (waveOut != nullptr || blockMemory != nullptr) {
        if (!Drain())
            return 0;  // a stop began: it closes the output itself
        Release();
    }
    const int32_t opened = OpenRing(channels, sampleRate);
    if (opened == 0) {
        InterlockedExchange(&openFailed, 1);
        SetEvent(endedEvent);
    }
    return opened;
}

int32_t AudioDevice::OpenRing(int32_t channels, int32_t sampleRate)
{
    format = WAVEFORMATEX();
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;

    nextBuffer = 0;
    bufferCount = output.bufferCount;
    bufferBytes = output.bufferBytes;
    bufferMillis = ComputeBufferMillis(static_cast<int32_t>(format.nAvgBytesPerSec), bufferBytes);
    // Writers of an earlier open, if any are still counted, are no concern of this one.
    InterlockedIncrement(&openNumber);
    InterlockedExchange(&writersInside, 0);

    // Headers, data buffers, and one serial per buffer.
    const uint64_t ringBytes =
        (static_cast<uint64_t>(bufferBytes) + kHeaderSize + sizeof(LONG)) * static_cast<uint64_t>(bufferCount);
    if (channels < 1 || channels > kMaxChannels || sampleRate < 1 || sampleRate > kMaxSampleRate ||
        bufferCount < 1 || bufferBytes < 1 || ringBytes > kMaxRingBytes)
        return 0;

    HWAVEOUT opened = nullptr;
    const MMRESULT result =
        api->Open(&opened, static_cast<UINT>(output.device), &format,
                  reinterpret_cast<DWORD_PTR>(&AudioDevice::OnDeviceMessage),
                  reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION | WAVE_ALLOWSYNC);
    if (result != MMSYSERR_NOERROR)
        return 0;
    StoreWaveOut(&waveOut, opened);

    // One fixed, zero-filled block: the headers first, then the data buffers.
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(ringBytes));
    blockMemory = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (blockMemory == nullptr) {
        if (memory != nullptr)
            GlobalFree(memory);
        StoreWaveOut(&waveOut, nullptr);
        api->Close(opened);
        return 0;
    }

    char* data = static_cast<char*>(blockMemory) + kHeaderSize * static_cast<size_t>(bufferCount);
    for (int32_t i = 0; i < bufferCount; ++i) {
        WAVEHDR* header = Header(i);
        header->lpData = data + static_cast<size_t>(i) * static_cast<size_t>(bufferBytes);
        header->dwBufferLength = static_cast<DWORD>(bufferBytes);
        header->dwUser = static_cast<DWORD_PTR>(i);
        api->PrepareHeader(waveOut, header, kHeaderSize);
    }
    // Before the first block: a ring opened while paused (a seek, the place kept from the last
    // run) sounds nothing until Resume.
    InterlockedExchange(&skipParked, 0);
    if (IsSet(paused) && api->Pause != nullptr)
        api->Pause(waveOut);
    InterlockedExchange(&streamOpen, 1);
    return 1;
}

int32_t AudioDevice::Write(int32_t length, const void* data, int32_t tag)
{
    // Counted before `closing` is read: a close either sees this writer and waits for it, or
    // this writer sees the close.
    const WriterPass pass(writersInside, openNumber);
    // Without a ring (failed open, closed) there is nothing to copy into.
    if (IsSet(closing) || blockMemory == nullptr || data == nullptr || length < 1 ||
        length > bufferBytes)
        return 0;

    if (nextBuffer >= bufferCount)
        nextBuffer = 0;
    // Blocks finish in the order they were queued, so the next buffer is the oldest one: it is
    // filled again only once the platform has handed it back. A done-message signals the event
    // after the platform cleared the flag, and the event stays signalled until a wait consumes
    // it, so a block finishing between the test and the wait is not missed; a late message of
    // a closed device only wakes the writer to look again. A close or a stop signals too.
    const HANDLE wakers[2] = {doneEvent, stopEvent};
    while (InQueue(nextBuffer)) {
        if (IsSet(closing) || Load(stopMode) == kStopDiscarding ||
            InterlockedExchange(&skipParked, 0) != 0)
            return 0;
        InterlockedExchange(&writerParked, 1);
        WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
        InterlockedExchange(&writerParked, 0);
    }
    if (Load(stopMode) == kStopDiscarding)
        return 0;

    WAVEHDR* header = Header(nextBuffer);
    std::memcpy(header->lpData, data, static_cast<size_t>(length));
    header->dwBufferLength = static_cast<DWORD>(length);
    header->dwUser = static_cast<DWORD_PTR>(static_cast<uint32_t>(tag));
    // Numbered before it is queued: the owner may ask about it as soon as it plays.
    InterlockedExchange(Serial(nextBuffer), InterlockedIncrement(&queuedSerial));

    // A block the device refused will never be reported finished, and its header is not in
    // the queue: the buffer is filled again next time.
    if (api->Write(waveOut, header, kHeaderSize) != MMSYSERR_NOERROR)
        return 0;
    ++nextBuffer;
    return length;
}

int32_t AudioDevice::EndStream()
{
    InterlockedExchange(&streamOpen, 0);
    SetEvent(endedEvent);
    return 0;
}

void AudioDevice::BeginStop(bool keepTail)
{
    InterlockedExchange(&stopMode, keepTail ? kStopKeepingTail : kStopDiscarding);
    if (!keepTail)
        SetEvent(stopEvent);
}

void AudioDevice::EndStop()
{
    InterlockedExchange(&stopMode, 0);
    ResetEvent(stopEvent);
}

bool AudioDevice::Drain()
{
    const DWORD step = bufferMillis > 0 && static_cast<DWORD>(bufferMillis) < kDrainPollMs
                           ? static_cast<DWORD>(bufferMillis)
                           : kDrainPollMs;
    while (AnyQueued()) {
        if (WaitForSingleObject(stopEvent, step) == WAIT_OBJECT_0)
            return false;
    }
    return true;
}

int32_t AudioDevice::Close(int32_t immediate)
{
    // The song played to its end: its last blocks stay queued for the next song to follow.
    if (immediate != 0 && Load(stopMode) == kStopKeepingTail) {
        InterlockedExchange(&streamOpen, 0);
        return 0;
    }
    StateLock held(stateLock);
    if (immediate == 0)
        Drain();  // a stop that begins meanwhile cuts the rest off
    Release();
    return 0;
}

void AudioDevice::Release()
{
    InterlockedExchange(&streamOpen, 0);
    // No writer may be inside while the ring goes: wake one that waits for a buffer and let it
    // leave.
    InterlockedIncrement(&closing);
    SetEvent(doneEvent);
    const DWORD start = GetTickCount();
    while (IsSet(writersInside) && GetTickCount() - start < kWriterLeaveMs)
        Sleep(1);

    if (waveOut != nullptr) {
        // Reset hands every queued block back (each as WOM_DONE) before it returns, so the
        // headers can be unprepared and the memory freed.
        api->Reset(waveOut);
        if (blockMemory != nullptr) {
            for (int32_t i = 0; i < bufferCount; ++i)
                api->UnprepareHeader(waveOut, Header(i), kHeaderSize);
        }
    }

    // The ring and the device are forgotten before they are released: a draining close whose
    // thread is terminated (a plug-in's last resort when it stops) then leaves a leak at worst,
    // never a second release by the immediate close that follows.
    void* memory = blockMemory;
    blockMemory = nullptr;
    const HWAVEOUT device = waveOut;
    StoreWaveOut(&waveOut, nullptr);
    // The device goes before the ring's memory: the platform's own audio thread may still walk
    // the headers it has handed back until it has carried out the close (under Wine it follows
    // one header's link to the next after reporting it done), and it must never read freed memory.
    if (device != nullptr)
        api->Close(device);
    if (memory != nullptr)
        GlobalFree(GlobalHandle(memory));
    InterlockedDecrement(&closing);
}

uint32_t AudioDevice::QueuedMark() const
{
    return static_cast<uint32_t>(InterlockedCompareExchange(const_cast<volatile LONG*>(&queuedSerial), 0, 0));
}

int32_t AudioDevice::HasPlayed(uint32_t mark) const
{
    // The ring is being opened or released (a change of format drains it meanwhile): asked
    // again later.
    if (!TryEnterCriticalSection(&stateLock))
        return 0;
    int32_t played = 1;
    for (int32_t i = 0; blockMemory != nullptr && i < bufferCount; ++i) {
        // Serials wrap after 2^32 blocks (three years of audio): compared by their difference.
        const auto serial = static_cast<uint32_t>(*Serial(i));
        if (InQueue(i) && static_cast<int32_t>(serial - mark) <= 0)
            played = 0;
    }
    LeaveCriticalSection(&stateLock);
    return played;
}

int32_t AudioDevice::TakeOpenFailure()
{
    return InterlockedExchange(&openFailed, 0) != 0 ? 1 : 0;
}

int32_t AudioDevice::CloseIfPlayedOut()
{
    // Whoever holds the lock is opening or closing the ring: it is theirs to finish.
    if (!TryEnterCriticalSection(&stateLock))
        return 0;
    const bool playedOut = !IsSet(streamOpen) && blockMemory != nullptr && !AnyQueued();
    if (playedOut)
        Release();
    LeaveCriticalSection(&stateLock);
    return playedOut ? 1 : 0;
}

void CALLBACK AudioDevice::OnDeviceMessage(HWAVEOUT from, UINT message, DWORD_PTR instance,
                                           DWORD_PTR, DWORD_PTR)
{
    if (message != WOM_DONE)
        return;
    AudioDevice* device = reinterpret_cast<AudioDevice*>(instance);
    // On Windows the done-messages of a closed device can still arrive after the next device
    // opened: they belong to a ring that no longer exists.
    if (from == nullptr || from != LoadWaveOut(&device->waveOut))
        return;
    SetEvent(device->doneEvent);
}

void AudioDevice::Pause()
{
    InterlockedExchange(&paused, 1);
    if (const HWAVEOUT device = LoadWaveOut(&waveOut); device != nullptr && api->Pause != nullptr)
        api->Pause(device);
}

void AudioDevice::Resume()
{
    InterlockedExchange(&paused, 0);
    if (const HWAVEOUT device = LoadWaveOut(&waveOut); device != nullptr && api->Restart != nullptr)
        api->Restart(device);
}

int32_t AudioDevice::IsPaused() const
{
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&paused), 0, 0) != 0 ? 1 : 0;
}

int32_t AudioDevice::WaitForParkedWriter(DWORD millis)
{
    const DWORD start = GetTickCount();
    while (!IsSet(writerParked)) {
        if (!IsSet(paused) || GetTickCount() - start >= millis)
            return 0;
        Sleep(1);
    }
    return 1;
}

void AudioDevice::SkipParkedBlock()
{
    InterlockedExchange(&skipParked, 1);
    SetEvent(doneEvent);
}
