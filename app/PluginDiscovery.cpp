// Finds the decoder plug-ins: every "*.cvp" file in the program's own folder.
#include <windows.h>

#include <cstring>
#include <new>

#include "app/PlayerApp.h"
#include "playback/PluginSlot.h"

void PlayerApp::LoadPlugins()
{
    pluginCount = 0;
    // The search pattern names the program's folder: a relative one would search the current
    // directory, which need not be where the program lies.
    char pattern[kPathChars + 8];
    std::strcpy(pattern, programDir);
    std::strcat(pattern, "*.cvp");

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        PluginSlot* slot = new (std::nothrow) PluginSlot;
        if (slot == nullptr)
            break;
        pluginSlots[pluginCount++] = slot;
        // The bare name: the loader finds it next to the program. A library that fails keeps
        // its slot, unusable.
        slot->Load(found.cFileName);
    } while (pluginCount < kMaxPluginSlots && FindNextFileA(search, &found));
    FindClose(search);
}
