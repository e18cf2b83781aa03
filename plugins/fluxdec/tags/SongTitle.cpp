#include "plugins/fluxdec/tags/SongTitle.h"

#include <cstring>
#include <exception>

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>

#include "plugins/fluxdec/tags/AsciiFold.h"

namespace fluxdec {
namespace {

// TagLib keeps text as UTF-16 code units, one per wchar_t, on every platform.
void AppendTagText(const TagLib::String& text, size_t maxChars, std::string& out) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t unit : text) units.push_back(char16_t(unit));
    AppendFoldedUtf16(units.data(), units.size(), maxChars, out);
}

void TrimBlanks(std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
}

std::string Folded(const TagLib::String& text) {
    std::string folded;
    AppendTagText(text, kMaxTitleChars, folded);
    TrimBlanks(folded);
    return folded;
}

// "Artist - Title", the title alone, or "" when the tag has no title.
std::string TitleFromTag(const TagLib::Tag& tag) {
    const std::string title = Folded(tag.title());
    if (title.empty()) return title;
    std::string text = Folded(tag.artist());
    if (text.empty()) return title;
    text += " - ";
    text += title;
    if (text.size() > kMaxTitleChars) text.resize(kMaxTitleChars);
    return text;
}

std::string TitleFromStream(TagLib::IOStream* stream, const char* path) {
    try {
        // Tags only: the audio properties would walk the frames, which the decoder does anyway.
        TagLib::MPEG::File file(stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (file.isValid()) {
            const TagLib::Tag* const tags[] = {file.ID3v2Tag(), file.APETag(), file.ID3v1Tag()};
            for (const TagLib::Tag* tag : tags) {
                if (!tag) continue;
                std::string title = TitleFromTag(*tag);
                if (!title.empty()) return title;
            }
        }
    } catch (const std::exception&) {
        // A tag too large for memory: the file name will do.
    }
    return FileNameTitle(path);
}

}  // namespace

std::string FileNameTitle(const char* path) {
    if (!path) return std::string();
    const char* name = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\') name = c + 1;
    }
    size_t length = std::strlen(name);
    const char* dot = std::strrchr(name, '.');
    if (dot && dot != name) length = size_t(dot - name);  // ".mp3" alone is a name, not an extension
    std::string title;
#ifdef _WIN32
    // The name is in the system's code page; TagLib's file names convert it as the system does.
    const std::wstring wide = TagLib::FileName(std::string(name, length).c_str()).wstr();
    std::u16string units(wide.begin(), wide.end());
    AppendFoldedUtf16(units.data(), units.size(), kMaxTitleChars, title);
#else
    AppendFoldedUtf8(name, length, kMaxTitleChars, title);
#endif
    TrimBlanks(title);
    return title;
}

std::string ReadSongTitle(const char* path) {
    if (!path || !*path) return std::string();
    TagLib::FileStream stream(path, true);
    if (!stream.isOpen()) return FileNameTitle(path);
    return TitleFromStream(&stream, path);
}

std::string SongTitleFromBytes(const uint8_t* data, size_t size, const char* path) {
    if (!data || size > 0x7FFFFFFFu) return FileNameTitle(path);
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size)));
    return TitleFromStream(&stream, path);
}

}  // namespace fluxdec
