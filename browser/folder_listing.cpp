#include "browser/folder_listing.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace stillpix {

namespace fs = std::filesystem;

namespace {

bool IsImageName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;  // no extension, or no title
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* kept : {"jpg", "jpeg", "jpe", "tif", "tiff", "bmp", "png"})
        if (extension == kept) return true;
    return false;
}

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path() : fs::path(folder), ec), end;
    for (; !ec && it != end; it.increment(ec))
        if (!Hidden(it->path()) && !visit(*it)) return;
}

}  // namespace

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    return folder;
}

std::vector<ListedImageFile> ListImageFiles(const std::string& folder) {
    std::vector<ListedImageFile> files;
    if (folder.empty()) return files;
    const std::string prefix = WithTrailingSeparator(folder);
    ForEachEntry(folder, [&](const fs::directory_entry& entry) {
        std::error_code ec;
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && IsImageName(name)) {
            const uintmax_t size = entry.file_size(ec);
            files.push_back({prefix, name, prefix + name, ec ? 0 : uint64_t(size)});
        }
        return true;
    });
    return files;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
    std::vector<std::string> folders;
    ForEachEntry(folder, [&](const fs::directory_entry& entry) {
        std::error_code ec;
        if (entry.is_directory(ec)) folders.push_back(entry.path().string());
        return true;
    });
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool HasSubfolders(const std::string& folder) {
    bool found = false;
    ForEachEntry(folder, [&](const fs::directory_entry& entry) {
        std::error_code ec;
        found = entry.is_directory(ec);
        return !found;
    });
    return found;
}

}  // namespace stillpix
