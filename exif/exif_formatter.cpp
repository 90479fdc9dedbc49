#include "exif/exif_formatter.h"

#include <cmath>
#include <memory>
#include <utility>

#include "exif/exif_text.h"
#include "exif/makernote_canon.h"
#include "exif/makernote_nikon3.h"

namespace stillpix {
namespace {

using TextGetter = bool (ExifSource::*)(std::string&) const;
using NumberGetter = bool (ExifSource::*)(double&) const;

// An empty text (a count of 0, a lone NUL) counts as a missing tag.
bool ReadText(const ExifSource& exif, TextGetter getter, std::string& out) {
    std::string text;
    if (!(exif.*getter)(text)) return false;
    text = TextBeforeNul(text);
    if (text.empty()) return false;
    out = std::move(text);
    return true;
}

// A value that is not a finite number counts as a missing tag, so no "inf" or "nan" is ever shown.
bool ReadNumber(const ExifSource& exif, NumberGetter getter, double& out) {
    double value = 0.0;
    if (!(exif.*getter)(value) || !std::isfinite(value)) return false;
    out = value;
    return true;
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void CExifFormatter::SetColorDepth(int bitsPerPixel) {
    texts_.colorDepth = FormatText("%d bpp", bitsPerPixel);
}

void CExifFormatter::Set(const ExifSource& exif, int width, int height) {
    ExifTexts fresh;
    fresh.colorProfile = std::move(texts_.colorProfile);
    fresh.colorDepth = std::move(texts_.colorDepth);
    texts_ = std::move(fresh);
    descriptor_ = ImageDescriptor{};
    labels_.clear();
    values_.clear();

    exif_ = &exif;
    descriptor_.width = width;
    descriptor_.height = height;
    texts_.width = FormatText("%d", width);
    texts_.height = FormatText("%d", height);
    Format();
    exif_ = nullptr;
}

void CExifFormatter::Format() {
    if (exif_ == nullptr) return;
    const ExifSource& exif = *exif_;

    if (ReadText(exif, &ExifSource::GetMake, texts_.make))
        CopyToField(descriptor_.make, sizeof descriptor_.make, texts_.make);
    if (ReadText(exif, &ExifSource::GetModel, texts_.model))
        CopyToField(descriptor_.model, sizeof descriptor_.model, texts_.model);
    if (ReadText(exif, &ExifSource::GetSoftware, texts_.software))
        CopyToField(descriptor_.software, sizeof descriptor_.software, texts_.software);

    int32_t iso = 0;
    if (exif.GetISOSpeed(iso) && iso >= 0) {
        texts_.isoSpeed = FormatText("ISO %d", iso);
        descriptor_.isoSpeed = iso;
    }

    descriptor_.shutterSpeedApex = 0.0;
    descriptor_.exposureTime2 = 0.0;
    double t = 0.0;
    if (ReadNumber(exif, &ExifSource::GetExposureTime, t) && t > 0.0 && std::isfinite(1.0 / t)) {
        descriptor_.exposureTime = t;
        descriptor_.shutterSpeedApex = -std::log2(t);
        descriptor_.exposureTime2 = t;
        texts_.shutterSpeed = t < 1.0 ? FormatText("1/%2.0f", 1.0 / t) : FormatText("%2.1f", t);
    }
    // The shutter speed value, where present, wins over the exposure time.
    double s = 0.0;
    if (ReadNumber(exif, &ExifSource::GetShutterSpeed, s)) {
        const double speed = std::exp2(s);
        const double e = 1.0 / speed;
        if (std::isfinite(speed) && std::isfinite(e) && e > 0.0) {
            descriptor_.exposureTime = e;
            descriptor_.shutterSpeedApex = s;
            descriptor_.exposureTime2 = e;
            texts_.shutterSpeed = e < 1.0 ? FormatText("1/%1.0f", speed) : FormatText("%1.1f", e);
        }
    }

    // Likewise the f-number wins over the aperture value.
    double a = 0.0;
    if (ReadNumber(exif, &ExifSource::GetApertureValue, a)) {
        const double fNumber = std::pow(std::sqrt(2.0), a);
        if (std::isfinite(fNumber)) {
            descriptor_.fNumber = fNumber;
            texts_.aperture = FormatText("f%2.1f", fNumber);
        }
    }
    double n = 0.0;
    if (ReadNumber(exif, &ExifSource::GetFNumber, n)) {
        descriptor_.fNumber = n;
        texts_.aperture = FormatText("f%2.1f", n);
    }

    double b = 0.0;  // thousandths of an EV
    if (ReadNumber(exif, &ExifSource::GetExposureBiasValue, b)) {
        descriptor_.exposureBias = b;
        texts_.exposureBias = FormatText("%s%2.2f", b < 0.0 ? "-" : "+", std::fabs(b) / 1000.0);
    }

    double x = 0.0;
    if (ReadNumber(exif, &ExifSource::GetXResolution, x)) {
        descriptor_.xResolution = x;
        texts_.xResolution = TrimBlanks(FormatText("%5.0f", x)) + texts_.xResolution;
    }
    double y = 0.0;
    if (ReadNumber(exif, &ExifSource::GetYResolution, y)) {
        descriptor_.yResolution = y;
        texts_.yResolution = TrimBlanks(FormatText("%5.0f", y)) + texts_.yResolution;
    }

    double zoom = 0.0;
    if (texts_.digitalZoom.empty() && ReadNumber(exif, &ExifSource::GetDigitalZoomRatio, zoom)) {
        descriptor_.digitalZoom = zoom;
        texts_.digitalZoom = FormatText("%2.1f", zoom);
    }

    int32_t unit = 0;
    if (exif.GetResolutionUnits(unit)) {
        const char* suffix = unit == 2 ? " dpi" : " dpc";
        texts_.xResolution += suffix;
        texts_.yResolution += suffix;
    }

    for (TextGetter getter : {&ExifSource::GetDateTime, &ExifSource::GetDateTimeOriginal,
                              &ExifSource::GetDateTimeDigitized})
        if (texts_.dateCreated.empty() && ReadText(exif, getter, texts_.dateCreated))
            CopyToField(descriptor_.dateTime, sizeof descriptor_.dateTime, texts_.dateCreated);

    // The maker-note directory lives only while the rows are built.
    const std::unique_ptr<CTagDirectory> directory = ReadMakerNote();

    BuildRows();
    if (directory != nullptr)
        for (std::size_t i = 0; i < directory->Labels().size(); ++i)
            AddRow(directory->Labels()[i].c_str(), directory->Values()[i]);
}

std::unique_ptr<CTagDirectory> CExifFormatter::ReadMakerNote() {
    int32_t offset = 0;
    std::vector<uint8_t> note;
    if (!exif_->GetMakerNoteOffset(offset) || !exif_->GetMakerNote(note)) return nullptr;
    const std::string make = UpperCase(texts_.make);
    std::unique_ptr<CTagDirectory> directory;
    if (make.substr(0, 5) == "NIKON")
        directory = std::make_unique<CNikon3TagDirectory>(*this, *exif_, std::move(note));
    else if (make == "CANON")
        directory = std::make_unique<CCanonTagDirectory>(*this, *exif_, std::move(note), offset);
    if (directory != nullptr) directory->Format();
    return directory;
}

void CExifFormatter::AdoptMakerNoteIso(int32_t iso, const std::string& text) {
    if (descriptor_.isoSpeed != 0 || text.empty()) return;
    descriptor_.isoSpeed = iso;
    texts_.isoSpeed = text;
}

void CExifFormatter::AddRow(const char* label, const std::string& value) {
    if (value.empty()) return;
    labels_.emplace_back(label);
    values_.push_back(value);
}

void CExifFormatter::BuildRows() {
    // clang-format off
    const std::pair<const char*, const std::string*> rows[] = {
        {"Make",          &texts_.make},
        {"Model",         &texts_.model},
        {"Width",         &texts_.width},
        {"Height",        &texts_.height},
        {"X Resolution",  &texts_.xResolution},
        {"Y Resolution",  &texts_.yResolution},
        {"ISO Speed",     &texts_.isoSpeed},
        {"Aperture",      &texts_.aperture},
        {"Shutter Speed", &texts_.shutterSpeed},
        {"Exposure Bias", &texts_.exposureBias},
        {"Date Created",  &texts_.dateCreated},
        {"Software",      &texts_.software},
        {"Color Profile", &texts_.colorProfile},
        {"Color Depth",   &texts_.colorDepth},
    };
    // clang-format on
    for (const auto& [label, text] : rows) AddRow(label, *text);
}

}  // namespace stillpix
