// SORT, REVERSE and SHUFFLE on the playlist model: the orders they give, and the playing entry
// followed through each.
#include "playlist/PlayListOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "playlist/PlayList.h"

namespace {

std::vector<std::string> Paths(const PlayList& list)
{
    std::vector<std::string> paths;
    for (const PlayListNode* node = list.head; node != nullptr; node = node->next)
        paths.push_back(node->filePath.text);
    return paths;
}

void Fill(PlayList& list, const std::vector<std::string>& paths)
{
    list.Clear();
    for (const std::string& path : paths)
        ASSERT_EQ(1, list.Append(path.c_str()));
}

// The names in the order a sort must give; the folders are not part of the name.
const std::vector<std::string> kSorted = {
    "C:\\a\\1 intro.mp3",
    "C:\\z\\01 Intro.mp3",           // the same number: fewer leading zeros first
    "D:\\2 Intro.mp3",
    "C:\\z\\10 intro.mp3",
    "C:\\x\\ABBA - Waterloo.mp3",    // ' ' comes before '.'
    "C:\\y\\abba.mp3",
    "C:\\x\\track 2.mp3",
    "C:\\x\\Track 3.mp3",
    "C:\\x\\TRACK 10.mp3",
    "C:\\x\\Track 10b.mp3",
    "C:\\x\\track 99999999999999999999999.mp3",
    "C:\\x\\track 100000000000000000000000.mp3",
    "C:\\x\\\xC3\xA9t\xC3\xA9 2.mp3",                // "été 2", after the ASCII letters
    "C:\\x\\\xC3\x89t\xC3\xA9.mp3",                  // "Été"
    "C:\\x\\\xD0\x90\xD0\xBB\xD1\x8C\xD1\x84\xD0\xB0.mp3",  // "Альфа"
    "C:\\x\\\xD0\xB1\xD0\xB5\xD1\x82\xD0\xB0.mp3",          // "бета"
    "C:\\x\\\xD0\x92\xD0\xB5\xD0\xB3\xD0\xB0.mp3",          // "Вега"
};

TEST(PlayListOrder, SortIsNaturalAndCaseBlindAndFollowsThePlayingEntry)
{
    std::vector<std::string> shuffled = kSorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[3], shuffled[11]);
    PlayList list;
    Fill(list, shuffled);
    const int32_t playing = 4;
    const int32_t moved = SortPlayList(list, playing);
    EXPECT_EQ(kSorted, Paths(list));
    ASSERT_GE(moved, 0);
    EXPECT_EQ(shuffled[playing], kSorted[moved]);
    EXPECT_EQ(static_cast<int32_t>(kSorted.size()), list.count);
    EXPECT_EQ(kSorted.back(), list.tail->filePath.text);
    EXPECT_EQ(nullptr, list.head->prev);
    list.Clear();
}

TEST(PlayListOrder, ReverseAndShuffleFollowThePlayingEntryAndKeepTheLinks)
{
    const std::vector<std::string> paths = {"a", "b", "c", "d", "e"};
    PlayList list;
    Fill(list, paths);
    EXPECT_EQ(3, ReversePlayList(list, 1));
    EXPECT_EQ((std::vector<std::string>{"e", "d", "c", "b", "a"}), Paths(list));
    EXPECT_EQ(7, ReversePlayList(list, 7)) << "an index outside the list stays as it was";

    ShuffleRandom random(11);
    for (int round = 0; round < 20; ++round) {
        const std::vector<std::string> before = Paths(list);
        const int32_t moved = ShufflePlayList(list, 2, random);
        std::vector<std::string> after = Paths(list);
        EXPECT_EQ(before[2], after[moved]);
        // The links run both ways: walking back from the tail gives the same entries.
        std::vector<std::string> backwards;
        for (const PlayListNode* node = list.tail; node != nullptr; node = node->prev)
            backwards.insert(backwards.begin(), node->filePath.text);
        EXPECT_EQ(after, backwards);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(paths, after);
    }
    list.Clear();
}

TEST(PlayListOrder, ShuffleGivesEveryOrderEquallyOften)
{
    // 4 entries have 24 orders; 48,000 shuffles give each about 2,000 (give or take 44). A
    // biased shuffle (the classic swap with any position) is off by a quarter for some orders.
    PlayList list;
    ShuffleRandom random(2024);
    std::map<std::vector<std::string>, int> seen;
    for (int i = 0; i < 48000; ++i) {
        Fill(list, {"a", "b", "c", "d"});
        ShufflePlayList(list, 0, random);
        ++seen[Paths(list)];
    }
    EXPECT_EQ(24u, seen.size());
    for (const auto& [order, count] : seen)
        EXPECT_NEAR(2000, count, 200) << order[0] << order[1] << order[2] << order[3];
    list.Clear();

    ShuffleRandom first(5), second(5);
    PlayList one, two;
    Fill(one, {"a", "b", "c", "d", "e", "f"});
    Fill(two, {"a", "b", "c", "d", "e", "f"});
    ShufflePlayList(one, 0, first);
    ShufflePlayList(two, 0, second);
    EXPECT_EQ(Paths(one), Paths(two)) << "the same seed gives the same order";
    one.Clear();
    two.Clear();
}

}  // namespace
