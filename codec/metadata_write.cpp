// Preparing the blocks for a written file: the EXIF block laid out for the target (a JPEG segment
// holds at most 64 KB, so what does not fit is left out and named), the XMP packet told the new
// pixel size, and a TIFF file rebuilt around libtiff's strips with the block's directories.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <regex>

#include "codec/c_file.h"
#include "codec/exif_layout.h"
#include "codec/metadata_internal.h"

namespace stillpix::codec {
namespace {

// 65535 bytes of a segment less its length field and "Exif\0\0".
constexpr std::size_t kMaxJpegExif = 65533 - 6;
constexpr std::size_t kMaxJpegXmp = 65533 - 29;
constexpr std::size_t kMaxJpegPhotoshop = 65533 - 14;
constexpr std::size_t kMaxJpegComment = 65533;
// A TIFF file's maker note keeps its offset when that lies within this many bytes.
constexpr uint64_t kPinLimitTiff = 1u << 20;

std::string TagText(uint16_t tag) {
    if (const char* name = TagName(tag)) return name;
    char text[16];
    std::snprintf(text, sizeof text, "tag 0x%04X", tag);
    return text;
}

bool IsPointer(uint16_t tag) {
    return tag == kTagExifPointer || tag == kTagGpsPointer || tag == kTagInteropPointer;
}

// The block as a JPEG carries it: kept in place when it fits, else the thumbnail and then the
// largest entries go until it does.
bool JpegExif(const ExifBlock::Impl& impl, std::vector<uint8_t>& out,
              std::vector<std::string>& dropped, std::string& error) {
    LayoutOptions options;
    options.keepBase = !impl.fromTiffFile;
    options.pinLimit = kMaxJpegExif;
    LayoutResult layout;
    if (!LayOut(impl.block, options, layout, error)) return false;
    if (layout.bytes.size() > kMaxJpegExif && !impl.block.ifds[kIfd1].entries.empty()) {
        options.thumbnail = false;
        dropped.push_back("thumbnail");
        if (!LayOut(impl.block, options, layout, error)) return false;
    }
    TiffBlock block = impl.block;
    while (layout.bytes.size() > kMaxJpegExif) {
        options.keepBase = false;
        IfdEntry* largest = nullptr;
        int in = 0;
        for (int k = kIfd0; k < kIfd1; ++k)
            for (IfdEntry& e : block.ifds[k].entries)
                if (!IsPointer(e.tag) &&
                    (largest == nullptr || e.value.size() > largest->value.size()))
                    largest = &e, in = k;
        if (largest == nullptr || largest->value.size() <= 4) break;
        dropped.push_back(TagText(largest->tag));
        block.Remove(static_cast<IfdIndex>(in), largest->tag);
        if (!LayOut(block, options, layout, error)) return false;
    }
    out = std::move(layout.bytes);
    return true;
}

void SetXmpValue(std::string& xmp, const std::string& name, const std::string& value) {
    const std::regex attribute("(" + name + "=[\"'])[^\"']*([\"'])");
    const std::regex element("(<" + name + ">)[^<]*(</" + name + ">)");
    xmp = std::regex_replace(xmp, attribute, "${1}" + value + "$2");
    xmp = std::regex_replace(xmp, element, "${1}" + value + "$2");
}

// The packet's statements about the pixels follow the new file.
std::string AdjustXmp(std::string xmp, const TiffBlock& block, int width, int height) {
    if (xmp.empty()) return xmp;
    for (const char* name : {"exif:PixelXDimension", "tiff:ImageWidth"})
        SetXmpValue(xmp, name, std::to_string(width));
    for (const char* name : {"exif:PixelYDimension", "tiff:ImageLength"})
        SetXmpValue(xmp, name, std::to_string(height));
    const IfdEntry* orientation = block.Find(kIfd0, 0x0112);
    if (orientation != nullptr && orientation->type == kShort)
        SetXmpValue(xmp, "tiff:Orientation", std::to_string(block.U16(orientation->value.data())));
    return xmp;
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::vector<uint64_t> Numbers(const TiffBlock& b, const IfdEntry* e) {
    std::vector<uint64_t> out;
    if (e == nullptr) return out;
    for (uint32_t i = 0; i < e->count; ++i)
        out.push_back(e->type == kShort ? b.U16(&e->value[2 * i]) : b.U32(&e->value[4 * i]));
    return out;
}

}  // namespace

std::vector<uint8_t> JpegExifBytes(const ExifBlock& exif) {
    const ExifBlock::Impl& impl = exif.Internals();
    if (impl.block.Empty()) return {};
    LayoutOptions options;
    options.keepBase = !impl.fromTiffFile;
    options.pinLimit = kMaxJpegExif;
    LayoutResult layout;
    std::string ignored;
    if (!LayOut(impl.block, options, layout, ignored)) return {};
    return std::move(layout.bytes);
}

bool PrepareMetadata(const ExifBlock& exif, const IptcBlock& iptc, SaveFormat format, int width,
                     int height, OutputMetadata& out, std::string& error) {
    out = OutputMetadata{};
    const ExifBlock::Impl& impl = exif.Internals();
    out.xmp = AdjustXmp(impl.xmp, impl.block, width, height);
    out.comment = impl.comment;
    out.photoshop = iptc.Internals().photoshop;
    out.iim = out.photoshop.empty() ? iptc.Internals().iim : std::vector<uint8_t>{};
    if (format == SaveFormat::kJpeg) {
        if (!impl.block.Empty() && !JpegExif(impl, out.exifJpeg, out.dropped, error)) return false;
        if (out.xmp.size() > kMaxJpegXmp) out.xmp.clear(), out.dropped.push_back("XMP");
        if (out.comment.size() > kMaxJpegComment)
            out.comment.clear(), out.dropped.push_back("comment");
        if (out.photoshop.size() > kMaxJpegPhotoshop || out.iim.size() > kMaxJpegPhotoshop - 12)
            out.photoshop.clear(), out.iim.clear(), out.dropped.push_back("IPTC");
    } else if (format == SaveFormat::kPng && !impl.block.Empty()) {
        LayoutOptions options;
        options.keepBase = !impl.fromTiffFile;
        options.thumbnail = false;
        options.pinLimit = kPinLimitTiff;
        LayoutResult layout;
        if (!LayOut(impl.block, options, layout, error)) return false;
        out.exifPng = std::move(layout.bytes);
    }
    return true;
}

bool WriteTiffWithMetadata(const std::filesystem::path& raw, const std::filesystem::path& file,
                           const ExifBlock& exif, const IptcBlock& iptc, int width, int height,
                           std::string& error) {
    OutputMetadata meta;
    if (!PrepareMetadata(exif, iptc, SaveFormat::kTiff, width, height, meta, error)) return false;
    Fd in;
    in.fd = ::open(raw.c_str(), O_RDONLY | O_CLOEXEC);
    const off_t rawSize = in.fd >= 0 ? ::lseek(in.fd, 0, SEEK_END) : -1;
    if (rawSize < 0) {
        error = "cannot read back " + raw.string() + ": " + std::strerror(errno);
        return false;
    }
    const FdSource source(in.fd, static_cast<uint64_t>(rawSize));
    ParseLimits limits;
    limits.tiffFile = true;
    limits.layoutTags = true;
    TiffBlock written;
    const ExifBlock::Impl& impl = exif.Internals();
    if (!ParseTiffBlock(source, limits, written) || written.bigEndian != impl.block.bigEndian) {
        error = "the TIFF file just written cannot be read back";
        return false;
    }
    const std::vector<uint64_t> offsets = Numbers(written, written.Find(kIfd0, 0x0111));
    const std::vector<uint64_t> sizes = Numbers(written, written.Find(kIfd0, 0x0117));
    if (offsets.empty() || offsets.size() != sizes.size()) {
        error = "the TIFF file just written has no strips";
        return false;
    }
    for (std::size_t i = 0; i < offsets.size(); ++i)
        if (sizes[i] > source.Size() || offsets[i] > source.Size() - sizes[i]) {
            error = "the TIFF file just written has a strip outside it";
            return false;
        }

    TiffBlock block = impl.block;
    block.DropThumbnail();
    auto& ifd0 = block.ifds[kIfd0].entries;
    ifd0.erase(std::remove_if(ifd0.begin(), ifd0.end(),
                              [](const IfdEntry& e) { return IsTiffLayoutTag(e.tag); }),
               ifd0.end());
    for (const IfdEntry& e : written.ifds[kIfd0].entries)
        if (IsTiffLayoutTag(e.tag) || block.Find(kIfd0, e.tag) == nullptr)
            block.Set(kIfd0, e.tag, e.type, e.count, e.value);
    block.Set(kIfd0, 0x0111, kLong, static_cast<uint32_t>(offsets.size()),
              std::vector<uint8_t>(4 * offsets.size(), 0));
    const auto bytes = [](const auto& from) {
        return std::vector<uint8_t>(from.begin(), from.end());
    };
    if (!meta.xmp.empty())
        block.Set(kIfd0, 0x02BC, kByte, static_cast<uint32_t>(meta.xmp.size()), bytes(meta.xmp));
    // As TIFF readers expect them: the records in their own tag, the other resources apart.
    std::vector<uint8_t> iim = meta.photoshop.empty() ? meta.iim : iptc.Internals().iim;
    const std::vector<uint8_t> others = SplitPhotoshop(meta.photoshop, false);
    if (!iim.empty()) {
        iim.resize((iim.size() + 3) & ~std::size_t{3}, 0);
        const auto count = static_cast<uint32_t>(iim.size() / 4);
        block.Set(kIfd0, 0x83BB, kLong, count, std::move(iim));
    }
    if (!others.empty())
        block.Set(kIfd0, 0x8649, kByte, static_cast<uint32_t>(others.size()), others);
    // They describe a JPEG's compressed stream.
    for (uint16_t tag : {0x9101, 0x9102}) block.Remove(kIfdExif, tag);
    // TIFF readers take the pixel size as LONG only.
    for (uint16_t tag : {0xA002, 0xA003})
        if (const IfdEntry* e = block.Find(kIfdExif, tag); e != nullptr && e->type == kShort)
            block.Set(kIfdExif, tag, kLong, 1, block.Bytes32(block.U16(e->value.data())));
    if (!meta.comment.empty() && block.Find(kIfd0, 0x010E) == nullptr) {
        std::vector<uint8_t> text = bytes(meta.comment);
        text.push_back(0);
        const auto count = static_cast<uint32_t>(text.size());
        block.Set(kIfd0, 0x010E, kAscii, count, std::move(text));
    }

    LayoutOptions options;
    options.keepBase = !impl.fromTiffFile;
    options.thumbnail = false;
    options.pinLimit = kPinLimitTiff;
    options.stripSizes = sizes;
    LayoutResult layout;
    if (!LayOut(block, options, layout, error)) return false;

    FilePtr outFile = OpenFile(file, "wb");
    if (outFile == nullptr) {
        error = "cannot write " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(layout.bytes.data(), 1, layout.bytes.size(), outFile.get()) ==
              layout.bytes.size();
    std::vector<uint8_t> buffer(1u << 20);
    for (std::size_t i = 0; ok && i < offsets.size(); ++i)
        for (uint64_t done = 0; ok && done < sizes[i];) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<uint64_t>(buffer.size(), sizes[i] - done));
            ok = source.Read(offsets[i] + done, n, buffer.data()) &&
                 std::fwrite(buffer.data(), 1, n, outFile.get()) == n;
            done += n;
        }
    if (!CloseWritten(outFile) || !ok) {
        error = "cannot write " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace stillpix::codec
