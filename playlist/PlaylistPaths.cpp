#include "playlist/PlaylistPaths.h"

#include <vector>

#include "playlist/Utf8Text.h"

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDrive(std::string_view path)
{
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

// A scheme of two letters or more before the colon ("http:", "file:"); one letter is a drive.
bool HasUrlScheme(std::string_view text)
{
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        const bool later = at > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
        if (!IsAsciiLetter(c) && !later)
            break;
        ++at;
    }
    return at >= 2 && at < text.size() && text[at] == ':';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size() && HexValue(text[at + 1]) >= 0 &&
            HexValue(text[at + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2]));
            at += 2;
        } else {
            bytes += text[at];  // a lone "%" stays what it is
        }
    }
    return bytes;
}

// Control characters name no file (Windows refuses them in names), and a zero byte would cut
// the path short; junk is full of them.
bool HasControlCharacter(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
}

// "file:///C:/a%20b.mp3" gives "C:/a b.mp3", "file://server/share/x.mp3" gives
// "//server/share/x.mp3"; empty when the URL cannot name a file.
std::string PathOfFileUrl(std::string_view url)
{
    std::string_view rest = url.substr(5);  // after "file:"
    std::string_view host;
    if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/') {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        host = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (StartsWithFoldingAscii(host, "localhost") && host.size() == 9)
            host = {};
    }
    std::string decoded = PercentDecoded(rest);
    // "/C:/..." and the old "/C|/..." name a drive.
    if (decoded.size() >= 3 && decoded[0] == '/' && IsAsciiLetter(decoded[1]) &&
        (decoded[2] == ':' || decoded[2] == '|')) {
        decoded.erase(0, 1);
        decoded[1] = ':';
    }
    if (!host.empty())
        decoded = "//" + PercentDecoded(host) + decoded;
    if (HasControlCharacter(decoded) || ValidUtf8(decoded) != decoded)
        return {};
    return decoded;
}

// Splits a backslashed path into its root and the rest: "C:" for "C:\x" (and for the
// drive-relative "C:x", taken as rooted), "\\server\share" for a share, "" for a rooted or
// relative path. `rooted` tells whether the rest hangs from a root; a share without a server or
// a share name is no path (`valid` 0).
struct SplitPath {
    std::string root;
    std::string_view rest;
    bool rooted = false;
    bool valid = true;
};

SplitPath Split(std::string_view path)
{
    SplitPath split;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const size_t serverEnd = path.find('\\', 2);
        const size_t shareEnd =
            serverEnd == std::string_view::npos ? serverEnd : path.find('\\', serverEnd + 1);
        const size_t end = shareEnd == std::string_view::npos ? path.size() : shareEnd;
        split.valid = serverEnd != std::string_view::npos && serverEnd > 2 && end > serverEnd + 1;
        split.root = std::string(path.substr(0, end));
        split.rest = path.substr(end);
        split.rooted = true;
    } else if (HasDrive(path)) {
        split.root = std::string(path.substr(0, 2));
        split.rest = path.substr(2);
        split.rooted = true;
    } else {
        split.rest = path;
        split.rooted = !path.empty() && path[0] == '\\';
    }
    return split;
}

// Root plus the rest with "." and ".." resolved, repeated separators joined and blanks at the
// end of names dropped.
std::string Normalised(const std::string& root, std::string_view rest, bool rooted)
{
    std::vector<std::string_view> parts;
    size_t at = 0;
    while (at <= rest.size()) {
        size_t end = rest.find('\\', at);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view part = rest.substr(at, end - at);
        // Windows drops blanks at the end of a name (no name it makes has them), and so does a
        // reader of the line written back.
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!rooted)
                parts.push_back(part);  // a relative path may climb; a root is the top
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string path = root;
    if (rooted)
        path += '\\';
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path += '\\';
        path += parts[i];
    }
    return path;
}

std::string Backslashed(std::string_view path)
{
    std::string text(path);
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text;
}

}  // namespace

std::string_view FileNameOf(std::string_view path)
{
    const size_t last = path.find_last_of("\\/:");
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view FolderOf(std::string_view path)
{
    const size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos)
        return HasDrive(path) ? path.substr(0, 2) : std::string_view();
    return path.substr(0, last);
}

std::string ResolveEntryPath(std::string_view entry, std::string_view folder)
{
    // Joined to the folder, nothing would name the folder itself.
    if (entry.empty() || HasControlCharacter(entry))
        return {};
    std::string path;
    if (HasUrlScheme(entry)) {
        if (!StartsWithFoldingAscii(entry, "file:"))
            return std::string(entry);
        path = PathOfFileUrl(entry);
        if (path.empty())
            return {};
    } else {
        path = std::string(entry);
    }
    // "\\?\" paths are taken literally by Windows: no "." or ".." and no slash conversion. A
    // blank at their end would not survive a line of a playlist.
    if (path.rfind("\\\\?\\", 0) == 0) {
        while (path.back() == ' ')
            path.pop_back();
        return path;
    }
    path = Backslashed(path);

    const std::string base = Backslashed(folder);
    const SplitPath own = Split(path);
    std::string joined;
    if (!own.rooted)
        joined = base.empty() ? path : base + '\\' + path;
    else if (own.root.empty())
        joined = Split(base).root + path;  // "\Music\a.mp3": on the playlist's drive or share
    else
        joined = path;
    const SplitPath split = Split(joined);
    if (!split.valid)
        return {};
    std::string resolved = Normalised(split.root, split.rest, split.rooted);
    while (!resolved.empty() && resolved.back() == ' ')
        resolved.pop_back();  // a share's name, which Normalised leaves as it is
    // A colon anywhere but after the drive letter is in no Windows name ("a:b.mp3" is no file,
    // and written back it would read as a URL).
    if (resolved.find(':', 2) != std::string::npos)
        return {};
    return resolved;
}

std::string PathForPlaylist(std::string_view path, std::string_view folder)
{
    std::string base = Backslashed(folder);
    while (!base.empty() && base.back() == '\\')
        base.pop_back();
    const std::string full = Backslashed(path);
    if (base.empty() || full.size() <= base.size() + 1 || !StartsWithFoldingAscii(full, base) ||
        full[base.size()] != '\\')
        return std::string(path);
    std::string relative = full.substr(base.size() + 1);
    if (relative[0] == '#' || relative[0] == ' ' || relative[0] == '\t')
        relative.insert(0, ".\\");
    return relative;
}
