#include "playlist/FileDialogs.h"

#include <commdlg.h>

#include "playlist/WideText.h"

namespace {

// Long enough for the longest path the platform can name.
constexpr DWORD kDialogPathChars = 32768;
// Room for a few thousand names chosen at once.
constexpr DWORD kDialogSelectionChars = 1u << 20;

constexpr wchar_t kLoadFilter[] =
    L"Playlists (*.m3u;*.m3u8;*.pls)\0*.m3u;*.m3u8;*.pls\0All files (*.*)\0*.*\0";
constexpr wchar_t kSaveFilter[] = L"UTF-8 playlist (*.m3u8)\0*.m3u8\0";

OPENFILENAMEW DialogFor(HWND owner, const wchar_t* filter, const wchar_t* title, DWORD flags,
                        std::wstring& names)
{
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = &names[0];
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = title;
    dialog.Flags = flags;
    return dialog;
}

}  // namespace

std::string AskFileName(HWND owner, const wchar_t* filter, const wchar_t* title, DWORD flags,
                        bool save, const wchar_t* defaultExtension)
{
    std::wstring fileName(kDialogPathChars, L'\0');
    OPENFILENAMEW dialog = DialogFor(owner, filter, title, flags, fileName);
    dialog.lpstrDefExt = defaultExtension;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? Utf8FromWide(fileName.c_str()) : std::string();
}

std::vector<std::string> AskFileNames(HWND owner, const wchar_t* filter, const wchar_t* title,
                                      DWORD flags)
{
    std::wstring names(kDialogSelectionChars, L'\0');
    OPENFILENAMEW dialog =
        DialogFor(owner, filter, title, flags | OFN_ALLOWMULTISELECT | OFN_EXPLORER, names);
    std::vector<std::string> paths;
    if (!GetOpenFileNameW(&dialog))
        return paths;
    // One file: its whole path. Several: the folder, then each name, each ending in a zero, and
    // one more zero at the end.
    const wchar_t* at = names.c_str();
    const std::wstring first = at;
    at += first.size() + 1;
    if (*at == L'\0') {
        paths.push_back(Utf8FromWide(first.c_str()));
        return paths;
    }
    const std::wstring folder =
        !first.empty() && first.back() == L'\\' ? first : first + L"\\";
    while (*at != L'\0' && at < names.c_str() + names.size()) {
        const std::wstring name = at;
        at += name.size() + 1;
        paths.push_back(Utf8FromWide((folder + name).c_str()));
    }
    return paths;
}

std::string AskPlaylistToLoad(HWND owner)
{
    return AskFileName(owner, kLoadFilter, L"Load Corvane Playlist",
                       OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST, false);
}

std::string AskPlaylistToSave(HWND owner)
{
    return AskFileName(owner, kSaveFilter, L"Save Corvane Playlist",
                       OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       true, L"m3u8");
}
