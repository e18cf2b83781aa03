#include "app/PluginPath.h"

#include <windows.h>

#include "playlist/WideText.h"

namespace {

constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

// `wide` in the system code page, when every character survives the trip there and back.
bool InCodePage(const std::wstring& wide, std::string& out)
{
    // A code page of UTF-8 holds everything, and refuses the lost-character report.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL lost = FALSE;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* const lostReport = utf8 ? nullptr : &lost;
    const int bytes =
        WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, nullptr, 0, nullptr, lostReport);
    if (bytes <= 0 || lost)
        return false;
    std::string converted(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, &converted[0], bytes, nullptr, lostReport);
    converted.resize(static_cast<size_t>(bytes) - 1);
    if (WideFromCodePage(converted) != wide)
        return false;
    out = std::move(converted);
    return true;
}

// The 8.3 form of `wide`; empty when the file system gives none. A path too long for the plain
// form is asked for in the \\?\ form, which has no MAX_PATH limit.
std::wstring ShortFormOf(const std::wstring& wide)
{
    std::wstring query = wide;
    const bool drivePath = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    const bool uncPath =
        wide.compare(0, 2, L"\\\\") == 0 && wide.compare(0, 4, kLongPathPrefix) != 0;
    if (wide.size() >= MAX_PATH) {
        if (drivePath)
            query = kLongPathPrefix + wide;
        else if (uncPath)
            query = kLongUncPrefix + wide.substr(2);
    }
    const DWORD needed = GetShortPathNameW(query.c_str(), nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::wstring shortPath(needed, L'\0');
    const DWORD written = GetShortPathNameW(query.c_str(), &shortPath[0], needed);
    if (written == 0 || written >= needed)
        return std::wstring();
    shortPath.resize(written);
    if (query.compare(0, 8, kLongUncPrefix) == 0 && shortPath.compare(0, 8, kLongUncPrefix) == 0)
        shortPath = L"\\\\" + shortPath.substr(8);
    else if (query.compare(0, 4, kLongPathPrefix) == 0 &&
             shortPath.compare(0, 4, kLongPathPrefix) == 0)
        shortPath = shortPath.substr(4);
    return shortPath;
}

}  // namespace

bool PluginPathFor(const char* path, std::string& pluginPath)
{
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty())
        return false;
    if (wide.size() < MAX_PATH && InCodePage(wide, pluginPath))
        return true;
    const std::wstring shortPath = ShortFormOf(wide);
    return !shortPath.empty() && shortPath.size() < MAX_PATH && InCodePage(shortPath, pluginPath);
}
