// The host call-backs forward to the registered device (the fake stands behind it), and do
// nothing harmful with none registered.
#include <gtest/gtest.h>

#include <string>

#include "playback/AudioDevice.h"
#include "playback/HostAudio.h"
#include "plugins/api/PluginApi.h"
#include "tests/playback/FakeWaveOut.h"


namespace {

class HostAudioTest : public testing::Test {
protected:
    void SetUp() override
    {
        fake.Reset();
        SetHostAudioDevice(&device);
    }
    void TearDown() override { SetHostAudioDevice(nullptr); }

    FakeWaveOut& fake = FakeWaveOut::Get();
    AudioDevice device{FakeWaveOut::kApi};
    int context = 0;  // any host context; the call-backs ignore it
};

// The record passes the rate before the channel count; the device takes them the other way
// round.
TEST_F(HostAudioTest, OpenPassesRateAndChannelsInTheirPlaces)
{
    EXPECT_EQ(&device, GetHostAudioDevice());
    EXPECT_EQ(1, HostAudioOpen(&context, 22050, 1, 0));
    EXPECT_EQ(1, device.format.nChannels);
    EXPECT_EQ(22050u, device.format.nSamplesPerSec);
    EXPECT_NE(nullptr, device.waveOut);
    EXPECT_EQ(0, HostAudioClose(&context, 1));
    EXPECT_EQ(nullptr, device.waveOut);
}

TEST_F(HostAudioTest, OpenAnswersOneWhenTheDeviceCannotOpen)
{
    fake.openResult = MMSYSERR_BADDEVICEID;
    EXPECT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    EXPECT_EQ(nullptr, device.waveOut);
    const std::string block(4608, '\x11');
    EXPECT_EQ(0, HostAudioWrite(nullptr, 4608, block.data(), 0)) << "nothing to queue into";
    EXPECT_EQ(0, HostAudioClose(nullptr, 0));
}

TEST_F(HostAudioTest, WriteQueuesTheBlockWithItsTag)
{
    ASSERT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    const std::string block(4608, '\x5C');
    EXPECT_EQ(4608, HostAudioWrite(&context, 4608, block.data(), 42));
    const FakeWaveOutCall write = fake.Calls().back();
    EXPECT_EQ("Write", write.name);
    EXPECT_EQ(block, write.data);
    EXPECT_EQ(static_cast<DWORD_PTR>(42), write.user);
    EXPECT_EQ(0, HostAudioClose(&context, 1));
}

// A plug-in reaches the same call-backs through the record a slot fills.
TEST_F(HostAudioTest, CallBacksMatchTheRecordTypes)
{
    HostAudioOpenFn open = HostAudioOpen;
    HostAudioWriteFn write = HostAudioWrite;
    HostAudioCloseFn close = HostAudioClose;
    EXPECT_EQ(1, open(&context, 48000, 2, 0));
    const std::string block(8, '\x01');
    EXPECT_EQ(8, write(&context, 8, block.data(), 0));
    EXPECT_EQ(0, close(&context, 1));
    EXPECT_EQ(2, device.format.nChannels);
}

TEST(HostAudioUnregistered, CallBacksAreSafeWithoutADevice)
{
    SetHostAudioDevice(nullptr);
    FakeWaveOut::Get().Reset();
    const std::string block(4608, '\x22');
    EXPECT_EQ(1, HostAudioOpen(nullptr, 44100, 2, 0));
    EXPECT_EQ(0, HostAudioWrite(nullptr, 4608, block.data(), 0));
    EXPECT_EQ(0, HostAudioClose(nullptr, 0));
    EXPECT_EQ(0, HostAudioClose(nullptr, 1));
    EXPECT_TRUE(FakeWaveOut::Get().Calls().empty());
}

}  // namespace
