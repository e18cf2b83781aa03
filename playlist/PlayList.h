// The ordered list of song paths that the player works through and the playlist window edits.
//
// A doubly linked list whose entries hold the path as it was handed in and, once known, the
// song's title. Positions are plain 0-based indexes, found by walking from the head; nothing
// caches them. Whoever keeps an index into the list (the player's current entry) moves it with
// IndexAfterRemoval and IndexAfterMove, so that it keeps designating its entry.
#pragma once

#include <cstdint>
#include <string_view>

#include "playlist/OwnedString.h"

struct PlayListNode {
    PlayListNode* next = nullptr;
    PlayListNode* prev = nullptr;
    OwnedString filePath;
    OwnedString title;  // UTF-8 "Artist - Title"; empty until a playlist file or the plug-in gave it
};

// The name a row shows for the entry: its title when known, else the file's name and extension.
std::string_view RowNameOf(const PlayListNode& node);

// Where an index that designated an entry stands after entry `removed` went: one lower when the
// removed entry lay before it, unchanged otherwise (the removed entry itself: the number now
// designates the entry that followed it).
int32_t IndexAfterRemoval(int32_t index, int32_t removed);
// Where an index that designated an entry stands after MoveEntry(from, to).
int32_t IndexAfterMove(int32_t index, int32_t from, int32_t to);

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

    // Adds a copy of `path` (and of `title`, when given and not empty) at the end. Returns 0 and
    // leaves the list unchanged when memory for the entry cannot be had.
    int Append(const char* path, const char* title = nullptr);
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
