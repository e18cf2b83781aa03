#include "playback/AudioDevice.h"

#include <cstring>

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

// Counts the calling thread inside Write for the pass's scope.
class WriterPass {
public:
    explicit WriterPass(volatile LONG& count) : count_(count) { InterlockedIncrement(&count_); }
    ~WriterPass() { InterlockedDecrement(&count_); }
    WriterPass(const WriterPass&) = delete;
    WriterPass& operator=(const WriterPass&) = delete;

private:
    volatile LONG& count_;
};

bool IsSet(volatile LONG& value) { return InterlockedCompareExchange(&value, 0, 0) != 0; }

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

}  // namespace

AudioDevice::AudioDevice() : AudioDevice(kSystemWaveOut) {}

AudioDevice::AudioDevice(const WaveOutApi& waveOutApi)
    : doneEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      waveOut(nullptr),
      blockMemory(nullptr),
      format(),
      freeBuffers(0),
      bufferCount(30),
      bufferMillis(15),
      nextBuffer(0),
      bufferBytes(0),
      api(&waveOutApi),
      output(),
      writersInside(0),
      closing(0),
      paused(0),
      writerParked(0),
      skipParked(0)
{
}

AudioDevice::~AudioDevice()
{
    Close(1);
    if (doneEvent != nullptr)
        CloseHandle(doneEvent);
}

WAVEHDR* AudioDevice::Header(int32_t index) const
{
    return reinterpret_cast<WAVEHDR*>(static_cast<char*>(blockMemory) + kHeaderSize * index);
}

int32_t AudioDevice::Open(int32_t channels, int32_t sampleRate)
{
    // Opening over an open stream would lose its handle and ring.
    if (waveOut != nullptr || blockMemory != nullptr)
        Close(1);
    // A close whose thread was terminated inside it never finished: it must not silence this
    // stream.
    InterlockedExchange(&closing, 0);
    InterlockedExchange(&skipParked, 0);

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
    InterlockedExchange(&freeBuffers, bufferCount);
    bufferMillis = ComputeBufferMillis(static_cast<int32_t>(format.nAvgBytesPerSec), bufferBytes);

    const uint64_t ringBytes =
        (static_cast<uint64_t>(bufferBytes) + kHeaderSize) * static_cast<uint64_t>(bufferCount);
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
    // Before the first block: a stream opened while paused (a seek, the place kept from the last
    // run) sounds nothing until Resume.
    if (IsSet(paused) && api->Pause != nullptr)
        api->Pause(waveOut);
    return 1;
}

int32_t AudioDevice::Write(int32_t length, const void* data, int32_t tag)
{
    // Counted before `closing` is read: a close either sees this writer and waits for it, or
    // this writer sees the close.
    const WriterPass pass(writersInside);
    // Without a ring (failed open, closed) there is nothing to copy into.
    if (IsSet(closing) || blockMemory == nullptr || data == nullptr || length < 1 ||
        length > bufferBytes)
        return 0;

    // OnDeviceMessage frees the buffer before it signals, and the event stays signalled until a
    // wait consumes it, so a block finishing between the test and the wait is not missed. A
    // close signals it too.
    while (InterlockedCompareExchange(&freeBuffers, 0, 0) == 0) {
        if (IsSet(closing) || InterlockedExchange(&skipParked, 0) != 0)
            return 0;
        InterlockedExchange(&writerParked, 1);
        WaitForSingleObject(doneEvent, INFINITE);
        InterlockedExchange(&writerParked, 0);
    }

    if (nextBuffer >= bufferCount)
        nextBuffer = 0;
    WAVEHDR* header = Header(nextBuffer);
    std::memcpy(header->lpData, data, static_cast<size_t>(length));
    header->dwBufferLength = static_cast<DWORD>(length);
    header->dwUser = static_cast<DWORD_PTR>(static_cast<uint32_t>(tag));

    // The buffer is taken before the block is queued: the device may report it finished at
    // once, and a count already at the ring's size would not rise for it (done-messages never
    // raise it above the ring), losing that buffer for good.
    InterlockedDecrement(&freeBuffers);
    // A block the device refused will never be reported finished: counting its buffer as queued
    // would make the draining close wait forever, and moving past it would let a later Write
    // reuse a buffer that is still queued. So it is given back and filled again next time.
    if (api->Write(waveOut, header, kHeaderSize) != MMSYSERR_NOERROR) {
        InterlockedIncrement(&freeBuffers);
        return 0;
    }
    ++nextBuffer;
    return length;
}

int32_t AudioDevice::Close(int32_t immediate)
{
    // Draining polls rather than waiting on doneEvent: a writer may share the event, and the
    // drain ends within one buffer's play time of the last block finishing.
    if (immediate == 0 && blockMemory != nullptr) {
        while (InterlockedCompareExchange(&freeBuffers, 0, 0) < bufferCount && !IsSet(closing))
            Sleep(static_cast<DWORD>(bufferMillis));
    }

    // No writer may be inside while the ring goes: wake one that waits for a buffer and let it
    // leave.
    InterlockedIncrement(&closing);
    SetEvent(doneEvent);
    const DWORD start = GetTickCount();
    while (IsSet(writersInside) && GetTickCount() - start < kWriterLeaveMs)
        Sleep(1);
    if (IsSet(writersInside))
        InterlockedExchange(&writersInside, 0);  // terminated inside: it will never leave

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
    if (void* memory = blockMemory) {
        blockMemory = nullptr;
        GlobalFree(GlobalHandle(memory));
    }

    if (HWAVEOUT device = waveOut) {
        StoreWaveOut(&waveOut, nullptr);
        api->Close(device);
    }
    InterlockedDecrement(&closing);
    return 0;
}

void CALLBACK AudioDevice::OnDeviceMessage(HWAVEOUT from, UINT message, DWORD_PTR instance,
                                           DWORD_PTR, DWORD_PTR)
{
    if (message != WOM_DONE)
        return;
    AudioDevice* device = reinterpret_cast<AudioDevice*>(instance);
    // On Windows the done-messages of a closed device can still arrive after the next device
    // opened: they belong to a ring that no longer exists and must not free this one's buffers.
    if (from == nullptr || from != LoadWaveOut(&device->waveOut))
        return;
    // Nor may any message raise the count past the ring (a handle number reused by the next
    // device): Write would then fill a buffer that is still queued. Capped with a
    // compare-exchange loop, as Write may be taking a buffer at the same moment.
    for (LONG seen = InterlockedCompareExchange(&device->freeBuffers, 0, 0);
         seen < device->bufferCount;) {
        const LONG before = InterlockedCompareExchange(&device->freeBuffers, seen + 1, seen);
        if (before == seen)
            break;
        seen = before;
    }
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

void AudioDevice::Abandon()
{
    // Left set until the next Open: the stream's own Close counts itself in and out on top.
    InterlockedIncrement(&closing);
    SetEvent(doneEvent);
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
