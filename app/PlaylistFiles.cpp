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
        if (!present[i] || !AddToPlaylist(song.c_str())) {
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
    if (result.skipped > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "Skipped\n%d", static_cast<int>(result.skipped));
        ShowMessage(text, kSkippedMessageMs);
    }
    return result.added;
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
        // The plug-in's info describes the song it plays, and no other entry.
        PluginSlot* slot = CurrentSlot();
        char title[kPathChars];
        if (index == currentIndex && songLoaded && slot != nullptr &&
            slot->CopyTitle(title, kPathChars) != nullptr) {
            entry.title = Utf8FromCodePage(title);
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
    }
    ReplaceFile(path, text);
}

void PlayerApp::RecallPlaylist()
{
    const std::wstring path = RememberedPlaylistPath();
    std::string bytes;
    // A missing or unreadable file is an empty list, without a word.
    if (path.empty() || !ReadWholeFile(path, bytes))
        return;
    const std::string utf8 = Utf8FromWide(path.c_str());
    const AddedEntries result = AppendPlaylist(bytes, utf8.c_str(), CurrentEntryOf(bytes));
    PlaybackGuard guard(playback);
    currentIndex = result.current >= 0 ? result.current : 0;
}
