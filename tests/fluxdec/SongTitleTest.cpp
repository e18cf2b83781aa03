// The song's title from generated files: every ID3v2 version and text encoding, ID3v1, APE, no
// tag, and hostile tags, each read from a real file as the plug-in reads it.
#include "text/AsciiFold.h"
#include "plugins/fluxdec/tags/SongTitle.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using Bytes = std::string;

Bytes BigEndian(uint32_t value, int bytes, int bitsPerByte = 8) {
    Bytes out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (i * bitsPerByte)) & ((1u << bitsPerByte) - 1));
    return out;
}

// One ID3v2 frame: v2.2 has 3-letter ids and 3-byte sizes, v2.4 synchsafe sizes.
Bytes Frame(int version, const Bytes& id, const Bytes& payload) {
    if (version == 2) return id + BigEndian(uint32_t(payload.size()), 3) + payload;
    return id + BigEndian(uint32_t(payload.size()), 4, version == 4 ? 7 : 8) + Bytes(2, '\0') +
           payload;
}

Bytes Id3v2(int version, const Bytes& body, uint8_t flags = 0, uint32_t claimedSize = 0) {
    return "ID3" + Bytes{char(version), 0, char(flags)} +
           BigEndian(claimedSize ? claimedSize : uint32_t(body.size()), 4, 7) + body;
}

Bytes Id3v1(const Bytes& title, const Bytes& artist) {
    auto field = [](Bytes text, size_t n) { text.resize(n, '\0'); return text; };
    return "TAG" + field(title, 30) + field(artist, 30) + field("", 30) + "2001" + field("", 30) +
           "\x0c";
}

Bytes ApeV2(const Bytes& title, const Bytes& artist) {
    auto le = [](uint32_t v) { return Bytes{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto item = [&](const Bytes& key, const Bytes& value) {
        return le(uint32_t(value.size())) + le(0) + key + Bytes(1, '\0') + value;
    };
    const Bytes items = item("Title", title) + item("Artist", artist);
    auto header = [&](uint32_t flags) {
        return "APETAGEX" + le(2000) + le(uint32_t(items.size() + 32)) + le(2) + le(flags) +
               Bytes(8, '\0');
    };
    return header(0xA0000000u) + items + header(0x80000000u);
}

// Text frames: an encoding byte, then the text.
Bytes Latin1(const Bytes& text) { return Bytes(1, '\0') + text; }
Bytes Utf16Bom(const std::u16string& text) {
    Bytes out = "\x01\xff\xfe";
    for (char16_t c : text) out += Bytes{char(c & 0xFF), char(c >> 8)};
    return out;
}
Bytes Utf16Be(const std::u16string& text) {
    Bytes out = "\x02";
    for (char16_t c : text) out += Bytes{char(c >> 8), char(c & 0xFF)};
    return out;
}
Bytes Utf8(const Bytes& text) { return "\x03" + text; }

// Four bytes of an MPEG-1 Layer III frame header and some filler: what follows a tag.
const Bytes kAudio = Bytes("\xff\xfb\x90\x64", 4) + Bytes(400, '\x55');

struct TitleCase {
    const char* what;
    Bytes file;
    const char* expected;
};

std::filesystem::path WriteSong(const std::string& name, const Bytes& bytes) {
    static const auto folder = [] {
        auto dir = std::filesystem::temp_directory_path() /
                   ("fluxdec-titles-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(dir);
        return dir;
    }();
    const auto path = folder / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

}  // namespace

TEST(SongTitleTest, TagsGiveArtistAndTitleFoldedToAscii) {
    const Bytes kV23 = Frame(3, "TPE1", Latin1("Bj\xf6rk")) + Frame(3, "TIT2", Latin1("J\xf3ga"));
    // Unsynchronised: the tag's FF E0 ("\xff\xe0" in Latin-1) is stored as FF 00 E0.
    const Bytes kUnsynchronised = Frame(3, "TIT2", Latin1("Ca\xff\xe0")).insert(14, 1, '\0');
    const Bytes kExtendedHeader = BigEndian(6, 4) + Bytes(2, '\0') + BigEndian(0, 4);
    const std::u16string kLoneSurrogates = {u'A', char16_t(0xD800), u'B', char16_t(0xDC00), u'C'};
    const TitleCase cases[] = {
        {"v2.3 Latin-1", Id3v2(3, kV23) + kAudio, "Bjork - Joga"},
        {"v2.3 UTF-16 with BOM",
         Id3v2(3, Frame(3, "TPE1", Utf16Bom(u"Sigur R\u00f3s")) +
                      Frame(3, "TIT2", Utf16Bom(u"\u00c1g\u00e6tis byrjun"))) +
             kAudio,
         "Sigur Ros - Agaetis byrjun"},
        {"v2.4 UTF-16BE, title alone",
         Id3v2(4, Frame(4, "TIT2", Utf16Be(u"\u0141\u00f3d\u017a"))) + kAudio, "Lodz"},
        {"v2.4 UTF-8 quotes and dashes",
         Id3v2(4, Frame(4, "TIT2", Utf8("\xe2\x80\x9cStra\xc3\x9f\x65\xe2\x80\x9d "
                                        "\xe2\x80\x93 \xc3\x86on"))) + kAudio,
         "\"Strasse\" - AEon"},
        {"v2.2",
         Id3v2(2, Frame(2, "TP1", Latin1("Artist")) + Frame(2, "TT2", Latin1("Song"))) + kAudio,
         "Artist - Song"},
        {"v2.3 unsynchronised", Id3v2(3, kUnsynchronised, 0x80) + kAudio, "Caya"},
        {"v2.3 extended header", Id3v2(3, kExtendedHeader + kV23, 0x40) + kAudio, "Bjork - Joga"},
        {"v2.4 extended header",
         Id3v2(4, BigEndian(6, 4) + "\x01" + Bytes(1, '\0') + Frame(4, "TIT2", Latin1("Joga")),
               0x40) +
             kAudio,
         "Joga"},
        {"v2.3 with padding", Id3v2(3, kV23 + Bytes(1024, '\0')) + kAudio, "Bjork - Joga"},
        {"ID3v1 only",
         kAudio + Id3v1("Kickstart", "M\xf6tley Cr\xfc\x65"),
         "Motley Crue - Kickstart"},
        {"APE only", kAudio + ApeV2("Caf\xc3\xa9", "Art"), "Art - Cafe"},
        {"ID3v2 wins over ID3v1", Id3v2(3, kV23) + kAudio + Id3v1("Other", "Band"), "Bjork - Joga"},
        {"APE, then ID3v1", kAudio + ApeV2("Ape", "A") + Id3v1("One", "B"), "A - Ape"},
        {"a tag without title", Id3v2(3, Frame(3, "TPE1", Latin1("Nobody"))) + kAudio, "Harbour"},
        {"no tag", kAudio, "Harbour"},
        // Hostile tags end as the file name or as what could be read, never in a crash.
        {"claims 200 MB", Id3v2(3, kV23, 0, 200000000) + kAudio, "Bjork - Joga"},
        {"frame length past the end",
         Id3v2(3, Frame(3, "TIT2", Latin1("x")).replace(4, 4, BigEndian(0x7FFFFFF0, 4))) + kAudio,
         "Harbour"},
        {"lone surrogates", Id3v2(3, Frame(3, "TIT2", Utf16Bom(kLoneSurrogates))) + kAudio,
         "A B C"},
        {"only invisible characters", Id3v2(4, Frame(4, "TIT2", Utf8("\xe2\x80\x8b\xef\xbb\xbf"))),
         "Harbour"},
        {"junk", Bytes(300000, '\xff'), "Harbour"},
    };
    for (const TitleCase& c : cases) {
        const auto path = WriteSong("Harbour.mp3", c.file);
#ifdef _WIN32
        // The plug-in holds the song open as it reads the tags: read access, read sharing.
        const HANDLE held = CreateFileA(path.string().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
#endif
        EXPECT_EQ(fluxdec::ReadSongTitle(path.string().c_str()), c.expected) << c.what;
#ifdef _WIN32
        CloseHandle(held);
#endif
        std::filesystem::remove(path);
    }
}

TEST(SongTitleTest, AHostThatAsksForUtf8GetsTheTitleInAnyScript) {
    const Bytes file = Id3v2(4, Frame(4, "TPE1", Utf8("\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe")) +
                                    Frame(4, "TIT2", Utf16Be(u"\u97f3\u697d\u0001\u0096"))) +
                       kAudio;
    const auto* data = reinterpret_cast<const uint8_t*>(file.data());
    // The control character is a blank; U+0096 is the Windows-1252 en dash an old tagger meant.
    EXPECT_EQ(fluxdec::SongTitleFromBytes(data, file.size(), "x.mp3", TitleText::utf8),
              "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xe9\x9f\xb3\xe6\xa5\xbd \xe2\x80\x93");
    EXPECT_EQ(fluxdec::SongTitleFromBytes(data, file.size(), "x.mp3"), "Kino -    -");
    // A long title is cut before a whole character, within the API's limit.
    const Bytes longer = Id3v2(3, Frame(3, "TIT2", Utf16Bom(std::u16string(3000, u'\u0416')))) + kAudio;
    const std::string cut = fluxdec::SongTitleFromBytes(
        reinterpret_cast<const uint8_t*>(longer.data()), longer.size(), "x.mp3", TitleText::utf8);
    EXPECT_EQ(cut.size(), fluxdec::kMaxTitleChars - 1);
    EXPECT_EQ(cut.substr(cut.size() - 2), "\xd0\x96");
}

TEST(SongTitleTest, AHundredThousandCharacterTitleIsCutToTheApiLimit) {
    const std::u16string title(100000, u'\u00e4');
    const Bytes file = Id3v2(3, Frame(3, "TIT2", Utf16Bom(title))) + kAudio;
    const std::string read = fluxdec::SongTitleFromBytes(
        reinterpret_cast<const uint8_t*>(file.data()), file.size(), "x.mp3");
    EXPECT_EQ(read, std::string(fluxdec::kMaxTitleChars, 'a'));
}

TEST(SongTitleTest, WithoutTagsTheFileNameStandsWithoutFolderAndExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Music\\Harbour.mp3", "Harbour"}, {"/music/Harbour.mp3", "Harbour"},
        {"C:/Music/Old.Harbour.mp3", "Old.Harbour"}, {"Harbour", "Harbour"},
        {"C:\\Music\\.mp3", ".mp3"}, {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fluxdec::ReadSongTitle(c.first), c.second) << c.first << " (no such file)";
    }
#ifndef _WIN32
    EXPECT_EQ(fluxdec::FileNameTitle("/music/Caf\xc3\xa9 \xe2\x80\x94 \xe6\x97\xa5.mp3"), "Cafe -");
#endif
}

TEST(AsciiFoldTest, EveryCharacterBecomesLettersABlankOrNothingWhenInvisible) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"Bj\u00f6rk \u00df \u00c6 \u00d8 \u00fe", "Bjork ss AE O th"},
        {u"\u0141\u00f3d\u017a \u0152uvre \u0131", "Lodz OEuvre i"},
        {u"\u2018a\u2019 \u201cb\u201d \u2013\u2014 \u2026", "'a' \"b\" -- ..."},
        {u"\uff21\uff42\uff43\uff01", "Abc!"},                // fullwidth forms
        {u"\u65e5\u672c \u05d0", "    "},                    // no ASCII likeness: blanks
        // Cyrillic and Greek transliterated, letter by letter.
        {u"\u041a\u0438\u043d\u043e - \u0413\u0440\u0443\u043f\u043f\u0430",
         "Kino - Gruppa"},
        {u"\u0429\u0435\u0434\u0440\u0438\u043a \u0401\u0436 \u0407\u0436\u0430\u043a",
         "Shchedrik Yozh Yizhak"},
        {u"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u0391\u03b8\u03ae\u03bd\u03b1 \u03a8",
         "Ellada Athina Ps"},
        {u"e\u0301\u200b\ufeffx", "ex"},                      // combining accent, zero width
        {u"\u0092\u0080\u0081\t\u007f", "'EUR   "},           // Windows-1252 read as Latin-1
    };
    for (const auto& c : cases) {
        std::string out;
        AppendFoldedUtf16(c.first.data(), c.first.size(), 100, out);
        EXPECT_EQ(out, c.second);
    }
    // A bound never splits one character's folding.
    std::string out = "x";
    AppendFoldedUtf16(u"a\u00df", 2, 3, out);
    EXPECT_EQ(out, "xa");
    out.clear();
    // Invalid UTF-8: a lead byte without its continuation, an overlong form, a surrogate.
    AppendFoldedUtf8("\xc3(\xe0\x80\x80\xed\xa0\x80z", 9, 100, out);
    EXPECT_EQ(out, " (      z");
}
