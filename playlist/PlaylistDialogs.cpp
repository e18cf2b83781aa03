#include "playlist/PlaylistDialogs.h"

#include <commdlg.h>

#include "playlist/WideText.h"

namespace {

// Long enough for the longest path the platform can name.
constexpr DWORD kDialogPathChars = 32768;

// Each filter string ends in its own zero; the list ends in one more.
constexpr wchar_t kLoadFilter[] =
    L"Playlists (*.m3u;*.m3u8;*.pls)\0*.m3u;*.m3u8;*.pls\0All files (*.*)\0*.*\0";
constexpr wchar_t kSaveFilter[] = L"UTF-8 playlist (*.m3u8)\0*.m3u8\0";

std::string RunDialog(HWND owner, bool save)
{
    std::wstring fileName(kDialogPathChars, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = save ? kSaveFilter : kLoadFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = &fileName[0];
    dialog.nMaxFile = kDialogPathChars;
    dialog.lpstrTitle = save ? L"Save Corvane Playlist" : L"Load Corvane Playlist";
    dialog.lpstrDefExt = save ? L"m3u8" : nullptr;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? Utf8FromWide(fileName.c_str()) : std::string();
}

}  // namespace

std::string AskPlaylistToLoad(HWND owner)
{
    return RunDialog(owner, false);
}

std::string AskPlaylistToSave(HWND owner)
{
    return RunDialog(owner, true);
}
