#include "settings/Settings.h"

#include <windows.h>

#include <cstdio>

namespace {

struct StoredKey {
    const char* name;
    int32_t Settings::*field;
    bool isFlag;  // flags and choices are written as themselves from 0 to `largest`, else as "0"
    int32_t largest = 1;
};

// The stored keys, in the order they are read and written.
constexpr StoredKey kStoredKeys[] = {
    {"AudioVolume", &Settings::audioVolume, false},
    {"ImmediatePlay", &Settings::immediatePlay, true},
    {"MultipleInstances", &Settings::multipleInstances, true},
    {"MinimizeToSystemTray", &Settings::minimizeToSystemTray, true},
    {"RealisticKnobRotation", &Settings::realisticKnobRotation, true},
    {"ReplayGain", &Settings::replayGain, true, 2},
};

}  // namespace

void Settings::ReadSettings(const char* fileName)
{
    for (const StoredKey& key : kStoredKeys)
        this->*key.field = static_cast<int32_t>(GetPrivateProfileIntA(kSettingsSection, key.name, 0, fileName));
}

void Settings::WriteSettings(const char* fileName) const
{
    char text[2048];
    for (const StoredKey& key : kStoredKeys) {
        const int32_t value = this->*key.field;
        const bool inRange = value >= 0 && value <= key.largest;
        std::snprintf(text, sizeof text, "%d", key.isFlag && !inRange ? 0 : static_cast<int>(value));
        // A failed write loses only this run's change; there is nobody to tell.
        WritePrivateProfileStringA(kSettingsSection, key.name, text, fileName);
    }
}
