// Inside the codec: what the EXIF and IPTC handles hold (exiv2's containers), and the reading
// and writing of them in files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "codec/metadata.h"

namespace stillpix {

struct ExifBlock::Impl {
    Exiv2::ExifData data;
    Exiv2::ByteOrder order = Exiv2::littleEndian;
    // The maker note as the block lays it out, worked out when first asked for after a change.
    mutable bool noteKnown = false;
    mutable bool hasNote = false;
    mutable std::vector<uint8_t> note;
    mutable int64_t noteOffset = 0;  // from the TIFF header
    mutable uint32_t tiffBytes = 0;  // of the whole block

    void Changed() { noteKnown = false; }
};

struct IptcBlock::Impl {
    Exiv2::IptcData data;
};

namespace codec {

// Sets exiv2 up once: silent, and safe to use from more than one thread.
void InitExiv2();

// Reads the file's EXIF and IPTC blocks. Tags that describe the source file's own layout
// (strips, tiles, sample formats, further images) are dropped, as are the ICC, IPTC and XMP
// carriers inside EXIF, which are handled on their own. A file without metadata gives empty
// blocks; false only for a file exiv2 cannot take apart.
bool ReadMetadata(const std::filesystem::path& file, bool keepThumbnail, ExifBlock* exif,
                  IptcBlock* iptc, std::string& error);

// Adds the blocks to the freshly written `file` (JPEG, PNG or TIFF). Empty blocks leave it as
// it is.
bool WriteMetadata(const std::filesystem::path& file, const ExifBlock& exif, const IptcBlock& iptc,
                   std::string& error);

}  // namespace codec
}  // namespace stillpix
