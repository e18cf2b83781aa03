#include "playlist/FolderWalk.h"

#include <algorithm>
#include <set>

#include "playlist/NaturalOrder.h"

namespace {

struct Walker {
    FolderSource& source;
    const std::function<bool(const std::string&)>& isSong;
    char separator;
    int32_t maxSongs;
    int32_t maxDepth;
    std::set<std::string> seen;  // identities of the folders entered so far
    FolderWalk walk;

    bool Full() const { return static_cast<int32_t>(walk.songs.size()) >= maxSongs; }

    // Depth first, explicit stack free: the depth bound keeps the recursion at 33 frames.
    void Walk(const std::string& folder, int32_t depth)
    {
        const std::string identity = source.Identity(folder);
        if (!identity.empty() && !seen.insert(identity).second)
            return;  // reached again through a link: walked already
        FolderListing listing;
        if (!source.List(folder, listing)) {
            ++walk.unreadable;
            return;
        }
        const auto natural = [](const std::string& a, const std::string& b) {
            return CompareNatural(a, b) < 0;
        };
        std::sort(listing.files.begin(), listing.files.end(), natural);
        std::sort(listing.folders.begin(), listing.folders.end(), natural);
        for (const std::string& name : listing.files) {
            const std::string path = folder + separator + name;
            if (!isSong(path))
                continue;
            if (Full()) {
                walk.bounded = true;
                return;
            }
            walk.songs.push_back(path);
        }
        for (const std::string& name : listing.folders) {
            if (depth >= maxDepth) {
                walk.bounded = true;
                return;
            }
            Walk(folder + separator + name, depth + 1);
            if (walk.bounded)
                return;
        }
    }
};

}  // namespace

FolderWalk WalkFolder(FolderSource& source, const std::string& root,
                      const std::function<bool(const std::string&)>& isSong, char separator,
                      int32_t maxSongs, int32_t maxDepth)
{
    Walker walker{source, isSong, separator, maxSongs, maxDepth, {}, {}};
    walker.Walk(root, 0);
    return std::move(walker.walk);
}
