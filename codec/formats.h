// Inside the codec: one reader a format and one writer a written format. Each returns false with
// a message in `error`; none throws or lets a library error jump past its own frame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "codec/codec.h"
#include "codec/decoded_image.h"

namespace stillpix::codec {

enum class FileFormat { kUnknown, kJpeg, kPng, kTiff, kGif, kBmp };

// Told by the first bytes of the file; `error` says why when kUnknown.
FileFormat SniffFormat(const std::filesystem::path& file, uint64_t& fileSize, std::string& error);
const char* FormatName(FileFormat format);

struct ReadOptions {
    uint64_t fileSize = 0;
    bool keep16 = false;    // keep 16-bit samples; else only the display bitmap
    bool infoOnly = false;  // size and layout only: width, height, grey, has16, no buffers
    int fitWidth = 0;       // > 0: a thumbnail; the reader may decode reduced when it can
    int fitHeight = 0;
};

bool ReadJpeg(const std::filesystem::path& file, const ReadOptions& options, DecodedImage& image,
              std::string& error);
bool ReadPng(const std::filesystem::path& file, const ReadOptions& options, DecodedImage& image,
             std::string& error);
bool ReadTiff(const std::filesystem::path& file, const ReadOptions& options, DecodedImage& image,
              std::string& error);
bool ReadGif(const std::filesystem::path& file, const ReadOptions& options, DecodedImage& image,
             std::string& error);
bool ReadBmp(const std::filesystem::path& file, const ReadOptions& options, DecodedImage& image,
             std::string& error);

// Writers take the display bitmap, or the 16-bit samples when `sixteen` (and the image has them).
// `icc` is embedded when not empty.
// `meta`, when given, is carried into the file (JPEG: APP1 EXIF and XMP, APP13, COM; PNG: eXIf,
// iTXt XMP, the IPTC as ImageMagick's raw profile, the comment as tEXt).
struct OutputMetadata;
bool WriteJpeg(const ImageRows& image, const std::filesystem::path& file, int quality,
               std::span<const uint8_t> icc, const OutputMetadata* meta, std::string& error);
bool WritePng(const ImageRows& image, const std::filesystem::path& file, bool sixteen,
              std::span<const uint8_t> icc, const OutputMetadata* meta, std::string& error);
bool WriteTiff(const ImageRows& image, const std::filesystem::path& file, bool sixteen,
               TiffCompression compression, bool bigEndian, std::span<const uint8_t> icc,
               std::string& error);

}  // namespace stillpix::codec
