// A path as it enters the program (opened, queued): absolute, without "." and ".." parts or
// doubled and trailing separators, so one file is always the same text wherever paths are
// compared or hashed. Symbolic links are kept as named.
#pragma once

#include <filesystem>

namespace stillpix {

std::filesystem::path AbsoluteNormalPath(const std::filesystem::path& path);

}  // namespace stillpix
