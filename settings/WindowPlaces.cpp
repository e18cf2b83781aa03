#include "settings/WindowPlaces.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "settings/Settings.h"

namespace {

// The key's whole text as a number; false when it is missing or not one.
bool ReadNumber(const char* key, const char* fileName, int32_t& value)
{
    char text[32] = {};
    GetPrivateProfileStringA(kSettingsSection, key, "", text, sizeof text, fileName);
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (text[0] == '\0' || *end != '\0' || number < -1000000 || number > 1000000)
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

void WriteNumber(const char* key, int32_t value, const char* fileName)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    WritePrivateProfileStringA(kSettingsSection, key, text, fileName);
}

void ReadPlace(const char* xKey, const char* yKey, const char* fileName, WindowPlace& place)
{
    place.known = ReadNumber(xKey, fileName, place.x) && ReadNumber(yKey, fileName, place.y);
}

void WritePlace(const char* xKey, const char* yKey, const WindowPlace& place,
                const char* fileName)
{
    if (!place.known)
        return;
    WriteNumber(xKey, place.x, fileName);
    WriteNumber(yKey, place.y, fileName);
}

}  // namespace

void WindowPlaces::Read(const char* fileName)
{
    ReadPlace("MainWindowX", "MainWindowY", fileName, main);
    ReadPlace("PlaylistWindowX", "PlaylistWindowY", fileName, playlist);
    int32_t open = 0;
    playlistOpen = ReadNumber("PlaylistWindowOpen", fileName, open) && open == 1 ? 1 : 0;
}

void WindowPlaces::Write(const char* fileName) const
{
    WritePlace("MainWindowX", "MainWindowY", main, fileName);
    WritePlace("PlaylistWindowX", "PlaylistWindowY", playlist, fileName);
    WriteNumber("PlaylistWindowOpen", playlistOpen ? 1 : 0, fileName);
}
