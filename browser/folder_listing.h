// What the image browser lists from the file system: the image files of one folder and the
// subfolders of a tree node. Hidden entries (a leading dot) are left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stillpix {

struct ListedImageFile {
    std::string folder;  // with its trailing separator
    std::string name;
    std::string path;
    uint64_t size = 0;
};

// The browser's listing of one folder, one level, in the order the file system gives: regular
// files (or links to them) with a non-empty title and one of the extensions jpg, jpeg, jpe, tif,
// tiff, bmp, png in any letter case. An unreadable folder lists nothing.
std::vector<ListedImageFile> ListImageFiles(const std::string& folder);

// The visible subfolders of a folder, sorted by name; none when it cannot be read.
std::vector<std::string> ListSubfolders(const std::string& folder);
bool HasSubfolders(const std::string& folder);

// The folder ends in a separator ("/" appended unless it ends in "/" or "\").
std::string WithTrailingSeparator(std::string folder);

}  // namespace stillpix
