// An EXIF source for the maker-note targets: make, byte order, maker note and its offset, all
// other tags missing, as a hostile block could leave them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exif/exif_source.h"

namespace stillpix::fuzz {

struct MakerNoteSource final : ExifSource {
    std::string make;
    bool bigEndian = false;
    int32_t noteOffset = 0;
    std::vector<uint8_t> note;

    bool GetMake(std::string& out) const override { return out = make, true; }
    bool GetModel(std::string&) const override { return false; }
    bool GetSoftware(std::string&) const override { return false; }
    bool GetISOSpeed(int32_t&) const override { return false; }
    bool GetExposureTime(double&) const override { return false; }
    bool GetShutterSpeed(double&) const override { return false; }
    bool GetApertureValue(double&) const override { return false; }
    bool GetFNumber(double&) const override { return false; }
    bool GetExposureBiasValue(double&) const override { return false; }
    bool GetXResolution(double&) const override { return false; }
    bool GetYResolution(double&) const override { return false; }
    bool GetResolutionUnits(int32_t&) const override { return false; }
    bool GetDigitalZoomRatio(double&) const override { return false; }
    bool GetDateTime(std::string&) const override { return false; }
    bool GetDateTimeOriginal(std::string&) const override { return false; }
    bool GetDateTimeDigitized(std::string&) const override { return false; }
    bool GetBigEndian(bool& out) const override { return out = bigEndian, true; }
    bool GetMakerNote(std::vector<uint8_t>& out) const override { return out = note, true; }
    bool GetMakerNoteOffset(int32_t& out) const override { return out = noteOffset, true; }
};

// Input layout: byte 0 bit 0 the block's byte order (1 Motorola), bytes 1..4 the note's offset
// (little-endian, signed), the rest the note. Inputs shorter than 5 bytes are refused.
inline bool SplitMakerNoteInput(const uint8_t* data, std::size_t size, MakerNoteSource& source) {
    if (size < 5) return false;
    source.bigEndian = (data[0] & 1) != 0;
    source.noteOffset = static_cast<int32_t>(uint32_t{data[1]} | uint32_t{data[2]} << 8 |
                                             uint32_t{data[3]} << 16 | uint32_t{data[4]} << 24);
    source.note.assign(data + 5, data + size);
    return true;
}

}  // namespace stillpix::fuzz
