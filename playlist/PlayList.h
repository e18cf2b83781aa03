// The ordered list of song paths that the player works through and the playlist window edits.
//
// A doubly linked list whose entries hold nothing but the path as it was handed in. Positions
// are plain 0-based indexes, found by walking from the head; nothing caches them, so the
// player's current index keeps its number (not its entry) when entries move or go.
#pragma once

#include <cstdint>

#include "playlist/OwnedString.h"

struct PlayListNode {
    PlayListNode* next = nullptr;
    PlayListNode* prev = nullptr;
    OwnedString filePath;
};

class PlayList {
public:
    PlayListNode* head = nullptr;  // owned, with every node reachable from it
    PlayListNode* tail = nullptr;
    int32_t count = 0;

    PlayList() = default;
    // The player's list lives until the program ends; whoever wants the entries freed calls
    // Clear.
    virtual ~PlayList() = default;
    PlayList(const PlayList&) = delete;
    PlayList& operator=(const PlayList&) = delete;

    // Adds a copy of `path` at the end. Returns 0 and leaves the list unchanged when memory for
    // the entry cannot be had.
    int Append(const char* path);
    // The entry at `index`, or null when the index is negative or not below `count`.
    PlayListNode* NodeAt(int32_t index) const;
    // Removes the entry at `index`; an index outside the list changes nothing.
    void RemoveAt(int32_t index);
    // Moves entry `from` so that it ends at index `to`: [A,B,C,D,E] with (1, 3) gives
    // [A,C,D,B,E], with (3, 1) gives [A,D,B,C,E]. Indexes outside the list, or equal ones,
    // change nothing.
    void MoveEntry(int32_t from, int32_t to);
    // Frees every entry, front to back.
    void Clear();

private:
    void Unlink(PlayListNode* node);
    void InsertBefore(PlayListNode* node, PlayListNode* target);
    void InsertAfter(PlayListNode* node, PlayListNode* target);
};
