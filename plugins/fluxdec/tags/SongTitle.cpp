#include "plugins/fluxdec/tags/SongTitle.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2synchdata.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfile.h>
#include <taglib/tfilestream.h>

#include "text/AsciiFold.h"
#include "plugins/fluxdec/tags/BoundedStream.h"
#include "plugins/fluxdec/tags/ReplayGainTags.h"

namespace fluxdec {
namespace {

// The tag's text is kept as UTF-8 until the title is whole, and folded then if the host wants
// ASCII: up to four bytes for each character the title may have, so that a folded title is as
// long as the limit allows.
constexpr size_t kTagTextBytes = 4 * kMaxTitleChars;

// Cuts `text` to at most `bytes` bytes before a whole character, never inside one.
void CutUtf8(std::string& text, size_t bytes) {
    if (text.size() <= bytes) return;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    text.resize(bytes);
}

// TagLib keeps text as UTF-16 code units, one per wchar_t, on every platform.
void AppendTagText(const TagLib::String& text, size_t maxChars, std::string& out) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t unit : text) units.push_back(char16_t(unit));
    AppendFoldedUtf16(units.data(), units.size(), maxChars, out, TitleText::utf8);
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

std::string TagText(const TagLib::String& text) {
    std::string kept;
    AppendTagText(text, kTagTextBytes, kept);
    TrimBlanks(kept);
    return kept;
}

// "Artist - Title", the title alone, or "" when the tag has no title.
std::string TitleFromTag(const TagLib::Tag& tag) {
    const std::string title = TagText(tag.title());
    if (title.empty()) return title;
    std::string text = TagText(tag.artist());
    if (text.empty()) return title;
    text += " - ";
    text += title;
    CutUtf8(text, kTagTextBytes);
    return text;
}

// TagLib's tag readers work on a TagLib::File; this one only lends them the stream. (TagLib's MPEG
// file type would also look for an ID3v2 tag anywhere before the first audio frame, scanning a
// file without one byte by byte: seven seconds for 10 MB of junk. Tags are read here only where
// they belong, at the start and at the end.)
class TagSource : public TagLib::File {
public:
    explicit TagSource(TagLib::IOStream* stream) : TagLib::File(stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }

    bool HasAt(long offset, Position from, const TagLib::ByteVector& identifier) {
        seek(offset, from);
        return readBlock(identifier.size()) == identifier;
    }
};

// Reading more than 8 MB would stall the song's start (a tag may claim 256 MB); real tags are
// smaller, cover art included, and their titles come early.
constexpr unsigned long kTagByteBudget = 8ul << 20;
constexpr unsigned int kTagReadBudget = 64;
constexpr unsigned int kUnsynchronisedTagBytes = 2u << 20;

// TagLib's frame factory, ending the tag after kMaxFrames frames. TagLib spends microseconds on
// every frame, so 8 MB of tiny frames would take seconds; real tags hold a few dozen. TagLib asks
// updateFrame about every frame before it parses it, and stops at a frame whose size is 0.
// (TagLib declares the frame header's class protected in Frame, for its factory's use; an
// overriding factory can only take its type from updateFrame's signature.)
template <class Method> struct ParameterOf;
template <class Class, class Parameter>
struct ParameterOf<bool (Class::*)(Parameter) const> {
    using Type = Parameter;
};
struct FrameHeaderAccess : TagLib::ID3v2::FrameFactory {
    using Pointer = ParameterOf<decltype(&FrameHeaderAccess::updateFrame)>::Type;
};
using FrameHeaderPointer = FrameHeaderAccess::Pointer;

class BoundedFrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    static constexpr unsigned int kMaxFrames = 1000;

    bool updateFrame(FrameHeaderPointer header) const override {
        if (framesSeen_ >= kMaxFrames) {
            header->setFrameSize(0);
            return false;
        }
        ++framesSeen_;
        return FrameFactory::updateFrame(header);
    }

private:
    mutable unsigned int framesSeen_ = 0;
};

void ReadId3v2AtStart(TagSource& file, SongTags* tags) {
    const BoundedFrameFactory factory;
    const TagLib::ID3v2::Tag tag(&file, 0, &factory);
    tags->title = TitleFromTag(tag);
    tags->id3v2Gain = ReplayGainFromId3v2(tag);
}

void StoreBigEndian(TagLib::ByteVector& bytes, unsigned int at, unsigned int value,
                    int bitsPerByte) {
    for (unsigned int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (bitsPerByte * (3 - i))) & ((1u << bitsPerByte) - 1));
}

// TagLib 1.13 mishandles extended headers in two ways, mended here on the tag's bytes:
//   - it takes the size as ID3v2.4 gives it, counting the whole extended header, where ID3v2.3
//     counts only the bytes after the size field: it would read the rest of the extended header
//     as the start of the padding and find no frame at all;
//   - it skips the extended header and also takes its size off the end of the tag, so a frame in
//     the last bytes of a tag without padding would be lost: padding of that size is added.
bool MendExtendedHeader(TagLib::ByteVector& tag, unsigned int majorVersion) {
    if (tag.size() < 14) return false;
    unsigned int size = tag.toUInt(10u, true);
    if (majorVersion == 3) {
        size += 4;
        StoreBigEndian(tag, 10, size, 8);
    } else {
        size = TagLib::ID3v2::SynchData::toUInt(tag.mid(10, 4));
    }
    if (size > tag.size()) return false;
    tag.resize(tag.size() + size, '\0');
    return true;
}

void ReadId3v2(TagSource& file, SongTags* tags) {
    file.seek(0);
    const TagLib::ByteVector header = file.readBlock(TagLib::ID3v2::Header::size());
    if (!header.startsWith(TagLib::ID3v2::Header::fileIdentifier())) return;
    const TagLib::ID3v2::Header parsed(header);
    const bool extended = parsed.extendedHeader() && parsed.majorVersion() >= 3;
    // Undoing the unsynchronisation of a whole tag costs TagLib 8 ns a byte: a large tag is cut.
    const bool unsynchronised = parsed.unsynchronisation() && parsed.majorVersion() <= 3;
    if (!extended && !unsynchronised) return ReadId3v2AtStart(file, tags);
    // The tag in memory, cut or mended, and its size in its header made to match.
    TagLib::ByteVector tag =
        header + file.readBlock(unsynchronised ? std::min(parsed.tagSize(), kUnsynchronisedTagBytes)
                                               : parsed.tagSize());
    if (extended && !MendExtendedHeader(tag, parsed.majorVersion())) return;
    StoreBigEndian(tag, 6, tag.size() - TagLib::ID3v2::Header::size(), 7);
    TagLib::ByteVectorStream stream(tag);
    TagSource inMemory(&stream);
    ReadId3v2AtStart(inMemory, tags);
}

// The ID3v1 tag's offset: the last 128 bytes begin with "TAG", unless that "TAG" belongs to an
// APE footer's "APETAGEX". -1 without one.
long FindId3v1(TagSource& file) {
    const long length = file.length();
    if (length < 128) return -1;
    if (length >= 131 && file.HasAt(-131, TagLib::File::End, TagLib::APE::Tag::fileIdentifier()))
        return -1;
    return file.HasAt(-128, TagLib::File::End, TagLib::ID3v1::Tag::fileIdentifier())
               ? length - 128 : -1;
}

// The title only where the ID3v2 tag gave none.
void ReadApe(TagSource& file, long id3v1, SongTags* tags) {
    const long footer = (id3v1 >= 0 ? id3v1 : file.length()) - 32;
    if (footer < 0 ||
        !file.HasAt(footer, TagLib::File::Beginning, TagLib::APE::Tag::fileIdentifier()))
        return;
    const TagLib::APE::Tag tag(&file, footer);
    if (tags->title.empty()) tags->title = TitleFromTag(tag);
    tags->apeGain = ReplayGainFromApe(tag);
}

std::string Id3v1Title(TagSource& file, long id3v1) {
    if (id3v1 < 0) return std::string();
    const TagLib::ID3v1::Tag tag(&file, id3v1);
    return TitleFromTag(tag);
}

// The whole title in the form the host asked for; empty when nothing of it is left.
std::string Finished(std::string utf8, TitleText form) {
    if (form == TitleText::utf8) {
        CutUtf8(utf8, kMaxTitleChars);
        return utf8;
    }
    std::string folded;
    AppendFoldedUtf8(utf8.data(), utf8.size(), kMaxTitleChars, folded);
    TrimBlanks(folded);
    return folded;
}

SongTags TagsFromStream(TagLib::IOStream* stream, const char* path, TitleText form) {
    SongTags tags;
    try {
        BoundedStream bounded(stream, kTagByteBudget, kTagReadBudget);
        TagSource file(&bounded);
        if (file.isValid()) {
            ReadId3v2(file, &tags);
            const long id3v1 = FindId3v1(file);
            ReadApe(file, id3v1, &tags);
            if (tags.title.empty()) tags.title = Id3v1Title(file, id3v1);
        }
    } catch (const std::exception&) {
        // A tag too large for memory: what was read stands, and the file name stands in for a title.
    }
    tags.title = Finished(std::move(tags.title), form);
    if (tags.title.empty()) tags.title = FileNameTitle(path, form);
    return tags;
}

}  // namespace

std::string FileNameTitle(const char* path, TitleText form) {
    if (!path) return std::string();
    const char* name = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\') name = c + 1;
    }
    size_t length = std::strlen(name);
    const char* dot = std::strrchr(name, '.');
    if (dot && dot != name)
        length = size_t(dot - name);  // ".mp3" alone is a name, not an extension
    std::string title;
#ifdef _WIN32
    // The name is in the system's code page; TagLib's file names convert it as the system does.
    const std::wstring wide = TagLib::FileName(std::string(name, length).c_str()).wstr();
    std::u16string units(wide.begin(), wide.end());
    AppendFoldedUtf16(units.data(), units.size(), kMaxTitleChars, title, form);
#else
    AppendFoldedUtf8(name, length, kMaxTitleChars, title, form);
#endif
    TrimBlanks(title);
    return title;
}

SongTags ReadSongTags(const char* path, TitleText form) {
    SongTags tags;
    if (!path || !*path) return tags;
    TagLib::FileStream stream(path, true);
    if (!stream.isOpen()) {
        tags.title = FileNameTitle(path, form);
        return tags;
    }
    return TagsFromStream(&stream, path, form);
}

SongTags SongTagsFromBytes(const uint8_t* data, size_t size, const char* path, TitleText form) {
    if (!data || size > 0x7FFFFFFFu) return SongTags{FileNameTitle(path, form), {}, {}};
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size)));
    return TagsFromStream(&stream, path, form);
}

std::string ReadSongTitle(const char* path, TitleText form) {
    return ReadSongTags(path, form).title;
}

std::string SongTitleFromBytes(const uint8_t* data, size_t size, const char* path,
                               TitleText form) {
    return SongTagsFromBytes(data, size, path, form).title;
}

}  // namespace fluxdec
