#include <cstring>

#include "codec/c_file.h"
#include "codec/formats.h"

namespace stillpix::codec {

FileFormat SniffFormat(const std::filesystem::path& file, uint64_t& fileSize, std::string& error) {
    FilePtr in = OpenForReading(file, error);
    if (in == nullptr) return FileFormat::kUnknown;
    std::error_code ec;
    fileSize = std::filesystem::file_size(file, ec);
    if (ec) {
        error = "cannot read " + file.string() + ": " + ec.message();
        return FileFormat::kUnknown;
    }
    unsigned char head[8] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, in.get());
    if (n == 0) {
        error = file.string() + " is empty";
        return FileFormat::kUnknown;
    }
    auto starts = [&](const char* magic, std::size_t count) {
        return n >= count && std::memcmp(head, magic, count) == 0;
    };
    if (starts("\xFF\xD8\xFF", 3)) return FileFormat::kJpeg;
    if (starts("\x89PNG\r\n\x1A\n", 8)) return FileFormat::kPng;
    // NOLINTNEXTLINE(bugprone-string-literal-with-embedded-nul): compared by length
    if (starts("II*\0", 4) || starts("MM\0*", 4)) return FileFormat::kTiff;
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) return FileFormat::kGif;
    if (starts("BM", 2)) return FileFormat::kBmp;
    error = file.string() + " is not a JPEG, PNG, TIFF, GIF or BMP image";
    return FileFormat::kUnknown;
}

const char* FormatName(FileFormat format) {
    switch (format) {
        case FileFormat::kJpeg: return "JPEG";
        case FileFormat::kPng: return "PNG";
        case FileFormat::kTiff: return "TIFF";
        case FileFormat::kGif: return "GIF";
        case FileFormat::kBmp: return "BMP";
        case FileFormat::kUnknown: break;
    }
    return "unknown";
}

}  // namespace stillpix::codec
