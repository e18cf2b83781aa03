#include "playlist/PlayList.h"

#include <new>

#include "playlist/PlaylistPaths.h"

std::string_view RowNameOf(const PlayListNode& node)
{
    if (node.title.length > 0)
        return std::string_view(node.title.text, static_cast<size_t>(node.title.length));
    return node.filePath.text != nullptr ? FileNameOf(node.filePath.text) : std::string_view();
}

int32_t IndexAfterRemoval(int32_t index, int32_t removed)
{
    return removed >= 0 && removed < index ? index - 1 : index;
}

int32_t IndexAfterMove(int32_t index, int32_t from, int32_t to)
{
    if (from == index)
        return to;
    if (from < index && to >= index)
        return index - 1;
    if (from > index && to <= index)
        return index + 1;
    return index;
}

int PlayList::Append(const char* path, const char* title)
{
    // Both allocations happen before the list is touched, so a failure leaves it as it was.
    PlayListNode* node = new (std::nothrow) PlayListNode;
    if (node == nullptr)
        return 0;
    if (!node->filePath.Assign(path) ||
        (title != nullptr && title[0] != '\0' && !node->title.Assign(title))) {
        delete node;
        return 0;
    }
    node->prev = tail;
    if (tail != nullptr)
        tail->next = node;
    else
        head = node;
    tail = node;
    ++count;
    return 1;
}

PlayListNode* PlayList::NodeAt(int32_t index) const
{
    if (index < 0 || index >= count)
        return nullptr;
    PlayListNode* node = head;
    for (int32_t step = 0; step < index; ++step)
        node = node->next;
    return node;
}

void PlayList::Unlink(PlayListNode* node)
{
    if (node == head)
        head = node->next;
    else
        node->prev->next = node->next;
    if (node == tail)
        tail = node->prev;
    else
        node->next->prev = node->prev;
    node->next = nullptr;
    node->prev = nullptr;
    --count;
}

void PlayList::InsertBefore(PlayListNode* node, PlayListNode* target)
{
    node->prev = target->prev;
    node->next = target;
    if (target->prev != nullptr)
        target->prev->next = node;
    else
        head = node;
    target->prev = node;
    ++count;
}

void PlayList::InsertAfter(PlayListNode* node, PlayListNode* target)
{
    node->prev = target;
    node->next = target->next;
    if (target->next != nullptr)
        target->next->prev = node;
    else
        tail = node;
    target->next = node;
    ++count;
}

void PlayList::RemoveAt(int32_t index)
{
    PlayListNode* node = NodeAt(index);
    if (node == nullptr)
        return;
    Unlink(node);
    delete node;  // its path goes with it
}

void PlayList::MoveEntry(int32_t from, int32_t to)
{
    PlayListNode* source = NodeAt(from);
    PlayListNode* target = NodeAt(to);
    if (source == nullptr || target == nullptr || from == to)
        return;
    // The moved entry is a new node that takes the old one's path. Allocating it first means
    // the move either happens whole or not at all; taking the path over needs no copy that
    // could fail half-way.
    PlayListNode* moved = new (std::nothrow) PlayListNode;
    if (moved == nullptr)
        return;
    moved->filePath.TakeFrom(source->filePath);
    moved->title.TakeFrom(source->title);
    Unlink(source);
    delete source;
    if (to < from)
        InsertBefore(moved, target);
    else
        InsertAfter(moved, target);
}

void PlayList::Clear()
{
    while (count != 0) {
        PlayListNode* node = head;
        head = node->next;
        if (head != nullptr)
            head->prev = nullptr;
        else
            tail = nullptr;
        delete node;
        --count;
    }
}
