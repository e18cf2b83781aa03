#include "app/FolderSongs.h"

#include <windows.h>

#include <cstdio>

#include "playlist/WideText.h"

bool DiskFolders::List(const std::string& folder, FolderListing& listing)
{
    const std::wstring pattern = WideFromUtf8(folder.c_str()) + L"\\*";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::string utf8 = Utf8FromWide(name.c_str());
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listing.folders.push_back(std::move(utf8));
        else
            listing.files.push_back(std::move(utf8));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

std::string DiskFolders::Identity(const std::string& folder)
{
    // Opened for its attributes only; backup semantics is what lets a folder be opened at all.
    const HANDLE handle = CreateFileW(WideFromUtf8(folder.c_str()).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::string();
    BY_HANDLE_FILE_INFORMATION information = {};
    const BOOL known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known)
        return std::string();
    char identity[40];
    std::snprintf(identity, sizeof identity, "%08lx:%08lx%08lx",
                  static_cast<unsigned long>(information.dwVolumeSerialNumber),
                  static_cast<unsigned long>(information.nFileIndexHigh),
                  static_cast<unsigned long>(information.nFileIndexLow));
    return identity;
}

int IsFolderPath(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path.c_str()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
