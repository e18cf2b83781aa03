// Playlist files in the player: LOAD, SAVE, dropped or handed-over playlists, and the playlist
// remembered from one run to the next. The formats themselves are read and written in
// playlist/; here the bytes meet the disk, and each entry meets the plug-ins.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/PlayerApp.h"
#include "playback/PluginSlot.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistPaths.h"
#include "playlist/RememberedEntry.h"
#include "playlist/WideText.h"

namespace {

constexpr DWORD kSkippedMessageMs = 500;

// The whole file at `path`, or false when it cannot be read or is longer than any playlist
// is allowed to be (a 50 MB file of junk is refused before it is read).
bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= LONGLONG{kMaxPlaylistBytes};
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() ||
             (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
              got == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

// Writes `bytes` to a new file beside `path` and renames it over `path`: a crash or a full
// disk mid-write leaves the old file as it was.
bool ReplaceFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring fresh = path + L".new";
    const HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) &&
              written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    ok = ok && MoveFileExW(fresh.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        DeleteFileW(fresh.c_str());
    return ok;
}

bool IsSongFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path.c_str()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Beside "Corvane.ini": the profile service keeps a bare name in the Windows folder.
std::wstring RememberedPlaylistPath()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return std::wstring(folder, length) + L"\\Corvane.m3u8";
}

}  // namespace

PlayerApp::AddedEntries PlayerApp::AppendPlaylist(const std::string& bytes, const char* path,
                                                   int32_t current)
{
    const PlaylistContents contents =
        ReadPlaylist(bytes, PlaylistFormatOf(path), path, Utf8FromCodePage);
    AddedEntries result;
    result.skipped = contents.unreadable;
    // The disk is asked before the playback lock is taken: ten thousand entries, or a slow
    // share, must not hold up the paint thread.
    std::vector<char> present(contents.entries.size());
    for (size_t i = 0; i < present.size(); ++i)
        present[i] = IsSongFile(contents.entries[i].path);
    PlaybackGuard guard(playback);
    for (size_t i = 0; i < contents.entries.size(); ++i) {
        const std::string& song = contents.entries[i].path;
        // The checks a single dropped song gets, and the file must be there.
        // A title that is only the file's name (as an untitled entry is saved) is no title.
        const std::string& title = contents.entries[i].title;
        const bool titled = !title.empty() && title != FileNameOf(song);
        if (!present[i] || !AddToPlaylist(song.c_str(), titled ? title.c_str() : nullptr)) {
            ++result.skipped;
            continue;
        }
        // A current entry that went missing passes to the next one that is still there.
        if (result.current < 0 && static_cast<int32_t>(i) >= current && current >= 0)
            result.current = playlist.count - 1;
        ++result.added;
    }
    return result;
}

int32_t PlayerApp::AddPlaylistFile(const char* path)
{
    std::string bytes;
    AddedEntries result;
    if (path == nullptr || !ReadWholeFile(WideFromUtf8(path), bytes))
        result.skipped = 1;  // the playlist itself could not be had
    else
        result = AppendPlaylist(bytes, path, -1);
    ShowSkipped(result.skipped);
    return result.added;
}

void PlayerApp::ShowSkipped(int32_t count)
{
    if (count <= 0)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "Skipped\n%d", static_cast<int>(count));
    ShowMessage(text, kSkippedMessageMs);
}

int PlayerApp::SavePlaylistFile(const char* path)
{
    if (path == nullptr)
        return 0;
    return ReplaceFile(WideFromUtf8(path), PlaylistText(path)) ? 1 : 0;
}

std::string PlayerApp::PlaylistText(const char* path)
{
    std::vector<PlaylistEntry> entries;
    PlaybackGuard guard(playback);
    entries.reserve(static_cast<size_t>(playlist.count));
    int32_t index = 0;
    for (const PlayListNode* node = playlist.head; node != nullptr; node = node->next, ++index) {
        PlaylistEntry entry;
        entry.path = node->filePath.text != nullptr ? node->filePath.text : "";
        if (node->title.length > 0)
            entry.title = node->title.text;
        // The plug-in's length describes the song it plays, and no other entry.
        PluginSlot* slot = CurrentSlot();
        if (index == currentIndex && songLoaded && slot != nullptr) {
            const int32_t millis = slot->GetLength();
            entry.seconds = millis > 0 ? millis / 1000 : -1;
        }
        entries.push_back(std::move(entry));
    }
    return WriteM3u8(entries, path);
}

void PlayerApp::RememberPlaylist()
{
    const std::wstring path = RememberedPlaylistPath();
    if (path.empty())
        return;
    const std::string utf8 = Utf8FromWide(path.c_str());
    std::string text = PlaylistText(utf8.c_str());
    {
        PlaybackGuard guard(playback);
        text += CurrentEntryLine(currentIndex);
        // The place heard, so that the next start can load the song there.
        const int32_t position = CurrentPosition();
        if (songLoaded && position >= 0)
            text += PlaceLine(position, CurrentLength());
    }
    // A file this run could not read whole may hold more than the list: it is kept aside.
    if (rememberedIncomplete)
        CopyFileW(path.c_str(), (path + L".bak").c_str(), FALSE);
    ReplaceFile(path, text);
}

void PlayerApp::RecallPlaylist()
{
    const std::wstring path = RememberedPlaylistPath();
    std::string bytes;
    // A missing or unreadable file is an empty list, without a word.
    if (path.empty() || !ReadWholeFile(path, bytes)) {
        rememberedIncomplete = !path.empty() &&
                               GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        return;
    }
    const std::string utf8 = Utf8FromWide(path.c_str());
    const PlaylistContents contents =
        ReadPlaylist(bytes, PlaylistFormatOf(utf8.c_str()), utf8.c_str(), Utf8FromCodePage);
    rememberedIncomplete = contents.unreadable > 0;
    // Every entry stays, whether its file is there today (a drive not mounted, a share
    // offline) or a plug-in claims it (one missing beside the program): each is checked when it
    // plays. Nothing touches the disk, so a slow share does not hold up the start.
    PlaybackGuard guard(playback);
    for (const PlaylistEntry& entry : contents.entries) {
        // A title that is only the file's name (as an untitled entry is saved) is no title.
        const bool titled = !entry.title.empty() && entry.title != FileNameOf(entry.path);
        if (playlist.count >= kMaxPlaylistEntries ||
            !playlist.Append(entry.path.c_str(), titled ? entry.title.c_str() : nullptr))
            rememberedIncomplete = 1;
    }
    const int32_t current = CurrentEntryOf(bytes);
    currentIndex = current >= 0 && current < playlist.count ? current : 0;
    recalledPlace = PlaceOf(bytes);
    playlistWindow.PlaylistChanged();
}

void PlayerApp::RestorePlace()
{
    PlaybackGuard guard(playback);
    const PlayListNode* entry = playlist.NodeAt(currentIndex);
    // A song that is gone is simply the current entry, without a word.
    if (recalledPlace.positionMs < 0 || entry == nullptr || !IsSongFile(entry->filePath.text))
        return;
    if (!PlayCurrent(1))
        return;
    // A song whose length changed is another song by the same name: it starts at 00:00.
    if (CurrentLength() == recalledPlace.lengthMs)
        SeekTo(recalledPlace.positionMs);
}
