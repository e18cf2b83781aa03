// Player control: which song plays on which plug-in, and in which order the player calls a
// plug-in slot for one song: choose the slot by extension, OpenFile, Start (only when the file
// opened), the title, and at the end StopAndClose.
//
// Every operation here holds the playback lock (app/PlaybackLock.h): the paint thread's
// end-of-song advance runs the same operations as the user's buttons.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/OpenFilter.h"
#include "app/PlayerApp.h"
#include "app/PluginPath.h"
#include "playback/PluginSlot.h"
#include "playlist/FileDialogs.h"
#include "playlist/PlaylistFile.h"
#include "playlist/WideText.h"

namespace {

// Messages drawn in the time display, and how long they stay.
constexpr char kNoFileText[] = "No File!";
constexpr char kLoadingText[] = "Loading...";
constexpr char kNoSongText[] = "No Song\nLoaded";
constexpr char kEndOfListText[] = "End of\n List";
constexpr char kStartOfListText[] = "Start of\n List";
constexpr DWORD kShortMessageMs = 300;
constexpr DWORD kMessageMs = 500;

constexpr double kProgressTop = -1.570796327;  // the progress pointer straight up
constexpr LONG kTitleRestart = -100000;         // the next frame starts the title scroll anew
constexpr int32_t kGlyphAdvance = 12;
// No plug-in's extension list is read beyond this many bytes.
constexpr size_t kExtensionListLimit = 4096;

}  // namespace

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

int PlayerApp::AddToPlaylist(const char* path)
{
    PlaybackGuard guard(playback);
    if (path == nullptr || FindClaimingSlot(path) < 0)
        return 0;
    if (!playlist.Append(path))
        return 0;
    if (playlist.count == 1)
        currentIndex = 0;
    playlistWindow.PlaylistChanged();
    return 1;
}

void PlayerApp::ToggleButton(SkinButton& button)
{
    // The toggle redraws the button in the window: that is drawing, and drawing is serialised.
    PaintLock paint(*this);
    button.Toggle();
}

int PlayerApp::PlayCurrent()
{
    return StartCurrent(false);
}

int PlayerApp::StartCurrent(bool following)
{
    PlaybackGuard guard(playback);
    // A song started by the user is heard at once: nothing queued before stays.
    if (!following)
        heard = HeardSong();
    if (playlist.count == 0 || pluginCount == 0) {
        // Nothing to play: the button must not stay lit as if something did.
        if (playButton.IsOn())
            ToggleButton(playButton);
        ShowMessage(playlist.count == 0 ? kNoSongText : kNoFileText,
                    playlist.count == 0 ? kShortMessageMs : kMessageMs);
        return 0;
    }
    // Rows removed from the end can leave the index past the last entry: the last one plays.
    if (currentIndex >= playlist.count)
        currentIndex = playlist.count - 1;
    if (currentIndex < 0)
        currentIndex = 0;
    if (!playButton.IsOn())
        ToggleButton(playButton);
    PlayListNode* entry = playlist.NodeAt(currentIndex);
    if (entry == nullptr)
        return 0;
    // The song before is still heard: its time stays in the display.
    if (!following)
        DrawMessage(kLoadingText);
    const int32_t slotIndex = FindClaimingSlot(entry->filePath.text);
    if (slotIndex < 0)
        return 0;

    // A plug-in holds one stream at a time, and one without the optional entries never says it
    // is playing, so its callers cannot know: the song that still runs is ended here before the
    // next one opens.
    if (PluginSlot* running = CurrentSlot())
        StopSlot(running, following);
    currentPlugin = slotIndex;
    PluginSlot* slot = pluginSlots[slotIndex];
    // Plug-ins take 8-bit paths: a name the code page cannot hold goes by its short form, and
    // one without any such form is not opened at all rather than handed over mangled.
    const int opened = PluginPathFor(entry->filePath.text, openedPluginPath)
                           ? slot->OpenFile(openedPluginPath.c_str())
                           : 0;
    if (opened)
        slot->Start();
    if (!following)
        RestoreMessageArea();

    if (!opened) {
        // A song that cannot be opened does not count as playing: the button goes back up.
        heard = HeardSong();
        songLoaded = 0;
        if (playButton.IsOn())
            ToggleButton(playButton);
        ShowMessage(kNoFileText, kMessageMs);
        return 0;
    }
    songLoaded = 1;
    // A song without a title of its own keeps the one before.
    if (heard.active) {
        std::memcpy(heard.nextTitle, titleText, sizeof heard.nextTitle);
        slot->CopyTitle(heard.nextTitle, kPathChars);
        return opened;
    }
    slot->CopyTitle(titleText, kPathChars);
    RestartTitle();
    return opened;
}

void PlayerApp::RestartTitle()
{
    InterlockedExchange(&titleScroll, kTitleRestart);
    titleWidth = kGlyphAdvance * static_cast<int32_t>(std::strlen(titleText));
}

int PlayerApp::StopSlot(PluginSlot* slot, bool keepTail)
{
    PlaybackGuard guard(playback);
    // Between these two the device knows what the plug-in's stop means for the queued audio,
    // and a stop that cuts off ends every wait of the decoder thread at once.
    audio.BeginStop(keepTail);
    const int stopped = slot->StopAndClose();
    if (!keepTail)
        audio.Close(1);
    audio.EndStop();
    return stopped;
}

int PlayerApp::HaltSong()
{
    PlaybackGuard guard(playback);
    heard = HeardSong();
    progressAngle = kProgressTop;
    songLoaded = 0;
    if (playButton.IsOn())
        ToggleButton(playButton);
    PluginSlot* slot = CurrentSlot();
    if (slot == nullptr) {
        audio.Close(1);
        return 0;
    }
    return StopSlot(slot, false);
}

void PlayerApp::StopSong()
{
    PlaybackGuard guard(playback);
    HaltSong();
    InterlockedExchange(&titleScroll, 0);
}

int PlayerApp::SelectEntry(int32_t index)
{
    PlaybackGuard guard(playback);
    if (index < 0 || index >= playlist.count) {
        HaltSong();
        return 0;
    }
    currentIndex = index;
    if (IsSongPlaying())
        HaltSong();
    PlayCurrent();
    return 1;
}

void PlayerApp::NextSong()
{
    StepSong(+1, kEndOfListText);
}

void PlayerApp::PreviousSong()
{
    StepSong(-1, kStartOfListText);
}

void PlayerApp::StepSong(int32_t step, const char* endText)
{
    PlaybackGuard guard(playback);
    const int32_t target = currentIndex + step;
    // A message waits until the lock is given back: the paint thread keeps animating meanwhile.
    if (playlist.count == 0) {
        ShowMessage(kNoSongText, kShortMessageMs);
    } else if (step > 0 ? target >= playlist.count : target < 0) {
        ShowMessage(endText, kMessageMs);
    } else {
        currentIndex = target;
        HaltSong();
        PlayCurrent();
    }
}

int PlayerApp::IsSongPlaying()
{
    PlaybackGuard guard(playback);
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->IsPlaying() : 0;
}

int32_t PlayerApp::CurrentPosition()
{
    PlaybackGuard guard(playback);
    if (heard.active)
        return heard.length;
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->GetPosition() : -1;
}

int32_t PlayerApp::CurrentLength()
{
    PlaybackGuard guard(playback);
    if (heard.active)
        return heard.length;
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->GetLength() : -1;
}

void PlayerApp::PlayIfOnlySong()
{
    PlaybackGuard guard(playback);
    if (playlist.count != 1)
        return;
    if (IsSongPlaying())
        HaltSong();
    PlayCurrent();
}

void PlayerApp::OpenMediaDialog()
{
    std::vector<std::vector<std::string>> extensions;
    {
        PlaybackGuard guard(playback);
        for (int32_t i = 0; i < pluginCount; ++i) {
            const PluginSlot* slot = pluginSlots[i];
            if (slot != nullptr && slot->loaded)
                extensions.push_back(
                    SplitExtensionList(slot->description.extensions, kExtensionListLimit));
        }
    }
    const std::string filterUtf8 = BuildOpenFilter(extensions);
    const std::wstring filter =
        WideFromUtf8(filterUtf8.data(), static_cast<int>(filterUtf8.size()));

    // The dialog runs its own message loop: no lock is held while the user chooses.
    const std::string chosen = AskFileName(nullptr, filter.c_str(), L"Open Corvane Media",
                                           OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false);
    if (chosen.empty())
        return;

    PlaybackGuard guard(playback);
    const int32_t slotIndex = FindClaimingSlot(chosen.c_str());
    if (slotIndex < 0)
        return;
    // Only the player's idea of the current plug-in moves while nothing plays on it.
    if (!songLoaded)
        currentPlugin = slotIndex;
    AddToPlaylist(chosen.c_str());
}

int32_t PlayerApp::AddHandedPath(const char* path)
{
    // A playlist's songs join the list as LOAD adds them: none of them starts on its own.
    if (PlaylistFormatOf(path) != PlaylistFormat::none) {
        AddPlaylistFile(path);
        return 0;
    }
    return AddToPlaylist(path);
}

void PlayerApp::DropFiles(HDROP drop)
{
    const UINT fileCount = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    {
        PlaybackGuard guard(playback);
        int added = 0;
        for (UINT i = 0; i < fileCount; ++i) {
            // Asked for its length first: any name arrives whole, however long.
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            if (length == 0)
                continue;
            std::wstring path(length + 1, L'\0');
            if (DragQueryFileW(drop, i, &path[0], length + 1) != length)
                continue;
            path.resize(length);
            added += AddHandedPath(Utf8FromWide(path.c_str()).c_str());
        }
        // A drop that added nothing (a folder, a text file) leaves the playing song alone.
        if (added > 0)
            PlayIfOnlySong();
    }
    DragFinish(drop);
}
