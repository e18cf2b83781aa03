// With no audio device at all (this program runs with an ALSA configuration that defines none),
// the host call-backs still answer the plug-in as usual and the device holds nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "playback/AudioDevice.h"
#include "playback/HostAudio.h"

namespace {

TEST(NoAudioDevice, HostAudioOpenAnswersOne)
{
    ASSERT_EQ(0u, waveOutGetNumDevs()) << "this test must run without audio devices";
    AudioDevice device;
    SetHostAudioDevice(&device);
    EXPECT_EQ(0, device.Open(2, 44100)) << "the platform refuses";
    EXPECT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    EXPECT_EQ(nullptr, device.waveOut);
    EXPECT_EQ(nullptr, device.blockMemory);

    // The decoder goes on writing and closing; nothing is queued and nothing waits.
    const std::string block(4608, '\x33');
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(0, HostAudioWrite(nullptr, 4608, block.data(), i)) << "write " << i;
    EXPECT_EQ(0, HostAudioClose(nullptr, 0));
    EXPECT_EQ(0, HostAudioClose(nullptr, 1));
    SetHostAudioDevice(nullptr);
}

}  // namespace
