// The open dialog's list of file types, as the dialog reads it.
#include "app/OpenFilter.h"

#include <gtest/gtest.h>

TEST(OpenFilterTest, OnePairPerPluginThenAllFiles)
{
    // The filter is pairs of description and pattern: a bare extension list read as pairs would
    // put "mp3" in the list of types and nothing in the pattern. Texts are zero-terminated; one
    // more zero ends the filter.
    const char mp3[] = "mp3\0\0garbage";
    EXPECT_EQ(std::string("MP3 audio (*.mp3)\0*.mp3\0MOD/XM audio (*.mod;*.xm)\0*.mod;*.xm\0"
                          "All files (*.*)\0*.*\0\0", 82),
              BuildOpenFilter({SplitExtensionList(mp3, sizeof mp3), {}, {"mod", "xm"}}));
    EXPECT_EQ(std::vector<std::string>{"mp3"}, SplitExtensionList("mp3\0mp2", 6));  // no end
}
