// How one song follows another. A plug-in reports the end of its song as soon as it has handed
// the device its last block; the device goes on playing what it holds, so the next entry is
// opened right then and its first block is queued behind the last one of the song before: two
// songs of one format join without a gap. What the user sees follows what is heard: the title,
// time and ring stay with the song that ended until its last block has played, and after the
// last entry the player halts (the play button comes up) only once everything has been heard.
#include <windows.h>

#include <cstring>

#include "app/PlayerApp.h"
#include "playback/PluginSlot.h"

namespace {

constexpr char kNoDeviceText[] = "No Device";
constexpr DWORD kNoDeviceMs = 500;
// Entries that cannot be opened that one song's end passes over: each costs a failed open (tens
// of microseconds), so the paint thread holds the lock for a few milliseconds at most.
constexpr int32_t kPassOverMost = 100;

}  // namespace

int PlayerApp::FollowPlayback()
{
    PlaybackGuard guard(playback);
    // Without a device the song would race through in silence: it stops instead.
    if (audio.TakeOpenFailure()) {
        if (songLoaded) {
            StopSong();
            ShowMessage(kNoDeviceText, kNoDeviceMs);
        }
        return 1;
    }
    PluginSlot* slot = CurrentSlot();
    const bool ended = slot != nullptr && slot->GetPosition() > slot->GetLength();
    if (ended)
        AdvanceAtEnd();
    FollowHeardSong();
    // A stream that ended with nothing after it: the device closes once it has played out. A
    // song just started gets until the next frame to open its stream.
    if (!ended && !heard.active)
        audio.CloseIfPlayedOut();
    // After a stream's end the plug-in reports the song over within moments; until it has, or
    // a stream has opened again, the next look comes soon.
    return ended || !songLoaded || heard.active || audio.streamOpen != 0 ? 1 : 0;
}

void PlayerApp::AdvanceAtEnd()
{
    PlaybackGuard guard(playback);
    PluginSlot* slot = CurrentSlot();
    // A song that ends before the one before it was heard (shorter than the device's queue)
    // leaves the display where it is.
    if (!heard.active) {
        heard.active = 1;
        heard.index = currentIndex;
        heard.length = slot != nullptr ? slot->GetLength() : 0;
    }
    heard.mark = audio.QueuedMark();
    // An entry that cannot be opened (its file gone, its drive not mounted) shows "No File!" and
    // is passed over, as far as the end of the list; so many in a row that trying them would
    // hold the lock for long end the list instead.
    for (int32_t tried = 0; currentIndex + 1 < playlist.count && tried < kPassOverMost; ++tried) {
        currentIndex += 1;
        // Opened, or refused at the end of the list, which halts the player.
        if (StartCurrent(true) || !heard.active)
            return;
    }
    heard.listEnded = 1;
    if (slot != nullptr)
        StopSlot(slot, true);
}

void PlayerApp::FollowHeardSong()
{
    PlaybackGuard guard(playback);
    if (!heard.active || !audio.HasPlayed(heard.mark))
        return;
    if (heard.listEnded) {
        HaltSong();
        return;
    }
    heard.active = 0;
    std::memcpy(titleText, heard.nextTitle, sizeof titleText);
    RestartTitle();
}
