#include "app/HandedPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Parsed {
    int usable;
    std::string path;
};

Parsed Parse(const std::string& text)
{
    char path[kPathChars];
    std::memset(path, '#', sizeof path);  // a sentinel: the result must be terminated
    const int usable = PathFromHandedText(text.c_str(), text.size() + 1, path);
    EXPECT_NE(std::memchr(path, '\0', sizeof path), nullptr);
    return {usable, path};
}

TEST(HandedPathTest, QuotesAndBlanks)
{
    EXPECT_EQ(Parse("C:\\music\\song.mp3").path, "C:\\music\\song.mp3");
    EXPECT_EQ(Parse("\"C:\\my music\\song.mp3\"").path, "C:\\my music\\song.mp3");
    // Only the last character is taken for the closing quote: a trailing blank goes, the quote stays.
    EXPECT_EQ(Parse("\"C:\\a b.mp3\" ").path, "C:\\a b.mp3\"");
    // Several paths are not split: the whole text is one path.
    EXPECT_EQ(Parse("a.mp3 b.mp3").path, "a.mp3 b.mp3");
    EXPECT_EQ(Parse("").path, "");
}

TEST(HandedPathTest, TextThatIsOnlyAQuoteGivesAnEmptyPathWithoutReadingBeyondIt)
{
    const Parsed parsed = Parse("\"");
    EXPECT_EQ(parsed.usable, 1);
    EXPECT_EQ(parsed.path, "");
    EXPECT_EQ(Parse("\"\"").path, "");
}

TEST(HandedPathTest, PathsThatDoNotFitAreRefusedNotCut)
{
    for (size_t length : {size_t{2046}, size_t{2047}, size_t{2048}, size_t{2049}, size_t{5000}}) {
        SCOPED_TRACE(::testing::Message() << "path of " << length << " characters");
        const std::string path(length, 'x');
        const Parsed plain = Parse(path);
        const Parsed quoted = Parse("\"" + path + "\"");
        const bool fits = length <= 2047;
        EXPECT_EQ(plain.usable, fits ? 1 : 0);
        EXPECT_EQ(quoted.usable, fits ? 1 : 0);
        EXPECT_EQ(plain.path, fits ? path : "");
        EXPECT_EQ(quoted.path, fits ? path : "");
    }
}

TEST(HandedPathTest, UnterminatedTextIsReadOnlyUpToItsLength)
{
    // As another process may send it: no terminating zero within the bytes it declared.
    const char sent[] = {'a', '.', 'm', 'p', '3', 'X', 'Y'};
    char path[kPathChars];
    ASSERT_EQ(PathFromHandedText(sent, 5, path), 1);
    EXPECT_STREQ(path, "a.mp3");
    ASSERT_EQ(PathFromHandedText(nullptr, 5, path), 1);
    EXPECT_STREQ(path, "");
}

}  // namespace

TEST(HandedPathTest, ArgumentsFollowTheProgramsName)
{
    EXPECT_STREQ("\"D:\\Музыка\\夜.mp3\"",
                 ArgumentsOf("\"C:\\Program Files\\Corvane.exe\"  \"D:\\Музыка\\夜.mp3\""));
    EXPECT_STREQ("song.mp3", ArgumentsOf("Corvane.exe song.mp3"));
    EXPECT_STREQ("", ArgumentsOf("\"C:\\a b\\Corvane.exe"));
}
