#include "platform/absolute_path.h"

#include <system_error>

namespace stillpix {

std::filesystem::path AbsoluteNormalPath(const std::filesystem::path& path) {
    if (path.empty()) return path;
    std::error_code ec;
    std::filesystem::path normal = std::filesystem::absolute(path, ec);
    if (ec) normal = path;
    normal = normal.lexically_normal();
    // "dir/" names the folder "dir"; the root keeps its separator.
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

}  // namespace stillpix
