// Player control: which song plays on which plug-in, and in which order the player calls a
// plug-in slot for one song: choose the slot by extension, OpenFile, Start (only when the file
// opened), the title, and at the end StopAndClose.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/PlayerApp.h"
#include "playback/PluginSlot.h"

PluginSlot* PlayerApp::CurrentSlot() const
{
    if (currentPlugin < 0 || currentPlugin >= pluginCount)
        return nullptr;
    return pluginSlots[currentPlugin];
}

int32_t PlayerApp::FindClaimingSlot(const char* path) const
{
    for (int32_t i = 0; i < pluginCount; ++i)
        if (pluginSlots[i] != nullptr && pluginSlots[i]->MatchesExtension(path))
            return i;
    return -1;
}

void PlayerApp::AddToPlaylist(const char* path)
{
    if (FindClaimingSlot(path) < 0)
        return;
    if (!playlist.Append(path))
        return;
    if (playlist.count == 1)
        currentIndex = 0;
}

int PlayerApp::PlayCurrent()
{
    if (playlist.count == 0 || pluginCount == 0)
        return 0;
    PlayListNode* entry = playlist.NodeAt(currentIndex);
    if (entry == nullptr)
        return 0;
    const int32_t slotIndex = FindClaimingSlot(entry->filePath.text);
    if (slotIndex < 0)
        return 0;
    // A plug-in holds one stream at a time, and one without the optional entries never says it
    // is playing, so its callers cannot know: the song that still runs is ended here before the
    // next one opens.
    if (songLoaded) {
        if (PluginSlot* running = CurrentSlot())
            running->StopAndClose();
    }
    currentPlugin = slotIndex;
    PluginSlot* slot = pluginSlots[slotIndex];
    const int opened = slot->OpenFile(entry->filePath.text);
    if (opened)
        slot->Start();
    slot->CopyTitle(titleText, kPathChars);
    songLoaded = 1;
    return opened;
}

int PlayerApp::HaltSong()
{
    songLoaded = 0;
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->StopAndClose() : 0;
}

int PlayerApp::IsSongPlaying()
{
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->IsPlaying() : 0;
}

void PlayerApp::PlayIfOnlySong()
{
    if (playlist.count != 1)
        return;
    if (IsSongPlaying())
        HaltSong();
    PlayCurrent();
}

void PlayerApp::DropFiles(HDROP drop)
{
    const UINT fileCount = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < fileCount; ++i) {
        char path[259] = {};
        // A name longer than the buffer would come back cut, naming another file: skip it.
        if (DragQueryFileA(drop, i, nullptr, 0) >= sizeof path)
            continue;
        DragQueryFileA(drop, i, path, sizeof path);
        AddToPlaylist(path);
    }
    PlayIfOnlySong();
    DragFinish(drop);
}
