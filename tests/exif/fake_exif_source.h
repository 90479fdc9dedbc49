// An ExifSource whose tags the test sets one by one (an unset tag is a failing getter), and the
// formatter's rows in a comparable form.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exif/exif_formatter.h"
#include "exif/exif_source.h"

namespace stillpix::test {

struct FakeExifSource : ExifSource {
    std::optional<std::string> make, model, software, dateTime, dateTimeOriginal, dateTimeDigitized;
    std::optional<int32_t> iso, resolutionUnit, makerNoteOffset;
    std::optional<double> exposureTime, shutterSpeed, apertureValue, fNumber, exposureBias;
    std::optional<double> xResolution, yResolution, digitalZoom;
    std::optional<bool> bigEndian;
    std::optional<std::vector<uint8_t>> makerNote;

    template <class T>
    static bool Give(const std::optional<T>& value, T& out) {
        if (!value) return false;
        out = *value;
        return true;
    }
    bool GetMake(std::string& out) const override { return Give(make, out); }
    bool GetModel(std::string& out) const override { return Give(model, out); }
    bool GetSoftware(std::string& out) const override { return Give(software, out); }
    bool GetISOSpeed(int32_t& out) const override { return Give(iso, out); }
    bool GetExposureTime(double& out) const override { return Give(exposureTime, out); }
    bool GetShutterSpeed(double& out) const override { return Give(shutterSpeed, out); }
    bool GetApertureValue(double& out) const override { return Give(apertureValue, out); }
    bool GetFNumber(double& out) const override { return Give(fNumber, out); }
    bool GetExposureBiasValue(double& out) const override { return Give(exposureBias, out); }
    bool GetXResolution(double& out) const override { return Give(xResolution, out); }
    bool GetYResolution(double& out) const override { return Give(yResolution, out); }
    bool GetResolutionUnits(int32_t& out) const override { return Give(resolutionUnit, out); }
    bool GetDigitalZoomRatio(double& out) const override { return Give(digitalZoom, out); }
    bool GetDateTime(std::string& out) const override { return Give(dateTime, out); }
    bool GetDateTimeOriginal(std::string& out) const override {
        return Give(dateTimeOriginal, out);
    }
    bool GetDateTimeDigitized(std::string& out) const override {
        return Give(dateTimeDigitized, out);
    }
    bool GetBigEndian(bool& out) const override { return Give(bigEndian, out); }
    bool GetMakerNote(std::vector<uint8_t>& out) const override { return Give(makerNote, out); }
    bool GetMakerNoteOffset(int32_t& out) const override { return Give(makerNoteOffset, out); }
};

using Rows = std::vector<std::pair<std::string, std::string>>;

// The formatter's rows as (label, value) pairs.
inline Rows RowsOf(const CExifFormatter& f) {
    Rows rows;
    for (std::size_t i = 0; i < f.Labels().size(); ++i)
        rows.emplace_back(f.Labels()[i], f.Values()[i]);
    return rows;
}

}  // namespace stillpix::test
