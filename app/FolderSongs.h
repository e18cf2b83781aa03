// The folders of the disk as the folder walk (playlist/FolderWalk.h) sees them.
#pragma once

#include <string>

#include "playlist/FolderWalk.h"

// Lists folders with FindFirstFileW and knows each by its volume and file index, so that a link
// or junction back into a walked folder is seen for what it is.
class DiskFolders : public FolderSource {
public:
    bool List(const std::string& folder, FolderListing& listing) override;
    std::string Identity(const std::string& folder) override;
};

// 1 when `path` (UTF-8) names a folder on disk.
int IsFolderPath(const std::string& path);
