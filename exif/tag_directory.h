// A TIFF-style directory read out of a maker note, as the note-specific subclasses interpret it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "exif/byte_reader.h"
#include "exif/exif_formatter.h"

namespace stillpix {

struct URational {
    uint32_t numerator = 0;
    uint32_t denominator = 0;
};

// One decoded entry. Integer types fill `integers` (one element for a single value), rational
// types `rationals` (and numerator/denominator for a single one), text types `text`.
struct CTagValue {
    std::vector<uint32_t> integers;
    std::vector<URational> rationals;
    std::string text;
    uint32_t numerator = 0;
    uint32_t denominator = 0;
};

class CTagDirectory : public CExifFormatter {
public:
    // The elements of tag 1 (camera settings) and tag 4 (shot information) are keyed one by one
    // from here: element i of tag 1 is kCameraSettingsKey + i.
    static constexpr int kCameraSettingsKey = 0xC100;
    static constexpr int kShotInformationKey = 0xC200;

    // Keyed by tag number or by the element keys above.
    const std::map<int, CTagValue>& Tags() const { return tags_; }
    // Null when the key was not read.
    const CTagValue* Find(int key) const;

protected:
    // `note` is the maker note's bytes, read in the byte order `exif` states. A value stored
    // out of line at offset o lies at o + valueOrigin in the note.
    CTagDirectory(CExifFormatter& parent, const ExifSource& exif, std::vector<uint8_t> note,
                  int64_t valueOrigin);

    // Reads the directory at `start`. A directory whose entries do not all lie inside the note is
    // ignored whole; an entry of unknown type or whose value lies outside the note is skipped.
    // Only this one directory is read, never a chained or nested one, so no offset can loop.
    void Parse(int64_t start);

    // True when a list of tag 1 or 4 did not start with its own byte count: the note's layout is
    // not the one this reader knows, and what it read is not to be shown.
    bool Misread() const { return misread_; }

    // Offers an ISO speed found in the note to the formatter that made this directory.
    void OfferIso(int32_t iso, const std::string& text) { parent_.AdoptMakerNoteIso(iso, text); }

    ByteReader& Reader() { return reader_; }

private:
    CTagValue Decode(uint16_t type, uint32_t count, int64_t position) const;
    void Store(int tag, CTagValue value);

    CExifFormatter& parent_;
    std::vector<uint8_t> note_;
    ByteReader reader_;
    int64_t valueOrigin_;
    std::map<int, CTagValue> tags_;
    bool misread_ = false;
};

}  // namespace stillpix
