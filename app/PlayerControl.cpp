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

#include "app/FolderSongs.h"
#include "app/OpenFilter.h"
#include "app/PlayerApp.h"
#include "app/PluginPath.h"
#include "playback/PluginSlot.h"
#include "settings/Settings.h"
#include "playlist/FileDialogs.h"
#include "playlist/FolderWalk.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistPaths.h"
#include "playlist/Utf8Text.h"
#include "playlist/WideText.h"
#include "text/AsciiFold.h"

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

// A plug-in that finds no title in the song reports its file name without the extension: that
// is no title, and the row keeps showing the file's whole name.
bool IsFileNameTitle(const std::string& title, const char* path)
{
    const std::string_view name = FileNameOf(path != nullptr ? path : "");
    const size_t dot = name.rfind('.');
    return title == name.substr(0, dot == std::string_view::npos || dot == 0 ? name.size() : dot);
}

}  // namespace

std::string PlayerApp::SongTitle(const PluginSlot& slot) const
{
    char title[kPathChars];
    if (slot.CopyTitle(title, kPathChars) == nullptr)
        return std::string();
    return slot.TitlesInUtf8() ? ValidUtf8(title) : Utf8FromCodePage(title);
}

void PlayerApp::NotifySongChanged()
{
    // The paint thread starts songs too: the playlist window hears of it on its own thread.
    const HWND w = window.load();
    if (w != nullptr && !songChangePosted.exchange(true))
        if (!PostMessageA(w, kSongChangedMessage, 0, 0))
            songChangePosted = false;
}

int32_t PlayerApp::PlayingIndex() const
{
    // While a song that ended is still heard, the next one is already current.
    if (!songLoaded)
        return -1;
    return heard.active ? heard.index : currentIndex;
}

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

int PlayerApp::AddToPlaylist(const char* path, const char* title)
{
    PlaybackGuard guard(playback);
    // Beyond the bound a saved list could not be read back whole.
    if (path == nullptr || FindClaimingSlot(path) < 0 || playlist.count >= kMaxPlaylistEntries)
        return 0;
    if (!playlist.Append(path, title))
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

int PlayerApp::PlayCurrent(int paused)
{
    return StartCurrent(false, paused != 0);
}

int PlayerApp::StartCurrent(bool following, bool paused)
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
    // A plug-in holds one stream at a time, and one without the optional entries never says it
    // is playing, so its callers cannot know: the song that still runs is ended here before the
    // next one opens.
    if (PluginSlot* running = CurrentSlot())
        StopSlot(running, following);
    else if (!following)
        audio.Close(1);
    if (paused)
        audio.Pause();
    // A remembered entry is kept whether or not a plug-in claims it today: unclaimed, it is
    // refused like a file that is gone.
    const int32_t slotIndex = FindClaimingSlot(entry->filePath.text);
    PluginSlot* slot = slotIndex >= 0 ? pluginSlots[slotIndex] : nullptr;
    if (slot != nullptr) {
        currentPlugin = slotIndex;
        slot->SetReplayGain(gSettings.replayGain);  // the preference as it stands when a song opens
    }
    // Plug-ins take 8-bit paths: a name the code page cannot hold goes by its short form, and
    // one without any such form is not opened at all rather than handed over mangled.
    const int opened = slot != nullptr && PluginPathFor(entry->filePath.text, openedPluginPath)
                           ? slot->OpenFile(openedPluginPath.c_str())
                           : 0;
    if (opened)
        slot->Start();
    if (!following)
        RestoreMessageArea();

    if (!opened) {
        ShowMessage(kNoFileText, kMessageMs);
        // During continuous play the song before is still heard, and the list goes on: the
        // caller passes over to the next entry.
        if (following && currentIndex + 1 < playlist.count)
            return 0;
        // A song that cannot be opened does not count as playing: the button goes back up.
        heard = HeardSong();
        songLoaded = 0;
        if (playButton.IsOn())
            ToggleButton(playButton);
        EndPause();
        return 0;
    }
    songLoaded = 1;
    if (paused)
        PauseSong();  // the controls show it: the play button up, the pause control lit
    // The row keeps the title in any script; the main window's font draws its ASCII folding.
    const std::string title = SongTitle(*slot);
    // A plug-in without a tag to read names the song after the file it was handed, which may be
    // the short (8.3) form of a name the code page cannot hold: neither is a title.
    if (!title.empty() && !IsFileNameTitle(title, entry->filePath.text) &&
        !IsFileNameTitle(title, Utf8FromCodePage(openedPluginPath).c_str()))
        entry->title.Assign(title.c_str());
    std::string drawn;
    AppendFoldedUtf8(title.data(), title.size(), kPathChars - 1, drawn);
    WakePaintThread();
    // A song without a title of its own keeps the one before.
    if (heard.active) {
        std::memcpy(heard.nextTitle, titleText, sizeof heard.nextTitle);
        if (!title.empty())
            std::memcpy(heard.nextTitle, drawn.c_str(), drawn.size() + 1);
        return opened;
    }
    if (!title.empty())
        std::memcpy(titleText, drawn.c_str(), drawn.size() + 1);
    RestartTitle();
    return opened;
}

void PlayerApp::RestartTitle()
{
    InterlockedExchange(&titleScroll, kTitleRestart);
    titleWidth = kGlyphAdvance * static_cast<int32_t>(std::strlen(titleText));
    // The song heard now changed: its row takes the mark.
    NotifySongChanged();
    WakePaintThread();
}

int PlayerApp::StopSlot(PluginSlot* slot, bool keepTail)
{
    PlaybackGuard guard(playback);
    // Between these two the device knows what the plug-in's stop means for the queued audio,
    // and a stop that cuts off ends every wait of the decoder thread at once.
    audio.BeginStop(keepTail);
    const int stopped = slot->StopAndClose();
    if (!keepTail) {
        audio.Close(1);
        EndPause();
    }
    audio.EndStop();
    return stopped;
}

void PlayerApp::EndPause()
{
    PlaybackGuard guard(playback);
    if (!IsPaused())
        return;
    audio.Resume();  // the ring is gone or empty: this only clears the flag
    SetButton(pauseButton, 0);
}

int PlayerApp::HaltSong()
{
    PlaybackGuard guard(playback);
    heard = HeardSong();
    progressAngle = kProgressTop;
    if (songLoaded)
        NotifySongChanged();
    songLoaded = 0;
    if (playButton.IsOn())
        ToggleButton(playButton);
    PluginSlot* slot = CurrentSlot();
    // The pointer sweeps back, the time and scopes come to rest.
    WakePaintThread();
    if (slot == nullptr) {
        audio.Close(1);
        EndPause();
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

void PlayerApp::StartAddedSong(int32_t first)
{
    if (first < 0)
        return;
    PlaybackGuard guard(playback);
    // Appended while another song plays, it waits its turn, unless Immediate Play is ticked.
    if (songLoaded && gSettings.immediatePlay != 1)
        return;
    if (first >= playlist.count)
        return;
    currentIndex = first;
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
    const std::vector<std::string> chosen =
        AskFileNames(nullptr, filter.c_str(), L"Open Corvane Media",
                     OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    int32_t first = -1;
    {
        PlaybackGuard guard(playback);
        for (const std::string& path : chosen) {
            const int32_t slotIndex = FindClaimingSlot(path.c_str());
            if (slotIndex < 0)
                continue;
            // Only the player's idea of the current plug-in moves while nothing plays on it.
            if (!songLoaded)
                currentPlugin = slotIndex;
            if (AddToPlaylist(path.c_str()) && first < 0)
                first = playlist.count - 1;
        }
    }
    // Without Immediate Play the chosen songs join the end of the list without playing.
    if (gSettings.immediatePlay == 1)
        StartAddedSong(first);
}

int32_t PlayerApp::AddHandedPath(const char* path, int32_t* skipped)
{
    // A playlist's songs join the list as LOAD adds them: none of them starts on its own. Its
    // file is read and its entries looked up on disk before the playback lock is taken.
    if (PlaylistFormatOf(path) != PlaylistFormat::none) {
        AddPlaylistFile(path);
        return -1;
    }
    std::vector<std::string> songs;
    std::string named = path;
    if (IsFolderPath(named)) {
        // A whole folder is walked before the lock is taken: a large tree, or a slow share,
        // must not hold up the paint thread.
        while (named.size() > 1 && (named.back() == '\\' || named.back() == '/'))
            named.pop_back();
        DiskFolders disk;
        songs = WalkFolder(disk, named, [this](const std::string& song) {
                    return FindClaimingSlot(song.c_str()) >= 0;
                }).songs;
    } else {
        songs.push_back(std::move(named));
    }
    PlaybackGuard guard(playback);
    int32_t first = -1;
    for (const std::string& song : songs) {
        if (AddToPlaylist(song.c_str())) {
            if (first < 0)
                first = playlist.count - 1;
        } else if (skipped != nullptr && playlist.count >= kMaxPlaylistEntries) {
            // Beyond the bound a saved list could not be read back whole.
            ++*skipped;
        }
    }
    return first;
}

void PlayerApp::AddHandedPaths(const std::vector<std::string>& paths)
{
    // No lock is held between the paths: each takes it only to append what it found.
    int32_t first = -1;
    int32_t skipped = 0;
    for (const std::string& path : paths) {
        const int32_t added = AddHandedPath(path.c_str(), &skipped);
        if (first < 0)
            first = added;
    }
    ShowSkipped(skipped);
    StartAddedSong(first);
}

void PlayerApp::DropFiles(HDROP drop)
{
    const UINT fileCount = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < fileCount; ++i) {
        // Asked for its length first: any name arrives whole, however long.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::wstring path(length + 1, L'\0');
        if (DragQueryFileW(drop, i, &path[0], length + 1) != length)
            continue;
        path.resize(length);
        paths.push_back(Utf8FromWide(path.c_str()));
    }
    DragFinish(drop);
    // A drop that added no song (a text file, an empty folder) leaves the playing song alone.
    AddHandedPaths(paths);
}
