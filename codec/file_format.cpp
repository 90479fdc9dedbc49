#include <cstring>

#include "codec/c_file.h"
#include "codec/formats.h"

namespace stillpix::codec {

FileFormat SniffFormat(const std::filesystem::path& file, uint64_t& fileSize, std::string& error) {
    FilePtr in = OpenForReading(file, error);
    if (in == nullptr) return FileFormat::Unknown;
    std::error_code ec;
    fileSize = std::filesystem::file_size(file, ec);
    if (ec) {
        error = "cannot read " + file.string() + ": " + ec.message();
        return FileFormat::Unknown;
    }
    unsigned char head[8] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, in.get());
    if (n == 0) {
        error = file.string() + " is empty";
        return FileFormat::Unknown;
    }
    auto starts = [&](const char* magic, std::size_t count) {
        return n >= count && std::memcmp(head, magic, count) == 0;
    };
    if (starts("\xFF\xD8\xFF", 3)) return FileFormat::Jpeg;
    if (starts("\x89PNG\r\n\x1A\n", 8)) return FileFormat::Png;
    if (starts("II*\0", 4) || starts("MM\0*", 4)) return FileFormat::Tiff;
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) return FileFormat::Gif;
    if (starts("BM", 2)) return FileFormat::Bmp;
    error = file.string() + " is not a JPEG, PNG, TIFF, GIF or BMP image";
    return FileFormat::Unknown;
}

const char* FormatName(FileFormat format) {
    switch (format) {
        case FileFormat::Jpeg: return "JPEG";
        case FileFormat::Png: return "PNG";
        case FileFormat::Tiff: return "TIFF";
        case FileFormat::Gif: return "GIF";
        case FileFormat::Bmp: return "BMP";
        case FileFormat::Unknown: break;
    }
    return "unknown";
}

}  // namespace stillpix::codec
