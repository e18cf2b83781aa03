// Which file names a plug-in's extension list claims.
#include <gtest/gtest.h>

#include <string>

#include "playback/ExtensionMatch.h"

namespace {

const char kList[] = "mp3\0wav\0";  // the literal's own zero ends the list

TEST(ExtensionMatch, ExtensionIsTheTextAfterTheLastDot)
{
    EXPECT_STREQ("mp3", FindExtension("C:\\Music\\Song.mp3"));
    EXPECT_STREQ("txt", FindExtension("Song.mp3.txt"));
    EXPECT_STREQ("", FindExtension("Song."));
    EXPECT_STREQ("mp3", FindExtension(".mp3"));
    // A dot only in a folder name: everything after it, folder rest and file name alike.
    EXPECT_STREQ("Music\\Song", FindExtension("C:\\My.Music\\Song"));
    EXPECT_EQ(nullptr, FindExtension("C:\\Music\\Song"));
    EXPECT_EQ(nullptr, FindExtension(""));
    EXPECT_EQ(nullptr, FindExtension(nullptr));
}

TEST(ExtensionMatch, MatchesAnyEntryWithoutRegardToCase)
{
    EXPECT_EQ(1, PathMatchesExtensionList("C:\\Music\\Song.mp3", kList));
    EXPECT_EQ(1, PathMatchesExtensionList("C:\\Music\\Song.MP3", kList));
    EXPECT_EQ(1, PathMatchesExtensionList("Song.Mp3", kList));
    EXPECT_EQ(1, PathMatchesExtensionList("Song.WAV", kList)) << "second entry";
    EXPECT_EQ(1, PathMatchesExtensionList(".mp3", kList));
}

TEST(ExtensionMatch, OtherNamesMatchNothing)
{
    EXPECT_EQ(0, PathMatchesExtensionList("Song.ogg", kList));
    EXPECT_EQ(0, PathMatchesExtensionList("Song.mp", kList)) << "a prefix of an entry";
    EXPECT_EQ(0, PathMatchesExtensionList("Song.mp34", kList)) << "an entry as prefix";
    EXPECT_EQ(0, PathMatchesExtensionList("Song.mp3.txt", kList));
    EXPECT_EQ(0, PathMatchesExtensionList("C:\\My.Music\\Song", kList)) << "dot in a folder";
    EXPECT_EQ(0, PathMatchesExtensionList("C:\\My.mp3\\Song", kList)) << "dot in a folder";
    EXPECT_EQ(0, PathMatchesExtensionList("Song.", kList)) << "empty extension";
    EXPECT_EQ(0, PathMatchesExtensionList("Song", kList));
    EXPECT_EQ(0, PathMatchesExtensionList(nullptr, kList));
    EXPECT_EQ(0, PathMatchesExtensionList("Song.mp3", nullptr));
    EXPECT_EQ(0, PathMatchesExtensionList("Song.mp3", "")) << "empty list";
    // Only ASCII letters fold: a byte above 127 is compared as it is.
    EXPECT_EQ(0, ExtensionInList("mp\xC3", "mp\xE3\0"));
    EXPECT_EQ(1, ExtensionInList("mp\xC3", "mp\xC3\0"));
}

// Extensions are held in a 256-character buffer: 255 characters fit, one more matches nothing,
// even against an entry that long.
TEST(ExtensionMatch, ExtensionsLongerThanTheBufferMatchNothing)
{
    const std::string fits(kExtensionBufferChars - 1, 'a');
    const std::string tooLong(kExtensionBufferChars, 'a');
    const std::string list = fits + '\0' + tooLong + '\0' + '\0';
    EXPECT_EQ(1, ExtensionInList(fits.c_str(), list.c_str()));
    EXPECT_EQ(1, PathMatchesExtensionList(("Song." + fits).c_str(), list.c_str()));
    EXPECT_EQ(0, ExtensionInList(tooLong.c_str(), list.c_str()));
    EXPECT_EQ(0, PathMatchesExtensionList(("Song." + tooLong).c_str(), list.c_str()));
    const std::string huge(100000, 'b');
    EXPECT_EQ(0, PathMatchesExtensionList(("Song." + huge).c_str(), list.c_str()));
}

}  // namespace
