// Reading a file's metadata without its pixels: a JPEG's segments up to the scan, a PNG's chunks,
// a TIFF file's directories. Every read is bounded by the file's size and a budget, so a hostile
// header costs no more than its bytes.
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "codec/metadata_internal.h"

namespace stillpix::codec {
namespace {

constexpr std::size_t kMaxSegments = 10000;
constexpr uint32_t kMaxChunkBytes = 16u << 20;
constexpr char kExifHeader[] = "Exif\0\0";
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";  // and its NUL
constexpr char kPhotoshopHeader[] = "Photoshop 3.0";           // and its NUL

// A file opened for reading, closed with this object.
class FileSource {
public:
    explicit FileSource(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)),
          bytes_(fd_, fd_ >= 0
                          ? static_cast<uint64_t>(std::max<off_t>(::lseek(fd_, 0, SEEK_END), 0))
                          : 0) {}
    ~FileSource() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool Ok() const { return fd_ >= 0; }
    const FdSource& Bytes() const { return bytes_; }

private:
    int fd_;
    FdSource bytes_;
};

struct Found {
    std::vector<uint8_t> tiff;
    std::string xmp;
    std::string comment;
    std::vector<uint8_t> photoshop;
    std::vector<uint8_t> iim;
};

bool StartsWith(const std::vector<uint8_t>& bytes, const char* text, std::size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), text, length) == 0;
}

uint32_t Big32(const uint8_t* p) { return uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

void ScanJpeg(const ByteSource& f, Found& found) {
    uint64_t at = 2;
    std::vector<uint8_t> payload;
    for (std::size_t i = 0; i < kMaxSegments; ++i) {
        uint8_t head[4];
        if (!f.Read(at, 2, head) || head[0] != 0xFF) return;
        const uint8_t marker = head[1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9 || !f.Read(at + 2, 2, head + 2)) return;
        const std::size_t length = std::size_t(head[2]) << 8 | head[3];
        if (length < 2) return;
        const bool wanted = marker == 0xE1 || marker == 0xED || marker == 0xFE;
        if (wanted) {
            payload.resize(length - 2);
            if (!f.Read(at + 4, payload.size(), payload.data())) return;
            if (marker == 0xE1 && found.tiff.empty() && StartsWith(payload, kExifHeader, 6)) {
                found.tiff.assign(payload.begin() + 6, payload.end());
            } else if (marker == 0xE1 && found.xmp.empty() &&
                       StartsWith(payload, kXmpHeader, sizeof kXmpHeader)) {
                found.xmp.assign(payload.begin() + sizeof kXmpHeader, payload.end());
            } else if (marker == 0xED &&
                       StartsWith(payload, kPhotoshopHeader, sizeof kPhotoshopHeader)) {
                found.photoshop.insert(found.photoshop.end(),
                                       payload.begin() + sizeof kPhotoshopHeader, payload.end());
            } else if (marker == 0xFE && found.comment.empty()) {
                found.comment.assign(payload.begin(), payload.end());
            }
        }
        at += 2 + length;
    }
}

// ImageMagick's text form of a profile: "\n<name>\n<length>\n<hex digits>".
std::vector<uint8_t> RawProfile(const std::string& text) {
    std::size_t p = text.find('\n', text.find_first_not_of('\n'));
    if (p == std::string::npos) return {};
    const unsigned long length = std::strtoul(text.c_str() + p, nullptr, 10);
    p = text.find('\n', text.find_first_not_of(" \n", p));
    std::vector<uint8_t> out;
    if (p == std::string::npos || length > text.size() / 2) return out;
    out.reserve(length);
    int high = -1;
    for (; p < text.size() && out.size() < length; ++p) {
        const char c = text[p];
        const int v = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (v < 0) continue;
        if (high < 0) high = v;
        else out.push_back(static_cast<uint8_t>(high << 4 | v)), high = -1;
    }
    return out;
}

std::string Inflate(const uint8_t* data, std::size_t size) {
    std::string out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return out;
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = static_cast<uInt>(size);
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK && out.size() < kMaxChunkBytes) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

void TextChunk(const std::string& type, const std::vector<uint8_t>& data, Found& found) {
    const auto nul = std::find(data.begin(), data.end(), uint8_t{0});
    if (nul == data.end()) return;
    const std::string keyword(data.begin(), nul);
    const std::size_t rest = static_cast<std::size_t>(nul - data.begin()) + 1;
    std::string text;
    if (type == "tEXt") {
        text.assign(data.begin() + rest, data.end());
    } else if (type == "zTXt") {
        if (rest + 1 > data.size()) return;
        text = Inflate(data.data() + rest + 1, data.size() - rest - 1);
    } else {  // iTXt: flag, method, language, translated keyword, text
        std::size_t p = rest + 2;
        for (int skip = 0; skip < 2; ++skip) {  // language and translated keyword
            if (p > data.size()) return;
            const auto end = std::find(data.begin() + p, data.end(), uint8_t{0});
            if (end == data.end()) return;
            p = static_cast<std::size_t>(end - data.begin()) + 1;
        }
        if (data[rest] == 0) text.assign(data.begin() + p, data.end());
        else text = Inflate(data.data() + p, data.size() - p);
    }
    if (keyword == "XML:com.adobe.xmp" && found.xmp.empty()) {
        found.xmp = text;
    } else if (keyword == "Comment" && found.comment.empty()) {
        found.comment = text;
    } else if (keyword == "Raw profile type exif" || keyword == "Raw profile type APP1") {
        std::vector<uint8_t> bytes = RawProfile(text);
        if (StartsWith(bytes, kExifHeader, 6)) bytes.erase(bytes.begin(), bytes.begin() + 6);
        if (found.tiff.empty()) found.tiff = std::move(bytes);
    } else if (keyword == "Raw profile type iptc" || keyword == "Raw profile type 8bim") {
        std::vector<uint8_t> bytes = RawProfile(text);
        if (StartsWith(bytes, "8BIM", 4)) found.photoshop = std::move(bytes);
        else found.iim = std::move(bytes);
    } else if (keyword == "Raw profile type xmp" && found.xmp.empty()) {
        const std::vector<uint8_t> bytes = RawProfile(text);
        found.xmp.assign(bytes.begin(), bytes.end());
    }
}

void ScanPng(const ByteSource& f, Found& found) {
    uint64_t at = 8;
    std::vector<uint8_t> data;
    for (std::size_t i = 0; i < 10 * kMaxSegments; ++i) {
        uint8_t head[8];
        if (!f.Read(at, 8, head)) return;
        const uint32_t length = Big32(head);
        const std::string type(head + 4, head + 8);
        if (type == "IEND" || length > 0x7FFFFFFF) return;
        if (length <= kMaxChunkBytes &&
            (type == "eXIf" || type == "tEXt" || type == "zTXt" || type == "iTXt")) {
            data.resize(length);
            if (!f.Read(at + 8, length, data.data())) return;
            if (type == "eXIf") {
                if (found.tiff.empty()) found.tiff = data;
            } else {
                TextChunk(type, data, found);
            }
        }
        at += uint64_t{length} + 12;
    }
}

}  // namespace

std::vector<uint8_t> SplitPhotoshop(const std::vector<uint8_t>& resources, bool iptc) {
    std::vector<uint8_t> rest;
    std::size_t p = 0;
    while (p + 12 <= resources.size() && std::memcmp(&resources[p], "8BIM", 4) == 0) {
        const unsigned id = resources[p + 4] << 8 | resources[p + 5];
        std::size_t q = p + 6;
        q += (1 + resources[q] + 1) & ~std::size_t{1};  // name, padded to even
        if (q + 4 > resources.size()) break;
        const uint32_t size = Big32(&resources[q]);
        q += 4;
        if (size > resources.size() - q) break;
        const std::size_t end = std::min(resources.size(), q + ((size + 1) & ~uint32_t{1}));
        if (id == 0x0404 && iptc) return {resources.begin() + q, resources.begin() + q + size};
        if (id != 0x0404) rest.insert(rest.end(), resources.begin() + p, resources.begin() + end);
        p = end;
    }
    return iptc ? std::vector<uint8_t>{} : rest;
}

bool ReadMetadata(const std::filesystem::path& file, FileFormat format, ExifBlock* exif,
                  IptcBlock* iptc, std::string& error) {
    if (exif != nullptr) *exif = ExifBlock();
    if (iptc != nullptr) *iptc = IptcBlock();
    FileSource source(file);
    if (!source.Ok()) {
        error = "cannot read " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    Found found;
    TiffBlock block;
    bool fromTiffFile = false;
    if (format == FileFormat::kJpeg) ScanJpeg(source.Bytes(), found);
    if (format == FileFormat::kPng) ScanPng(source.Bytes(), found);
    if (format == FileFormat::kTiff) {
        ParseLimits limits;
        limits.tiffFile = true;
        TiffFileExtras extras;
        if (!ParseTiffBlock(source.Bytes(), limits, block, &extras)) {
            error = "the file's TIFF directories cannot be read";
            return false;
        }
        fromTiffFile = true;
        found.xmp.assign(extras.xmp.begin(), extras.xmp.end());
        found.iim = std::move(extras.iptc);
        found.photoshop = std::move(extras.photoshop);
    } else if (!found.tiff.empty()) {
        SpanSource span(found.tiff);
        // A broken block costs only the EXIF data.
        if (!ParseTiffBlock(span, ParseLimits{}, block)) block = TiffBlock{};
    }
    if (found.iim.empty()) found.iim = SplitPhotoshop(found.photoshop, true);
    if (exif != nullptr) {
        ExifBlock::Impl& impl = exif->Internals();
        impl.block = std::move(block);
        impl.fromTiffFile = fromTiffFile;
        impl.xmp = std::move(found.xmp);
        impl.comment = std::move(found.comment);
    }
    if (iptc != nullptr) {
        iptc->Internals().iim = std::move(found.iim);
        iptc->Internals().photoshop = std::move(found.photoshop);
    }
    return true;
}

}  // namespace stillpix::codec
