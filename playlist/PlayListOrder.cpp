#include "playlist/PlayListOrder.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "playlist/NaturalOrder.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistPaths.h"

namespace {

std::vector<PlayListNode*> NodesOf(const PlayList& list)
{
    std::vector<PlayListNode*> nodes;
    nodes.reserve(static_cast<size_t>(list.count));
    for (PlayListNode* node = list.head; node != nullptr; node = node->next)
        nodes.push_back(node);
    return nodes;
}

// Links the list's own nodes again in the order of `nodes` and answers the new index of
// `playing` (the node that was current), or `current` when there was none.
int32_t Relink(PlayList& list, const std::vector<PlayListNode*>& nodes,
               const PlayListNode* playing, int32_t current)
{
    PlayListNode* previous = nullptr;
    int32_t found = current;
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->prev = previous;
        nodes[i]->next = nullptr;
        if (previous != nullptr)
            previous->next = nodes[i];
        previous = nodes[i];
        if (nodes[i] == playing)
            found = static_cast<int32_t>(i);
    }
    list.head = nodes.empty() ? nullptr : nodes.front();
    list.tail = previous;
    return found;
}

const PlayListNode* NodeIn(const std::vector<PlayListNode*>& nodes, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < nodes.size() ? nodes[index] : nullptr;
}

std::string_view NameOf(const PlayListNode* node)
{
    return RowNameOf(*node);
}

}  // namespace

int32_t SortPlayList(PlayList& list, int32_t current)
{
    std::vector<PlayListNode*> nodes = NodesOf(list);
    const PlayListNode* playing = NodeIn(nodes, current);
    // Each name is found once, not once per comparison.
    std::vector<std::pair<std::string_view, PlayListNode*>> named;
    named.reserve(nodes.size());
    for (PlayListNode* node : nodes)
        named.emplace_back(NameOf(node), node);
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return CompareNatural(a.first, b.first) < 0;
    });
    for (size_t i = 0; i < named.size(); ++i)
        nodes[i] = named[i].second;
    return Relink(list, nodes, playing, current);
}

int32_t ReversePlayList(PlayList& list, int32_t current)
{
    std::vector<PlayListNode*> nodes = NodesOf(list);
    const PlayListNode* playing = NodeIn(nodes, current);
    std::reverse(nodes.begin(), nodes.end());
    return Relink(list, nodes, playing, current);
}

uint32_t ShuffleRandom::Below(uint32_t bound)
{
    if (bound == 0)
        return 0;
    // Draws past the last whole multiple of `bound` are thrown back, or the low numbers would
    // come up more often than the high ones.
    const uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
    uint32_t draw;
    do
        draw = static_cast<uint32_t>(engine_());
    while (draw >= limit);
    return draw % bound;
}

int32_t ShufflePlayList(PlayList& list, int32_t current, ShuffleRandom& random)
{
    std::vector<PlayListNode*> nodes = NodesOf(list);
    const PlayListNode* playing = NodeIn(nodes, current);
    for (size_t i = nodes.size(); i > 1; --i)
        std::swap(nodes[i - 1], nodes[random.Below(static_cast<uint32_t>(i))]);
    return Relink(list, nodes, playing, current);
}
