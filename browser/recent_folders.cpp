#include "browser/recent_folders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "browser/folder_listing.h"

namespace stillpix {

namespace fs = std::filesystem;

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

std::string FolderOfOpenedFile(const std::string& file) {
    std::error_code ec;
    if (file.empty() || !fs::exists(file, ec)) return {};
    const fs::path absolute = fs::absolute(file, ec).lexically_normal();
    if (ec) return {};
    return WithTrailingSeparator(absolute.parent_path().string());
}

bool RememberFolder(std::vector<std::string>& recent, const std::string& folder) {
    if (folder.empty()) return false;
    const auto found = std::find(recent.begin(), recent.end(), folder);
    if (found == recent.begin() && found != recent.end()) return false;
    if (found != recent.end()) recent.erase(found);
    recent.insert(recent.begin(), folder);
    return true;
}

std::vector<std::string> RecentEntries(const std::vector<std::string>& recent, int length) {
    const std::size_t count = std::min<std::size_t>(recent.size(), std::clamp(length, 1, 10));
    return {recent.begin(), recent.begin() + std::ptrdiff_t(count)};
}

bool NodeMatches(const std::string& nodePath, const std::string& prefix, bool exactCase) {
    if (nodePath.empty()) return false;
    const std::string path = WithTrailingSeparator(nodePath);
    return exactCase ? path == prefix : EqualIgnoringCase(path, prefix);
}

std::vector<std::string> WalkPrefixes(const std::string& base, const std::string& target) {
    std::string prefix = WithTrailingSeparator(base);
    const std::string full = WithTrailingSeparator(target);
    if (full.size() < prefix.size() || !EqualIgnoringCase(full.substr(0, prefix.size()), prefix))
        return {};
    std::vector<std::string> steps;
    std::size_t start = prefix.size();
    while (start < full.size()) {
        const std::size_t end = full.find('/', start);
        prefix = full.substr(0, end + 1);
        if (end > start) steps.push_back(prefix);
        start = end + 1;
    }
    return steps;
}

}  // namespace stillpix
