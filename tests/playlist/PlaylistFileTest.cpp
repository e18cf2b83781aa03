// Playlist files read from one table of small files, the hostile ones bounded, and a save read
// back as the same list.
#include "playlist/PlaylistFile.h"
#include "playlist/RememberedEntry.h"
#include "playlist/Utf8Text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Windows-1252's letters above 127 are Latin-1's: enough of a code page for the tests.
std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// "path|title|seconds", one string per entry, for readable failure messages.
std::vector<std::string> Described(const PlaylistContents& contents)
{
    std::vector<std::string> lines;
    for (const PlaylistEntry& entry : contents.entries)
        lines.push_back(entry.path + "|" + entry.title + "|" + std::to_string(entry.seconds));
    return lines;
}

PlaylistContents Read(std::string_view bytes, std::string_view playlistPath)
{
    return ReadPlaylist(bytes, PlaylistFormatOf(playlistPath), playlistPath, Latin1ToUtf8);
}

struct PlaylistCase {
    const char* what;
    const char* playlistPath;
    std::string bytes;
    std::vector<std::string> expected;
    int32_t unreadable;
};

const std::string kLongLine(100000, 'a');

const PlaylistCase kCases[] = {
    {"M3U8: EXTINF, both slash forms, relative, rooted, UNC and dotted paths",
     "C:\\Lists\\mix.m3u8",
     "#EXTM3U\r\n#EXTINF:215,Artist - Title, with a comma\r\nsongs/one.mp3\r\n\r\n"
     "sub\\..\\two.mp3\r\n#EXTINF:-1,Nameless\n..\\..\\..\\up.mp3\n\\Music\\rooted.mp3\r"
     "D:/Other/./far.mp3\n\\\\server\\share\\x\\..\\net.mp3\n#a comment\n  spaced.mp3  \n",
     {"C:\\Lists\\songs\\one.mp3|Artist - Title, with a comma|215", "C:\\Lists\\two.mp3||-1",
      "C:\\up.mp3|Nameless|-1", "C:\\Music\\rooted.mp3||-1", "D:\\Other\\far.mp3||-1",
      "\\\\server\\share\\net.mp3||-1", "C:\\Lists\\spaced.mp3||-1"},
     0},
    {"M3U8 with a byte-order mark and Cyrillic and CJK names",
     "\\\\nas\\music\\list.M3U8",
     "\xEF\xBB\xBF#EXTM3U\n#EXTINF:61.5,\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE\n"
     "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE/\xE5\xA4\x9C.mp3\n",
     {"\\\\nas\\music\\\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE\\\xE5\xA4\x9C.mp3|"
      "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE|61"},
     0},
    {"M3U in the code page; a byte-order mark makes it UTF-8", "C:\\l\\a.m3u",
     "#EXTINF:5,Caf\xE9\nCaf\xE9.mp3\n",
     {"C:\\l\\Caf\xC3\xA9.mp3|Caf\xC3\xA9|5"}, 0},
    {"M3U marked as UTF-8", "C:\\l\\b.m3u", "\xEF\xBB\xBF" "Caf\xC3\xA9.mp3\n",
     {"C:\\l\\Caf\xC3\xA9.mp3||-1"}, 0},
    {"file: URLs, percent-decoded as UTF-8; other URLs left to the caller", "C:\\l\\u.m3u8",
     "file:///C:/My%20Music/%D0%9A.mp3\nfile://localhost/D:/a.mp3\nfile:///E|/old.mp3\n"
     "file://server/share/s%23.mp3\nFILE:///c:/x/../y.mp3\nhttp://radio.example/stream\n"
     "file:///C:/nul%00.mp3\nfile:///C:/tab%09.mp3\nfile:///C:/bad%FF.mp3\nfile:///C:/100%.mp3\n",
     {"C:\\My Music\\\xD0\x9A.mp3||-1", "D:\\a.mp3||-1", "E:\\old.mp3||-1",
      "\\\\server\\share\\s#.mp3||-1", "c:\\y.mp3||-1", "http://radio.example/stream||-1",
      "C:\\100%.mp3||-1"},
     3},
    {"PLS: entries follow N whatever the order; keys in any case; a title alone is nothing",
     "C:\\p\\radio.pls",
     "[playlist]\nNumberOfEntries=3\nFile10=ten.mp3\nTitle2=Second\nfile2=two.mp3\n"
     "LENGTH2=42\nFile1=C:\\abs\\one.mp3\nTitle7=orphan\nFilex=junk.mp3\nVersion=2\n",
     {"C:\\abs\\one.mp3||-1", "C:\\p\\two.mp3|Second|42", "C:\\p\\ten.mp3||-1"}, 0},
    {"Damaged: bytes that are not UTF-8, a 100,000-character line, control characters",
     "C:\\d\\bad.m3u8",
     "#EXTINF:abc,\xFF title\nbroken\xC3(.mp3\n#EXTINF:9,lost with its line\n" + kLongLine +
         "\nafter.mp3\nctl\x01junk.mp3\n#EXTINF:99999999999,huge\nbig.mp3\n"
         "#EXTINF:-5,tab\there\nneg.mp3\n",
     {"C:\\d\\broken\xEF\xBF\xBD(.mp3|\xEF\xBF\xBD title|-1", "C:\\d\\after.mp3||-1",
      "C:\\d\\big.mp3|huge|-1", "C:\\d\\neg.mp3|tab here|-1"},
     2},
    {"Names Windows cannot hold: a colon past the drive, a share without its name; blanks at "
     "the end of a name go, as Windows drops them",
     "C:\\n\\names.m3u8",
     "C:\\dir\\a:b.mp3\nsub\\x:y.mp3\n\\\\server\n\\\\\\share\\a.mp3\nfile:////server\n"
     "dir  \\. /song.mp3 \n\\\\?\\C:\\kept\\..\\as is.mp3\n",
     {"C:\\n\\dir\\song.mp3||-1", "\\\\?\\C:\\kept\\..\\as is.mp3||-1"},
     5},
    {"A playlist that lists itself is one entry: nothing recurses", "C:\\s\\self.m3u8",
     "self.m3u8\nC:\\s\\self.m3u8\n", {"C:\\s\\self.m3u8||-1", "C:\\s\\self.m3u8||-1"}, 0},
};

TEST(PlaylistFile, ReadsEachFormatEncodingAndPathForm)
{
    for (const PlaylistCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const PlaylistContents contents = Read(c.bytes, c.playlistPath);
        EXPECT_EQ(c.expected, Described(contents));
        EXPECT_EQ(c.unreadable, contents.unreadable);
    }
}

TEST(PlaylistFile, HostileFilesAreBounded)
{
    // 50 MB of junk is refused whole, before a byte is looked at.
    const std::string huge(50u << 20, '\x01');
    PlaylistContents contents = Read(huge, "C:\\h\\junk.m3u8");
    EXPECT_TRUE(contents.entries.empty());
    EXPECT_EQ(1, contents.unreadable);

    // Junk within the limit is read through; what it yields is still valid UTF-8 without
    // control characters, as every path the playlist holds must be.
    std::mt19937 random(7);
    std::string junk(4u << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    for (const char* path : {"C:\\h\\junk.m3u8", "C:\\h\\junk.m3u", "C:\\h\\junk.pls"}) {
        contents = Read(junk, path);
        for (const PlaylistEntry& entry : contents.entries) {
            ASSERT_EQ(ValidUtf8(entry.path), entry.path) << path;
            ASSERT_EQ(ValidUtf8(entry.title), entry.title) << path;
            for (const char c : entry.path)
                ASSERT_GE(static_cast<unsigned char>(c), 0x20) << path;
        }
    }

    // One entry past the limit: the first kMaxPlaylistEntries are read, in their order.
    std::string many;
    for (int32_t i = 0; i <= kMaxPlaylistEntries; ++i)
        many += "#EXTINF:1,t\n" + std::to_string(i) + ".mp3\n";
    contents = Read(many, "C:\\m\\many.m3u8");
    ASSERT_EQ(static_cast<size_t>(kMaxPlaylistEntries), contents.entries.size());
    EXPECT_EQ("C:\\m\\99999.mp3", contents.entries.back().path);
    EXPECT_EQ(1, contents.unreadable);

    std::string pls = "[playlist]\n";
    for (int32_t i = kMaxPlaylistEntries; i >= 0; --i)
        pls += "File" + std::to_string(i) + "=" + std::to_string(i) + ".mp3\n";
    contents = Read(pls, "C:\\m\\many.pls");
    ASSERT_EQ(static_cast<size_t>(kMaxPlaylistEntries), contents.entries.size());
    EXPECT_EQ(1, contents.unreadable);
}

TEST(PlaylistFile, SavedListReadsBackTheSame)
{
    const std::vector<PlaylistEntry> saved = {
        {"C:\\Music\\Lists\\below.mp3", "Artist - Title", 200},
        {"C:\\Music\\Lists\\\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE\\\xE5\xA4\x9C.mp3", "", -1},
        {"c:\\music\\lists\\Other Case.mp3", "Two\r\nlines", 3},
        {"C:\\Music\\Lists\\#1 hit.mp3", "", 4},
        {"C:\\Music\\Lists\\ leading blank.mp3", "", 5},
        {"C:\\Music\\ListsAndMore\\beside.mp3", "", -1},
        {"D:\\Elsewhere\\far.mp3", "Far", 60},
        {"\\\\server\\share\\net.mp3", "", -1},
    };
    const std::string text = WriteM3u8(saved, "C:\\Music\\Lists\\saved.m3u8");
    EXPECT_EQ(0u, text.rfind("#EXTM3U\r\n#EXTINF:200,Artist - Title\r\nbelow.mp3\r\n", 0)) << text;
    EXPECT_NE(std::string::npos, text.find("\r\n#EXTINF:-1,\xE5\xA4\x9C.mp3\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\r\nC:\\Music\\ListsAndMore\\beside.mp3\r\n")) << text;

    const PlaylistContents read = Read(text, "C:\\Music\\Lists\\saved.m3u8");
    ASSERT_EQ(saved.size(), read.entries.size()) << text;
    EXPECT_EQ(0, read.unreadable);
    for (size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(saved[i].path);
        const std::string expectedPath =
            i == 2 ? "C:\\Music\\Lists\\Other Case.mp3" : saved[i].path;  // the folder's case
        EXPECT_EQ(expectedPath, read.entries[i].path);
        EXPECT_EQ(saved[i].seconds, read.entries[i].seconds);
    }
    EXPECT_EQ("Two  lines", read.entries[2].title);
    EXPECT_EQ("\xE5\xA4\x9C.mp3", read.entries[1].title) << "unknown titles save the file name";
}

TEST(PlaylistFile, RememberedCurrentEntryIsACommentOnlyAtALineStart)
{
    const std::vector<PlaylistEntry> list = {{"C:\\a.mp3", "", -1}, {"C:\\b.mp3", "", -1}};
    const std::string text = WriteM3u8(list, "C:\\Windows\\Corvane.m3u8") + CurrentEntryLine(1);
    EXPECT_EQ(2u, Read(text, "C:\\Windows\\Corvane.m3u8").entries.size()) << text;
    EXPECT_EQ(1, CurrentEntryOf(text));
    const std::pair<const char*, int32_t> damaged[] = {
        {"C:\\x#CORVANE-CURRENT:3\r\n", -1}, {"#CORVANE-CURRENT:\r\n", -1},
        {"#CORVANE-CURRENT:-2", -1}, {"#CORVANE-CURRENT:99999999999999999999", -1},
        {"a#CORVANE-CURRENT:1\n#CORVANE-CURRENT:7", 7}};
    for (const auto& [bytes, current] : damaged)
        EXPECT_EQ(current, CurrentEntryOf(bytes)) << bytes;

    // The place heard in it rides along the same way.
    const std::string kept = text + PlaceLine(61234, 180500);
    EXPECT_EQ(2u, Read(kept, "C:\\Windows\\Corvane.m3u8").entries.size()) << kept;
    EXPECT_EQ(61234, PlaceOf(kept).positionMs);
    EXPECT_EQ(180500, PlaceOf(kept).lengthMs);
    for (const char* bytes : {"#CORVANE-PLACE:5", "#CORVANE-PLACE:5/", "#CORVANE-PLACE:/5",
                              "#CORVANE-PLACE:99999999999/1", "C:\\#CORVANE-PLACE:1/2"})
        EXPECT_EQ(-1, PlaceOf(bytes).positionMs) << bytes;
}

}  // namespace
