// Finds the decoder plug-ins: every "*.cvp" file in the program's own folder.
#include <windows.h>

#include <new>
#include <string>

#include "app/PlayerApp.h"
#include "app/PluginPath.h"
#include "playback/PluginSlot.h"
#include "playlist/WideText.h"

void PlayerApp::LoadPlugins()
{
    pluginCount = 0;
    // The search pattern names the program's folder: a relative one would search the current
    // directory, which need not be where the program lies. The folder may have any name.
    const std::wstring pattern = WideFromUtf8(programDir) + L"*.cvp";

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        PluginSlot* slot = new (std::nothrow) PluginSlot;
        if (slot == nullptr)
            break;
        pluginSlots[pluginCount++] = slot;
        // The bare name: the loader finds it next to the program, whatever the folder is
        // called. A library that fails keeps its slot, unusable.
        std::string name;
        if (PluginPathFor(Utf8FromWide(found.cFileName).c_str(), name))
            slot->Load(name.c_str());
    } while (pluginCount < kMaxPluginSlots && FindNextFileW(search, &found));
    FindClose(search);
}
