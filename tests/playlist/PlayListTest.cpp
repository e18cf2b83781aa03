#include "playlist/PlayList.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <string>
#include <vector>

// Allocation failures are injected by replacing the non-throwing allocators the list uses:
// when gFailAfter reaches 0, the next one fails.
static int gFailAfter = -1;

static bool AllocationMayGoOn()
{
    if (gFailAfter == 0)
        return false;
    if (gFailAfter > 0)
        --gFailAfter;
    return true;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocationMayGoOn() ? ::operator new(size) : nullptr;
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocationMayGoOn() ? ::operator new[](size) : nullptr;
}

namespace {

std::vector<std::string> Paths(const PlayList& list)
{
    std::vector<std::string> paths;
    for (PlayListNode* node = list.head; node != nullptr; node = node->next)
        paths.push_back(node->filePath.text);
    return paths;
}

// Walks both directions and checks every link against `count`, head and tail.
void ExpectConsistent(const PlayList& list)
{
    int32_t forward = 0;
    const PlayListNode* last = nullptr;
    for (const PlayListNode* node = list.head; node != nullptr; node = node->next) {
        EXPECT_EQ(node->prev, last) << "at index " << forward;
        EXPECT_EQ(node->filePath.owned, 1);
        EXPECT_EQ(node->filePath.length, static_cast<int32_t>(std::string(node->filePath.text).size()));
        last = node;
        ++forward;
    }
    EXPECT_EQ(forward, list.count);
    EXPECT_EQ(list.tail, last);
    if (list.count == 0) {
        EXPECT_EQ(list.head, nullptr);
        EXPECT_EQ(list.tail, nullptr);
    }
}

class PlayListTest : public ::testing::Test {
protected:
    void Fill(std::initializer_list<const char*> paths)
    {
        for (const char* path : paths)
            ASSERT_EQ(list.Append(path), 1);
    }
    void TearDown() override
    {
        gFailAfter = -1;
        list.Clear();
    }
    PlayList list;
};

TEST_F(PlayListTest, AppendToEmptyListMakesHeadAndTail)
{
    ASSERT_EQ(list.Append("C:\\music\\a.mp3"), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.head, list.tail);
    EXPECT_STREQ(list.head->filePath.text, "C:\\music\\a.mp3");
    ExpectConsistent(list);
}

TEST_F(PlayListTest, SamePathTwiceGivesTwoEntriesAndEachOwnsItsCopy)
{
    char path[] = "song.mp3";
    Fill({path, path});
    path[0] = 'X';
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"song.mp3", "song.mp3"}));
    EXPECT_NE(list.head->filePath.text, list.tail->filePath.text);
    ExpectConsistent(list);
}

TEST_F(PlayListTest, NodeAtRejectsIndexesOutsideTheList)
{
    Fill({"A", "B", "C"});
    EXPECT_EQ(list.NodeAt(-1), nullptr);
    EXPECT_EQ(list.NodeAt(3), nullptr);
    EXPECT_STREQ(list.NodeAt(0)->filePath.text, "A");
    EXPECT_STREQ(list.NodeAt(2)->filePath.text, "C");
}

TEST_F(PlayListTest, RemoveAtUpdatesHeadTailAndIgnoresBadIndexes)
{
    Fill({"A", "B", "C", "D"});
    list.RemoveAt(4);
    list.RemoveAt(-1);
    EXPECT_EQ(list.count, 4);
    list.RemoveAt(0);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"B", "C", "D"}));
    list.RemoveAt(2);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"B", "C"}));
    list.RemoveAt(1);
    list.RemoveAt(0);
    ExpectConsistent(list);
    EXPECT_EQ(list.count, 0);
}

TEST_F(PlayListTest, MoveEntryEndsTheEntryAtTheTargetIndex)
{
    struct Case {
        int from, to;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {1, 3, {"A", "C", "D", "B", "E"}},
        {3, 1, {"A", "D", "B", "C", "E"}},
        {0, 4, {"B", "C", "D", "E", "A"}},  // first to the end: head and tail change
        {4, 0, {"E", "A", "B", "C", "D"}},  // last to the front
        {2, 2, {"A", "B", "C", "D", "E"}},  // same index: unchanged
        {5, 0, {"A", "B", "C", "D", "E"}},  // source outside the list
        {0, 5, {"A", "B", "C", "D", "E"}},  // target outside the list
        {-1, 2, {"A", "B", "C", "D", "E"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "MoveEntry(" << c.from << ", " << c.to << ")");
        list.Clear();
        Fill({"A", "B", "C", "D", "E"});
        list.MoveEntry(c.from, c.to);
        EXPECT_EQ(Paths(list), c.expected);
        ExpectConsistent(list);
    }
}

// The player's current index designates an entry: after any move or removal it still finds the
// same song (the one whose title travels with it), and a removal of that song itself hands the
// number to the entry that followed.
TEST_F(PlayListTest, AnIndexFollowsItsEntryThroughMovesAndRemovals)
{
    for (int current = 0; current < 5; ++current) {
        for (int from = 0; from < 5; ++from) {
            for (int to = 0; to < 5; ++to) {
                list.Clear();
                Fill({"A", "B", "C", "D", "E"});
                list.NodeAt(current)->title.Assign("playing");
                list.MoveEntry(from, to);
                const int32_t now = IndexAfterMove(current, from, to);
                EXPECT_EQ(RowNameOf(*list.NodeAt(now)), "playing")
                    << "current " << current << ", MoveEntry(" << from << ", " << to << ")";
            }
            list.Clear();
            Fill({"A", "B", "C", "D", "E"});
            const std::string following = from == current && current < 4
                                              ? Paths(list)[current + 1]
                                              : Paths(list)[current];
            list.RemoveAt(from);
            const int32_t now = IndexAfterRemoval(current, from);
            if (now < list.count)
                EXPECT_EQ(list.NodeAt(now)->filePath.text, following)
                    << "current " << current << ", RemoveAt(" << from << ")";
        }
    }
    // A row shows the file's name until its title is known.
    list.Clear();
    ASSERT_EQ(list.Append("C:\\Music\\03 long.mp3"), 1);
    EXPECT_EQ(RowNameOf(*list.head), "03 long.mp3");
    ASSERT_EQ(list.Append("C:\\x.mp3", "Kino - Gruppa krovi"), 1);
    EXPECT_EQ(RowNameOf(*list.tail), "Kino - Gruppa krovi");
}

TEST_F(PlayListTest, MoveEntryInATwoEntryList)
{
    Fill({"A", "B"});
    list.MoveEntry(0, 1);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"B", "A"}));
    list.MoveEntry(1, 0);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"A", "B"}));
    ExpectConsistent(list);
}

TEST_F(PlayListTest, ClearEmptiesAndClearOfEmptyListDoesNothing)
{
    list.Clear();
    ExpectConsistent(list);
    Fill({"A", "B", "C"});
    list.Clear();
    ExpectConsistent(list);
    EXPECT_EQ(list.count, 0);
    Fill({"D"});
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"D"}));
}

TEST_F(PlayListTest, FailedAllocationLeavesTheListConsistentAndReportsFailure)
{
    Fill({"A", "B"});
    for (int failAt = 0; failAt < 2; ++failAt) {  // the node, then its path
        SCOPED_TRACE(::testing::Message() << "allocation " << failAt << " fails");
        gFailAfter = failAt;
        EXPECT_EQ(list.Append("C"), 0);
        gFailAfter = -1;
        EXPECT_EQ(Paths(list), (std::vector<std::string>{"A", "B"}));
        ExpectConsistent(list);
    }
    gFailAfter = 0;
    list.MoveEntry(0, 1);  // cannot get its new node: nothing moves, nothing is lost
    gFailAfter = -1;
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"A", "B"}));
    ExpectConsistent(list);
}

TEST(OwnedStringTest, AssignEmptyAndTakeFrom)
{
    OwnedString text;
    EXPECT_EQ(text.Empty(), 0);
    ASSERT_EQ(text.Assign("abc"), 1);
    EXPECT_EQ(text.length, 3);
    ASSERT_EQ(text.Assign(""), 1);
    EXPECT_EQ(text.length, 0);
    EXPECT_STREQ(text.text, "");
    OwnedString other;
    other.TakeFrom(text);
    EXPECT_EQ(text.text, nullptr);
    EXPECT_EQ(text.owned, 0);
    EXPECT_EQ(other.owned, 1);
    EXPECT_EQ(other.Empty(), 1);
    EXPECT_EQ(other.text, nullptr);
}

}  // namespace
