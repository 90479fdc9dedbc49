// The recently used folders: remembering the folder of a file opened from the browser, the
// entries the "Recent" drop-down shows, and the steps of the walk that takes the folder tree to
// one of them.
#pragma once

#include <string>
#include <vector>

namespace stillpix {

// The folder that holds `file`, absolute, with a trailing separator; empty when the file does
// not exist.
std::string FolderOfOpenedFile(const std::string& file);

// Puts `folder` at the front (moving it when it is further back). False when it was at the front
// already or is empty: nothing changed.
bool RememberFolder(std::vector<std::string>& recent, const std::string& folder);

// The folders the drop-down shows after "Desktop": the first `length` (1..10) of the list.
std::vector<std::string> RecentEntries(const std::vector<std::string>& recent, int length);

// Whether a tree node's path names the folder `prefix` (which ends in a separator): the node's
// path gets a separator when it lacks one; letter case counts only when `exactCase`.
bool NodeMatches(const std::string& nodePath, const std::string& prefix, bool exactCase);

// The folders between `base` (a tree node's path) and `target`, one component at a time, each
// with a trailing separator: base "/home/u", target "/home/u/a/b" gives "/home/u/a/",
// "/home/u/a/b/". Empty when `target` does not lie below `base` (letter case ignored).
std::vector<std::string> WalkPrefixes(const std::string& base, const std::string& target);

}  // namespace stillpix
