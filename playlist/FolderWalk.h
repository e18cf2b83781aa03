// The songs beneath a folder that is dropped, handed over or named on the command line: every
// file a plug-in claims, in the order people expect to hear an album.
//
//   - in natural order (NaturalOrder.h), a folder's own files before its subfolders, each
//     subfolder walked whole before the next;
//   - bounded: at most kMaxWalkSongs songs (the playlist's own bound) and kMaxWalkDepth levels
//     of folders below the one given; a walk that meets a bound stops there and says so;
//   - a link or junction that leads back to a folder already walked is not entered again, so a
//     loop costs one look and no more.
//
// Windows-free: the caller lists folders (FolderSource) and says which files are songs, so the
// walk is tested natively on a made-up tree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int32_t kMaxWalkSongs = 100000;
inline constexpr int32_t kMaxWalkDepth = 32;

// What one folder holds: names only, without the folder.
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

class FolderSource {
public:
    virtual ~FolderSource() = default;
    // The entries of `folder` (UTF-8, without a closing separator); false when it cannot be
    // listed. "." and ".." are not entries.
    virtual bool List(const std::string& folder, FolderListing& listing) = 0;
    // What the folder is, whatever the path that led to it (on Windows its volume and file
    // index), so that a folder reached twice is known; empty when it cannot be told.
    virtual std::string Identity(const std::string& folder) = 0;
};

struct FolderWalk {
    std::vector<std::string> songs;  // full paths, in the order to play them
    int32_t unreadable = 0;          // folders that could not be listed
    bool bounded = false;            // a bound stopped the walk before it saw everything
};

// Walks `root` (UTF-8, without a closing separator). `isSong` answers whether a file's full
// path is one to add; `separator` joins a folder and a name.
FolderWalk WalkFolder(FolderSource& source, const std::string& root,
                      const std::function<bool(const std::string&)>& isSong,
                      char separator = '\\', int32_t maxSongs = kMaxWalkSongs,
                      int32_t maxDepth = kMaxWalkDepth);
