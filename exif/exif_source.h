// The EXIF block of one image as the formatter reads it: one getter per field, each false when
// the tag is missing or unusable (the out value is then left as it was).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stillpix {

class ExifSource {
public:
    virtual ~ExifSource() = default;

    virtual bool GetMake(std::string& out) const = 0;
    virtual bool GetModel(std::string& out) const = 0;
    virtual bool GetSoftware(std::string& out) const = 0;
    virtual bool GetISOSpeed(int32_t& out) const = 0;  // read unsigned: 51200 stays 51200
    virtual bool GetExposureTime(double& seconds) const = 0;
    virtual bool GetShutterSpeed(double& apex) const = 0;
    virtual bool GetApertureValue(double& apex) const = 0;
    virtual bool GetFNumber(double& out) const = 0;
    virtual bool GetExposureBiasValue(double& thousandthsEv) const = 0;  // -0.67 EV reads -670
    virtual bool GetXResolution(double& out) const = 0;
    virtual bool GetYResolution(double& out) const = 0;
    virtual bool GetResolutionUnits(int32_t& out) const = 0;
    virtual bool GetDigitalZoomRatio(double& out) const = 0;
    virtual bool GetDateTime(std::string& out) const = 0;
    virtual bool GetDateTimeOriginal(std::string& out) const = 0;
    virtual bool GetDateTimeDigitized(std::string& out) const = 0;
    virtual bool GetBigEndian(bool& motorolaOrder) const = 0;
    virtual bool GetMakerNote(std::vector<uint8_t>& out) const = 0;
    // The maker note's offset by the codec's convention: its offset from the TIFF header plus 12
    // (where it sits in a JPEG whose EXIF segment follows the start marker), whatever the file's
    // real layout, so that a value stored at offset o lies at o + 6 - (offset - 6) in the note.
    virtual bool GetMakerNoteOffset(int32_t& out) const = 0;
};

}  // namespace stillpix
