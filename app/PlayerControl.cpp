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

#include "app/PlayerApp.h"
#include "playback/PluginSlot.h"

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
constexpr int kDropPathChars = 259;

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

void PlayerApp::AddToPlaylist(const char* path)
{
    PlaybackGuard guard(playback);
    if (FindClaimingSlot(path) < 0)
        return;
    if (!playlist.Append(path))
        return;
    if (playlist.count == 1)
        currentIndex = 0;
    playlistWindow.PlaylistChanged();
}

void PlayerApp::ToggleButton(SkinButton& button)
{
    // The toggle redraws the button in the window: that is drawing, and drawing is serialised.
    PaintLock paint(*this);
    button.Toggle();
}

int PlayerApp::PlayCurrent()
{
    PlaybackGuard guard(playback);
    if (playlist.count == 0 || pluginCount == 0) {
        ShowMessage(kNoFileText, kMessageMs);
        return 0;
    }
    if (!playButton.IsOn())
        ToggleButton(playButton);
    PlayListNode* entry = playlist.NodeAt(currentIndex);
    if (entry == nullptr)
        return 0;
    DrawMessage(kLoadingText);
    const int32_t slotIndex = FindClaimingSlot(entry->filePath.text);
    if (slotIndex < 0)
        return 0;

    // A plug-in holds one stream at a time, and one without the optional entries never says it
    // is playing, so its callers cannot know: the song that still runs is ended here before the
    // next one opens.
    if (PluginSlot* running = CurrentSlot())
        running->StopAndClose();
    currentPlugin = slotIndex;
    PluginSlot* slot = pluginSlots[slotIndex];
    const int opened = slot->OpenFile(entry->filePath.text);
    if (opened)
        slot->Start();
    RestoreMessageArea();

    if (!opened) {
        // A song that cannot be opened does not count as playing: the button goes back up.
        songLoaded = 0;
        if (playButton.IsOn())
            ToggleButton(playButton);
        ShowMessage(kNoFileText, kMessageMs);
        return 0;
    }
    slot->CopyTitle(titleText, kPathChars);
    songLoaded = 1;
    InterlockedExchange(&titleScroll, kTitleRestart);
    titleWidth = kGlyphAdvance * static_cast<int32_t>(std::strlen(titleText));
    return opened;
}

int PlayerApp::HaltSong()
{
    PlaybackGuard guard(playback);
    progressAngle = kProgressTop;
    songLoaded = 0;
    if (playButton.IsOn())
        ToggleButton(playButton);
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->StopAndClose() : 0;
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
    const char* message = nullptr;
    DWORD millis = kMessageMs;
    {
        PlaybackGuard guard(playback);
        const int32_t target = currentIndex + step;
        if (playlist.count == 0) {
            message = kNoSongText;
            millis = kShortMessageMs;
        } else if (step > 0 ? target >= playlist.count : target < 0) {
            message = endText;
        } else {
            currentIndex = target;
            HaltSong();
            PlayCurrent();
        }
    }
    // Shown without the lock: the paint thread keeps animating while the message stands.
    if (message != nullptr)
        ShowMessage(message, millis);
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
    PluginSlot* slot = CurrentSlot();
    return slot != nullptr ? slot->GetPosition() : -1;
}

int32_t PlayerApp::CurrentLength()
{
    PlaybackGuard guard(playback);
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
    // The filter: every plug-in's extension list, one zero-terminated text after the other,
    // ended by an empty text.
    char filter[4096] = {};
    size_t used = 0;
    {
        PlaybackGuard guard(playback);
        for (int32_t i = 0; i < pluginCount; ++i) {
            const PluginSlot* slot = pluginSlots[i];
            if (slot == nullptr || !slot->loaded || slot->description.extensions == nullptr)
                continue;
            // The list without its closing zero: its extensions with the zero after each.
            const char* list = slot->description.extensions;
            size_t length = 0;
            while (used + length < sizeof filter - 1 && list[length] != '\0')
                length += std::strlen(list + length) + 1;
            // A list that would not fit, with the filter's closing zero, is left out, not cut.
            if (used + length >= sizeof filter - 1)
                continue;
            std::memcpy(filter + used, list, length);
            used += length;
        }
    }
    filter[used] = '\0';

    char fileName[4096] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = sizeof fileName;
    dialog.lpstrTitle = "Open Corvane Media";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    // The dialog runs its own message loop: no lock is held while the user chooses.
    if (!GetOpenFileNameA(&dialog))
        return;
    // A path that does not fit the playlist's buffers would name another file.
    if (std::strlen(fileName) >= static_cast<size_t>(kPathChars))
        return;

    PlaybackGuard guard(playback);
    const int32_t slotIndex = FindClaimingSlot(fileName);
    if (slotIndex < 0)
        return;
    // Only the player's idea of the current plug-in moves while nothing plays on it.
    if (!songLoaded)
        currentPlugin = slotIndex;
    AddToPlaylist(fileName);
}

void PlayerApp::DropFiles(HDROP drop)
{
    const UINT fileCount = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    {
        PlaybackGuard guard(playback);
        for (UINT i = 0; i < fileCount; ++i) {
            char path[kDropPathChars] = {};
            // A name longer than the buffer would come back cut, naming another file: skip it.
            if (DragQueryFileA(drop, i, nullptr, 0) >= sizeof path)
                continue;
            DragQueryFileA(drop, i, path, sizeof path);
            AddToPlaylist(path);
        }
        PlayIfOnlySong();
    }
    DragFinish(drop);
}
