#include "settings/Settings.h"

#include <windows.h>

#include <cstdio>

namespace {

struct StoredKey {
    const char* name;
    int32_t Settings::*field;
    bool isFlag;  // flags are written as "1" for the value 1 and "0" for anything else
};

// The stored keys, in the order they are read and written.
constexpr StoredKey kStoredKeys[] = {
    {"AudioVolume", &Settings::audioVolume, false},
    {"ImmediatePlay", &Settings::immediatePlay, true},
    {"MultipleInstances", &Settings::multipleInstances, true},
    {"MinimizeToSystemTray", &Settings::minimizeToSystemTray, true},
    {"RealisticKnobRotation", &Settings::realisticKnobRotation, true},
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
        std::snprintf(text, sizeof text, "%d", key.isFlag ? (value == 1 ? 1 : 0) : static_cast<int>(value));
        // A failed write loses only this run's change; there is nobody to tell.
        WritePrivateProfileStringA(kSettingsSection, key.name, text, fileName);
    }
}
