// The folder walk on made-up trees: the order an album is heard in, the bounds, and links that
// lead back into walked folders.
#include "playlist/FolderWalk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Folders by path: their files, their subfolders and what they are (a link names its target).
struct FakeFolder {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::string identity;
};

class FakeDisk : public FolderSource {
public:
    std::map<std::string, FakeFolder> tree;
    int listed = 0;

    bool List(const std::string& folder, FolderListing& listing) override
    {
        const auto found = tree.find(folder);
        if (found == tree.end())
            return false;
        ++listed;
        listing.files = found->second.files;
        listing.folders = found->second.folders;
        return true;
    }
    std::string Identity(const std::string& folder) override
    {
        const auto found = tree.find(folder);
        return found == tree.end() ? std::string() : found->second.identity;
    }
};

bool IsMp3(const std::string& path)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
}

TEST(FolderWalkTest, AlbumsComeInNaturalOrderFilesBeforeSubfolders)
{
    FakeDisk disk;
    disk.tree["M"] = {{"Track 10.mp3", "cover.jpg", "track 2.mp3", "Track 1.mp3"},
                      {"Disc 10", "Disc 2"}, "m"};
    disk.tree["M\\Disc 2"] = {{"b.mp3", "a.mp3"}, {"Extras"}, "d2"};
    disk.tree["M\\Disc 2\\Extras"] = {{"x.mp3"}, {}, "x"};
    disk.tree["M\\Disc 10"] = {{"z.mp3"}, {}, "d10"};
    const FolderWalk walk = WalkFolder(disk, "M", IsMp3);
    const std::vector<std::string> expected = {
        "M\\Track 1.mp3", "M\\track 2.mp3", "M\\Track 10.mp3", "M\\Disc 2\\a.mp3",
        "M\\Disc 2\\b.mp3", "M\\Disc 2\\Extras\\x.mp3", "M\\Disc 10\\z.mp3"};
    EXPECT_EQ(walk.songs, expected);
    EXPECT_FALSE(walk.bounded);
    EXPECT_EQ(walk.unreadable, 0);
}

TEST(FolderWalkTest, BoundsStopTheWalkAndLoopsAreWalkedOnce)
{
    struct Case {
        const char* what;
        int32_t maxSongs;
        int32_t maxDepth;
        size_t songs;
        bool bounded;
    };
    // A chain of 40 nested folders, one song in each, and in the deepest a link back to the top.
    FakeDisk disk;
    std::string path = "R";
    for (int depth = 0; depth < 40; ++depth) {
        const std::string next = path + "\\d";
        disk.tree[path] = {{"s.mp3"}, {"d"}, "id" + std::to_string(depth)};
        path = next;
    }
    disk.tree[path] = {{"s.mp3"}, {"loop"}, "id40"};
    disk.tree[path + "\\loop"] = disk.tree["R"];  // the same folder reached again
    const Case cases[] = {
        {"songs bound", 5, 100, 5, true},
        {"depth bound", 1000, 32, 33, true},
        {"everything, the loop entered once", 1000, 100, 41, false},
        {"exactly as many songs as allowed", 41, 100, 41, false},
    };
    for (const Case& c : cases) {
        disk.listed = 0;
        const FolderWalk walk = WalkFolder(disk, "R", IsMp3, '\\', c.maxSongs, c.maxDepth);
        EXPECT_EQ(walk.songs.size(), c.songs) << c.what;
        EXPECT_EQ(walk.bounded, c.bounded) << c.what;
        EXPECT_LE(disk.listed, 41) << c.what << ": a folder was listed twice";
    }
    // A folder that cannot be listed is counted and the walk goes on.
    disk.tree["R\\d"].folders.push_back("a gone");
    EXPECT_EQ(WalkFolder(disk, "R", IsMp3, '\\', 1000, 2).unreadable, 1);
}

}  // namespace
