// Inside the codec: what the EXIF and IPTC handles hold, and the reading of them from files and
// their preparation for a written file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "codec/formats.h"
#include "codec/metadata.h"
#include "codec/tiff_block.h"

namespace stillpix {

// Besides the EXIF block the handle carries the file's XMP packet and its comment, which travel
// with it from load to save.
struct ExifBlock::Impl {
    codec::TiffBlock block;
    bool fromTiffFile = false;  // the block is laid out anew, its maker note counted from the file
    std::string xmp;
    std::string comment;
};

struct IptcBlock::Impl {
    std::vector<uint8_t> iim;        // the IPTC records
    std::vector<uint8_t> photoshop;  // the Photoshop resources that held them, when there were
};

namespace codec {

// Reads the file's EXIF, XMP, comment and IPTC without decoding its pixels. A file without
// metadata gives empty blocks; false only for a file whose metadata cannot be taken apart.
bool ReadMetadata(const std::filesystem::path& file, FileFormat format, ExifBlock* exif,
                  IptcBlock* iptc, std::string& error);

// The IPTC records among Photoshop resources (resource 0x0404), or the other resources.
std::vector<uint8_t> SplitPhotoshop(const std::vector<uint8_t>& resources, bool iptc);

// What a written file carries besides its pixels, ready for the writers.
struct OutputMetadata {
    std::vector<uint8_t> exifJpeg;  // TIFF block for a JPEG's APP1 segment
    std::vector<uint8_t> exifPng;   // TIFF block for a PNG's eXIf chunk
    std::string xmp;
    std::string comment;
    std::vector<uint8_t> photoshop;    // resources with the IPTC records
    std::vector<uint8_t> iim;          // IPTC records when there are no resources
    std::vector<std::string> dropped;  // what did not fit its segment, as the user is told
};

// Prepares the blocks for a written file of `format` holding a width x height picture.
bool PrepareMetadata(const ExifBlock& exif, const IptcBlock& iptc, SaveFormat format, int width,
                     int height, OutputMetadata& out, std::string& error);

// Rewrites the TIFF file `raw` that libtiff wrote into `file` with the EXIF block's directories
// and the IPTC, XMP and comment carried; the pixels' strips are copied unchanged.
bool WriteTiffWithMetadata(const std::filesystem::path& raw, const std::filesystem::path& file,
                           const ExifBlock& exif, const IptcBlock& iptc, int width, int height,
                           std::string& error);

// The exif handle's block laid out as a JPEG segment would carry it (no "Exif" header); empty for
// an empty block.
std::vector<uint8_t> JpegExifBytes(const ExifBlock& exif);

}  // namespace codec
}  // namespace stillpix
