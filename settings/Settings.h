// The player's stored preferences (the volume, four flags and the ReplayGain choice) and its three
// fixed audio values.
//
// The stored values are read once at start-up and written back once, when the main window is
// destroyed, to the private-profile file "Corvane.ini" (a bare name: the platform's profile
// service decides the folder). The audio values are never stored.
#pragma once

#include <cstdint>

inline constexpr char kSettingsFileName[] = "Corvane.ini";
inline constexpr char kSettingsSection[] = "General Preferences";

struct Settings {
    int32_t audioVolume = static_cast<int32_t>(0x80008000u);  // replaced by the file's value
    int32_t outputBufferBytes = 16384;  // bytes in one wave-out buffer
    int32_t outputBufferCount = 8;      // wave-out buffers in the ring
    int32_t outputDevice = -1;          // the wave mapper
    int32_t immediatePlay = 0;
    int32_t multipleInstances = 0;
    int32_t minimizeToSystemTray = 0;
    int32_t realisticKnobRotation = 0;
    int32_t replayGain = 0;  // 0 off, 1 track, 2 album (kReplayGain... in plugins/api/PluginApi.h)

    virtual ~Settings() = default;

    // Reads the stored keys; a missing file, section or key, or a value that is not a number,
    // gives 0.
    void ReadSettings(const char* fileName);
    // Writes the stored keys. The four flags are normalised: only the value 1 is written as "1";
    // the ReplayGain choice is written as 0, 1 or 2, anything else as 0.
    void WriteSettings(const char* fileName) const;
};

// The one settings record: the program defines it (after its application object), and so does
// every test program that links code using it.
extern Settings gSettings;
