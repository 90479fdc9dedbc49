// The codec's calls: handles, loading and thumbnails, pixel access and handover, ICC, blocks.
// Saving lives in codec_save.cpp.
#include "codec/codec.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "codec/formats.h"
#include "codec/icc.h"
#include "codec/metadata_internal.h"
#include "codec/session.h"
#include "codec/tiff_handle.h"
#include "platform/memory_budget.h"
#include "platform/memory_pages.h"

namespace stillpix {
namespace {

// A thumbnail's decode may take this much at most, however large the picture: a folder of huge
// files is browsed without the machine running short (JPEGs decode reduced and stay below it).
constexpr uint64_t kThumbnailDecodeBytes = uint64_t{256} << 20;

using codec::DecodedImage;
using codec::FileFormat;

bool Fail(CodecSession& h, std::string message) {
    h.error = std::move(message);
    return false;
}

void DescribeBitmap(CodecSession& h) {
    const DecodedImage& image = h.image;
    BitmapInfo& info = h.bitmapInfo;
    info = {};
    info.header.width = image.width;
    info.header.height = image.height;
    info.header.bitCount = static_cast<uint16_t>(8 * image.Channels());
    info.header.sizeImage = static_cast<uint32_t>(image.Stride() * image.height);
    if (image.grey) {
        info.header.clrUsed = 256;
        for (int i = 0; i < 256; ++i) info.colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
}

bool ReadFile(const std::filesystem::path& file, const codec::ReadOptions& options,
              FileFormat format, DecodedImage& image, std::string& error) {
    switch (format) {
        case FileFormat::kJpeg: return codec::ReadJpeg(file, options, image, error);
        case FileFormat::kPng: return codec::ReadPng(file, options, image, error);
        case FileFormat::kTiff: return codec::ReadTiff(file, options, image, error);
        case FileFormat::kGif: return codec::ReadGif(file, options, image, error);
        case FileFormat::kBmp: return codec::ReadBmp(file, options, image, error);
        case FileFormat::kUnknown: break;
    }
    error = "unknown image format";
    return false;
}

bool Load(CodecSession& h, const std::filesystem::path& file, codec::ReadOptions options) {
    h.Clear();
    h.error.clear();
    std::string error;
    const FileFormat format = codec::SniffFormat(file, options.fileSize, error);
    if (format == FileFormat::kUnknown) return Fail(h, error);
    DecodedImage image;
    try {
        const codec::ScopedAllocationLimit limit(
            options.fitWidth > 0 ? std::min(kThumbnailDecodeBytes, AvailableMemory())
                                 : AvailableMemory());
        if (!ReadFile(file, options, format, image, error)) return Fail(h, error);
        if (options.fitWidth > 0 &&
            !codec::ReduceToFit(image, options.fitWidth, options.fitHeight, error))
            return Fail(h, error);
    } catch (const std::bad_alloc&) {
        return Fail(h, "not enough memory to read " + file.string());
    }
    // Broken metadata costs only the metadata.
    std::string ignored;
    codec::ReadMetadata(file, format, &h.exif, &h.iptc, ignored);
    h.image = std::move(image);
    h.pixelProfile = h.image.icc;
    h.loaded = true;
    DescribeBitmap(h);
    return true;
}

// The TIFF reader leaves the profile out of a size-only read; its tag is one field away.
void ReadTiffProfile(const std::filesystem::path& file, std::vector<uint8_t>& icc) {
    std::string errors;
    codec::TiffPtr tif = codec::OpenTiff(file, "r", errors);
    uint32_t length = 0;
    void* bytes = nullptr;
    if (tif != nullptr && TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &length, &bytes) &&
        bytes != nullptr && length > 0)
        icc.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + length);
}

bool RequireImage(const CodecSession& h) { return h.HasPixels(); }

// Lent pixels are copied before they are changed; 16-bit ones as cLoadImage16 takes them.
bool OwnLentPixels(CodecSession& h) {
    if (h.lentDisplay == nullptr) return true;
    const codec::ImageRows lent = h.Rows();
    DecodedImage image;
    std::string error;
    if (!image.Allocate(lent.width, lent.height, lent.grey, lent.has16, error))
        return Fail(h, error);
    if (lent.has16) {
        std::memcpy(image.samples.data(), lent.samples, image.samples.size() * 2);
        image.DisplayFromSamples();
    } else {
        std::memcpy(image.display.data(), lent.display, image.display.size());
    }
    // Pixels lent for their last save are not read again: the copy replaces them.
    if (lent.releaseRead) {
        ReleasePages(lent.display, lent.Stride() * static_cast<std::size_t>(lent.height));
        if (lent.has16) ReleasePages(lent.samples, image.samples.size() * 2);
    }
    h.image.display = std::move(image.display);
    h.image.samples = std::move(image.samples);
    h.lentDisplay = nullptr;
    h.lentSamples = nullptr;
    return true;
}

// Takes over handed-in pixels as the image to save; the blocks and profile start empty.
bool Adopt(CodecSession& h, DecodedImage&& image) {
    h.Clear();
    h.image = std::move(image);
    h.image.fileWidth = h.image.width;
    h.image.fileHeight = h.image.height;
    h.loaded = true;
    DescribeBitmap(h);
    return true;
}

}  // namespace

void CodecSessionDeleter::operator()(CodecSession* session) const { delete session; }

CodecHandle cNewSession() { return CodecHandle(new (std::nothrow) CodecSession); }

void cUnload(CodecSession& h) { h.Clear(); }

void cDestroySession(CodecHandle& h) { h.reset(); }

const std::string& cGetLastError(const CodecSession& h) { return h.error; }

const std::string& cGetLastWarning(const CodecSession& h) { return h.warning; }

bool cSetJPEGParams(CodecSession& h, int quality) {
    if (quality < 0 || quality > 100) return Fail(h, "the JPEG quality must lie in 0..100");
    return true;
}

bool cSetTIFFParams(CodecSession& h, TiffCompression compression) {
    h.tiffCompression = compression;
    return true;
}

bool cSet16BitComponentOptions(CodecSession& h, bool keepLoad, bool keepSave) {
    h.keep16Load = keepLoad;
    h.keep16Save = keepSave;
    return true;
}

bool cLoadImage(CodecSession& h, const std::filesystem::path& file) {
    codec::ReadOptions options;
    options.keep16 = h.keep16Load;
    return Load(h, file, options);
}

bool cLoadThumbnailEx(CodecSession& h, const std::filesystem::path& file, int width, int height) {
    if (width <= 0 || height <= 0) return Fail(h, "the thumbnail size must be positive");
    codec::ReadOptions options;
    options.fitWidth = width;
    options.fitHeight = height;
    return Load(h, file, options);
}

bool cGetImageInfo(const CodecSession& h, ImageInfo& out) {
    if (!RequireImage(h)) return false;
    out.width = h.image.width;
    out.height = h.image.height;
    out.bitsPerPixel = h.image.BitsPerPixel();
    out.grey = h.image.grey;
    out.fileWidth = h.image.fileWidth;
    out.fileHeight = h.image.fileHeight;
    return true;
}

bool cGetBitsPtr(const CodecSession& h, const uint8_t*& bits) {
    if (!RequireImage(h)) return false;
    bits = h.Rows().display;
    return true;
}

bool cGetBITMAPINFOPtr(const CodecSession& h, const BitmapInfo*& info) {
    if (!RequireImage(h)) return false;
    info = &h.bitmapInfo;
    return true;
}

bool cGetDIB(const CodecSession& h, std::vector<uint8_t>& out) {
    if (!RequireImage(h)) return false;
    const std::size_t paletteBytes = h.image.grey ? sizeof h.bitmapInfo.colors : 0;
    const std::size_t bitsBytes = h.image.Stride() * static_cast<std::size_t>(h.image.height);
    try {
        out.resize(sizeof(BitmapInfoHeader) + paletteBytes + bitsBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(out.data(), &h.bitmapInfo.header, sizeof(BitmapInfoHeader));
    std::memcpy(out.data() + sizeof(BitmapInfoHeader), h.bitmapInfo.colors.data(), paletteBytes);
    std::memcpy(out.data() + sizeof(BitmapInfoHeader) + paletteBytes, h.Rows().display, bitsBytes);
    return true;
}

bool cGetImage16(const CodecSession& h, std::vector<uint8_t>& out) {
    if (!RequireImage(h) || !h.image.has16) return false;
    const std::size_t count = std::size_t(h.image.width) * h.image.height * h.image.Channels();
    const uint16_t* samples = h.Rows().samples;
    try {
        out.resize(count * 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<uint8_t>(samples[i]);
        out[2 * i + 1] = static_cast<uint8_t>(samples[i] >> 8);
    }
    return true;
}

bool cTakeImage(CodecSession& h, std::vector<uint8_t>& display, std::vector<uint16_t>& samples) {
    if (!RequireImage(h) || !OwnLentPixels(h)) return false;
    display = std::move(h.image.display);
    samples = std::move(h.image.samples);
    h.image.display = {};
    h.image.samples = {};
    return true;
}

bool cGetImageICCProfile(const CodecSession& h, std::vector<uint8_t>& out) {
    if (!RequireImage(h) || h.image.icc.empty()) return false;
    out = h.image.icc;
    return true;
}

bool cGetICCProfileName(std::span<const uint8_t> profile, std::string& out) {
    return codec::ProfileName(profile, out);
}

const std::vector<uint8_t>& SrgbProfile() { return codec::BuiltInSrgb(); }

bool cLoadICCProfile(CodecSession& h, std::span<const uint8_t> profile) {
    std::string name;
    if (!codec::ProfileName(profile, name)) return Fail(h, "the ICC profile cannot be read");
    h.pixelProfile.assign(profile.begin(), profile.end());
    return true;
}

bool cApplyICCProfile(CodecSession& h, std::span<const uint8_t> target) {
    if (!RequireImage(h)) return Fail(h, "no image to convert");
    if (!OwnLentPixels(h)) return false;
    std::string error;
    if (!codec::ConvertPixels(h.image, h.pixelProfile, target, error)) return Fail(h, error);
    h.pixelProfile.assign(target.begin(), target.end());
    return true;
}

bool cSaveICCProfileEnabled(CodecSession& h, bool enabled) {
    h.saveIcc = enabled;
    return true;
}

bool cLoadDIBitmap(CodecSession& h, const BitmapInfoHeader& header, std::span<const uint8_t> bits) {
    const int bitCount = header.bitCount;
    if ((bitCount != 24 && bitCount != 32) || header.compression != 0 || header.width <= 0 ||
        header.height == 0)
        return Fail(h, "only uncompressed 24- and 32-bit bitmaps can be handed over");
    const int64_t rows = header.height < 0 ? -int64_t{header.height} : header.height;
    std::string error;
    if (!codec::CheckImageSize(header.width, rows, UINT64_MAX, error)) return Fail(h, error);
    const int width = header.width;
    const int height = static_cast<int>(rows);
    const std::size_t stride = BitmapStride(width, bitCount);
    if (bits.size() / stride < static_cast<std::size_t>(height))
        return Fail(h, "the bitmap's bits are too short");
    DecodedImage image;
    if (!image.Allocate(width, height, false, false, error)) return Fail(h, error);
    for (int row = 0; row < height; ++row) {
        // A negative height means rows stored from the top.
        const int y = header.height < 0 ? row : height - 1 - row;
        const uint8_t* in = bits.data() + stride * row;
        uint8_t* out = image.DisplayRow(y);
        if (bitCount == 24) {
            std::memcpy(out, in, std::size_t(width) * 3);
        } else {
            for (int x = 0; x < width; ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
        }
    }
    return Adopt(h, std::move(image));
}

bool cLoadImage8(CodecSession& h, std::span<const uint8_t> grey, int width, int height) {
    DecodedImage image;
    std::string error;
    if (!image.Allocate(width, height, true, false, error)) return Fail(h, error);
    if (grey.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height))
        return Fail(h, "the grey rows are too short for the image size");
    for (int y = 0; y < height; ++y)
        std::memcpy(image.DisplayRow(y), grey.data() + std::size_t(y) * width, width);
    return Adopt(h, std::move(image));
}

bool cLoadImage16(CodecSession& h, std::span<const uint8_t> samples, int width, int height,
                  bool grey) {
    DecodedImage image;
    std::string error;
    if (!image.Allocate(width, height, grey, true, error)) return Fail(h, error);
    if (samples.size() / 2 < image.samples.size())
        return Fail(h, "the 16-bit samples are too short for the image size");
    for (std::size_t i = 0; i < image.samples.size(); ++i)
        image.samples[i] = static_cast<uint16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
    image.DisplayFromSamples();
    return Adopt(h, std::move(image));
}

bool cLendImage(CodecSession& h, std::span<const uint8_t> display,
                std::span<const uint16_t> samples, int width, int height, bool grey) {
    std::string error;
    if (!codec::CheckImageSize(width, height, UINT64_MAX, error)) return Fail(h, error);
    DecodedImage image = DecodedImage::Header(width, height, grey, !samples.empty());
    const std::size_t pixels = std::size_t(width) * static_cast<std::size_t>(height);
    if (display.size() / image.Stride() < static_cast<std::size_t>(height) ||
        (!samples.empty() && samples.size() / image.Channels() < pixels))
        return Fail(h, "the lent pixels are too short for the image size");
    h.Clear();
    h.image = std::move(image);
    h.lentDisplay = display.data();
    h.lentSamples = samples.empty() ? nullptr : samples.data();
    h.loaded = true;
    DescribeBitmap(h);
    return true;
}

bool cLendImageForLastSave(CodecSession& h, std::span<uint8_t> display, std::span<uint16_t> samples,
                           int width, int height, bool grey) {
    if (!cLendImage(h, display, samples, width, height, grey)) return false;
    h.lentForLastSave = true;
    return true;
}

bool cGetImageEXIF_Info(const CodecSession& h, ExifBlock& out) {
    if (!h.loaded) return false;
    out = h.exif;
    return true;
}

bool cGetImageIPTC_Info(const CodecSession& h, IptcBlock& out) {
    if (!h.loaded) return false;
    out = h.iptc;
    return true;
}

bool cPutImageEXIF_Info(CodecSession& h, const ExifBlock& exif) {
    h.exif = exif;
    return true;
}

bool cPutImageIPTC_Info(CodecSession& h, const IptcBlock& iptc) {
    h.iptc = iptc;
    return true;
}

bool cGetImageFileInfoEx(const std::filesystem::path& file, ImageFileInfo& out, ExifBlock* exif,
                         IptcBlock* iptc, std::string* error) {
    std::string message;
    codec::ReadOptions options;
    options.infoOnly = true;
    const FileFormat format = codec::SniffFormat(file, options.fileSize, message);
    DecodedImage image;
    if (format == FileFormat::kUnknown || !ReadFile(file, options, format, image, message)) {
        if (error != nullptr) *error = message;
        return false;
    }
    out.width = image.width;
    out.height = image.height;
    out.bitsPerPixel = image.BitsPerPixel();
    out.grey = image.grey;
    out.format = codec::FormatName(format);
    out.fileSize = options.fileSize;
    out.icc = std::move(image.icc);
    if (format == FileFormat::kTiff && out.icc.empty()) ReadTiffProfile(file, out.icc);
    if (exif != nullptr || iptc != nullptr) codec::ReadMetadata(file, format, exif, iptc, message);
    return true;
}

}  // namespace stillpix
