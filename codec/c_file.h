// Inside the codec: a C stream that closes itself, for the libraries that read through stdio.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/regular_file.h"

namespace stillpix::codec {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

inline FilePtr OpenFile(const std::filesystem::path& path, const char* mode) {
    return FilePtr(std::fopen(path.c_str(), mode));
}

// A regular file opened for reading without ever waiting in open(); null with the reason.
inline FilePtr OpenForReading(const std::filesystem::path& path, std::string& error) {
    const int fd = OpenRegularFile(path, error);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        error = "cannot read " + path.string();
        ::close(fd);
    }
    return FilePtr(file);
}

// Closes a stream that was written; false when any write or the close failed.
inline bool CloseWritten(FilePtr& file) {
    std::FILE* raw = file.release();
    const bool ok = std::ferror(raw) == 0;
    return std::fclose(raw) == 0 && ok;
}

}  // namespace stillpix::codec
