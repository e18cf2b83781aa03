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
    // A stream that ended with nothing after it: the device closes once it has played out.
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
    if (currentIndex + 1 < playlist.count) {
        currentIndex += 1;
        StartCurrent(true);
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
