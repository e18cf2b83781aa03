// The settings against the platform's real private-profile service.
#include "settings/Settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

Settings gSettings;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char directory[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, directory), 0u);
        // One file per case: the cases run as processes of their own, side by side.
        path = std::string(directory) + "CorvaneSettingsTest-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        DeleteFileA(path.c_str());
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    std::string Stored(const char* key)
    {
        char text[64];
        GetPrivateProfileStringA(kSettingsSection, key, "<missing>", text, sizeof text, path.c_str());
        return text;
    }
    void Store(const char* key, const char* value)
    {
        ASSERT_TRUE(WritePrivateProfileStringA(kSettingsSection, key, value, path.c_str()));
    }

    std::string path;
};

TEST_F(SettingsFileTest, NoFileReadsZerosAndWritesZerosForEveryKey)
{
    Settings settings;
    settings.ReadSettings(path.c_str());
    EXPECT_EQ(settings.audioVolume, 0);
    EXPECT_EQ(settings.immediatePlay, 0);
    EXPECT_EQ(settings.multipleInstances, 0);
    EXPECT_EQ(settings.minimizeToSystemTray, 0);
    EXPECT_EQ(settings.realisticKnobRotation, 0);
    EXPECT_EQ(settings.replayGain, 0);
    settings.WriteSettings(path.c_str());
    for (const char* key : {"AudioVolume", "ImmediatePlay", "MultipleInstances", "MinimizeToSystemTray",
                            "RealisticKnobRotation", "ReplayGain"})
        EXPECT_EQ(Stored(key), "0") << key;
}

TEST_F(SettingsFileTest, OddValuesReadAsStoredAndFlagsAreNormalisedOnWrite)
{
    Store("AudioVolume", "-5");
    Store("ImmediatePlay", "2");
    Store("MultipleInstances", "1");
    Store("MinimizeToSystemTray", "not a number");
    Store("RealisticKnobRotation", "-1");
    Store("ReplayGain", "2");
    Settings settings;
    settings.ReadSettings(path.c_str());
    EXPECT_EQ(settings.audioVolume, -5);
    EXPECT_EQ(settings.immediatePlay, 2);
    EXPECT_EQ(settings.multipleInstances, 1);
    EXPECT_EQ(settings.minimizeToSystemTray, 0);
    EXPECT_EQ(settings.realisticKnobRotation, -1);
    EXPECT_EQ(settings.replayGain, 2);
    settings.WriteSettings(path.c_str());
    EXPECT_EQ(Stored("ReplayGain"), "2");
    settings.replayGain = 3;  // no such choice
    settings.WriteSettings(path.c_str());
    EXPECT_EQ(Stored("ReplayGain"), "0");
    EXPECT_EQ(Stored("AudioVolume"), "-5");
    EXPECT_EQ(Stored("ImmediatePlay"), "0");
    EXPECT_EQ(Stored("MultipleInstances"), "1");
    EXPECT_EQ(Stored("MinimizeToSystemTray"), "0");
    EXPECT_EQ(Stored("RealisticKnobRotation"), "0");
}

TEST_F(SettingsFileTest, AudioValuesAreFixedWhateverTheFileHolds)
{
    Store("outputBufferBytes", "1");
    Store("OutputBufferCount", "1");
    Settings settings;
    EXPECT_EQ(settings.audioVolume, static_cast<int32_t>(0x80008000u));
    settings.ReadSettings(path.c_str());
    EXPECT_EQ(settings.outputBufferBytes, 16384);
    EXPECT_EQ(settings.outputBufferCount, 8);
    EXPECT_EQ(settings.outputDevice, -1);
}

}  // namespace
