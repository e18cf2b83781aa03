// The host call-backs that every plug-in record carries: a plug-in's decoder thread opens,
// feeds and closes the player's one audio output through them.
//
// They act on the device registered with SetHostAudioDevice, whichever plug-in calls and
// whatever hostContext it passes. The application registers its AudioDevice once at start-up,
// before any plug-in is loaded, and keeps it registered while plug-ins run. With no device
// registered the call-backs do nothing: HostAudioOpen still answers 1, the others 0.
#pragma once

#include <cstdint>

class AudioDevice;

// `device` is borrowed; null unregisters.
void SetHostAudioDevice(AudioDevice* device);
AudioDevice* GetHostAudioDevice();

extern "C" {
// Opens the device for `channels` channels at `sampleRate` Hz. Always 1, also when the device
// could not be opened: the plug-in then writes into a device that drops its blocks, and the
// player, told by the device, stops the song.
int32_t HostAudioOpen(void* hostContext, int32_t sampleRate, int32_t channels, int32_t reserved);
// Queues one block; returns the length queued.
int32_t HostAudioWrite(void* hostContext, int32_t length, const void* data, int32_t tag);
// immediate 0: the stream has ended; its queued blocks play out while the call returns at once,
// and a stream of the same format opened next follows them without a gap. Non-zero: discard
// them and close. Returns 0.
int32_t HostAudioClose(void* hostContext, int32_t immediate);
}
