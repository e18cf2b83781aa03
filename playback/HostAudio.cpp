#include "playback/HostAudio.h"

#include <atomic>

#include "playback/AudioDevice.h"

namespace {

// Set by the UI thread at start-up, read by decoder threads.
std::atomic<AudioDevice*> gHostAudioDevice{nullptr};

}  // namespace

void SetHostAudioDevice(AudioDevice* device)
{
    gHostAudioDevice.store(device);
}

AudioDevice* GetHostAudioDevice()
{
    return gHostAudioDevice.load();
}

extern "C" int32_t HostAudioOpen(void*, int32_t sampleRate, int32_t channels, int32_t)
{
    if (AudioDevice* device = gHostAudioDevice.load())
        device->Open(channels, sampleRate);
    return 1;
}

extern "C" int32_t HostAudioWrite(void*, int32_t length, const void* data, int32_t tag)
{
    AudioDevice* device = gHostAudioDevice.load();
    return device != nullptr ? device->Write(length, data, tag) : 0;
}

extern "C" int32_t HostAudioClose(void*, int32_t immediate)
{
    AudioDevice* device = gHostAudioDevice.load();
    if (device == nullptr)
        return 0;
    // A stream that ends lets its queued audio play out on its own while the player moves on:
    // the next song, opened meanwhile, follows its last block without a gap.
    return immediate == 0 ? device->EndStream() : device->Close(immediate);
}
