// The open dialog's list of file types, as the dialog reads it.
#include "app/OpenFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The filter's texts, split at its zeros; the final empty text marks its end.
std::vector<std::string> Texts(const std::string& filter)
{
    std::vector<std::string> texts;
    size_t at = 0;
    while (at < filter.size()) {
        const size_t end = filter.find('\0', at);
        texts.push_back(filter.substr(at, end - at));
        at = end + 1;
    }
    return texts;
}

TEST(OpenFilterTest, OnePairPerPluginThenAllFiles)
{
    // Found by review: the bare extension lists read as pairs put "mp3" in the list of types
    // and nothing in the pattern.
    EXPECT_EQ((std::vector<std::string>{"MP3 audio (*.mp3)", "*.mp3", "MOD/XM audio (*.mod;*.xm)",
                                        "*.mod;*.xm", "All files (*.*)", "*.*", ""}),
              Texts(BuildOpenFilter({{"mp3"}, {}, {"mod", "xm"}})));
    EXPECT_EQ((std::vector<std::string>{"All files (*.*)", "*.*", ""}), Texts(BuildOpenFilter({})));
}

TEST(OpenFilterTest, ExtensionListIsReadNoFurtherThanItsLimit)
{
    const char list[] = "mp3\0mp2\0\0garbage";
    EXPECT_EQ((std::vector<std::string>{"mp3", "mp2"}), SplitExtensionList(list, sizeof list));
    // Cut off before its closing zero: only the complete entries count.
    EXPECT_EQ((std::vector<std::string>{"mp3"}), SplitExtensionList(list, 6));
    EXPECT_TRUE(SplitExtensionList(nullptr, 100).empty());
}

}  // namespace
