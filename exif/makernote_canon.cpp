#include "exif/makernote_canon.h"

#include <utility>

namespace stillpix {
namespace {

constexpr int kContrastKey = CTagDirectory::kCameraSettingsKey + 13;
constexpr int kSaturationKey = CTagDirectory::kCameraSettingsKey + 14;
constexpr int kSharpnessKey = CTagDirectory::kCameraSettingsKey + 15;
constexpr int kIsoKey = CTagDirectory::kCameraSettingsKey + 16;
constexpr int kWhiteBalanceKey = CTagDirectory::kShotInformationKey + 7;

struct CodeText {
    uint32_t code;
    const char* text;
};
struct IsoCode {
    uint32_t code;
    const char* text;
    int32_t iso;
};

// clang-format off
constexpr CodeText kLevelTexts[] = {
    {0,     "Normal"},
    {1,     "High"},
    {65535, "Low"},
};
constexpr IsoCode kIsoCodes[] = {
    {0,  "",        0},
    {15, "Auto",    0},
    {16, "ISO 50",  50},
    {17, "ISO 100", 100},
    {18, "ISO 200", 200},
    {19, "ISO 400", 400},
};
constexpr CodeText kWhiteBalanceTexts[] = {
    {0, "Auto"},
    {1, "Sunny"},
    {2, "Cloudy"},
    {3, "Tungsten"},
    {4, "Flourescent"},
    {5, "Flash"},
    {6, "Custom"},
};
// clang-format on

// The codec's offset convention puts the note's base at offset - 6 and a value stored at o at
// o + 6 - base in the note.
int64_t ValueOrigin(int32_t makerNoteOffset) {
    const int64_t base = int64_t{makerNoteOffset} - 6;
    return 6 - base;
}

template <std::size_t N>
const char* TextOf(const CodeText (&table)[N], uint32_t code, const char* otherwise) {
    for (const CodeText& row : table)
        if (row.code == code) return row.text;
    return otherwise;
}

}  // namespace

CCanonTagDirectory::CCanonTagDirectory(CExifFormatter& parent, const ExifSource& exif,
                                       std::vector<uint8_t> note, int32_t makerNoteOffset)
    : CTagDirectory(parent, exif, std::move(note), ValueOrigin(makerNoteOffset)) {}

void CCanonTagDirectory::Format() {
    Parse(0);
    if (Misread()) return;

    const auto single = [this](int key, CanonSetting& setting) {
        const CTagValue* found = Find(key);
        if (found == nullptr || found->integers.empty()) return false;
        setting.value = found->integers[0];
        return true;
    };
    for (auto [key, setting] :
         {std::pair{kContrastKey, &contrast_}, std::pair{kSaturationKey, &saturation_},
          std::pair{kSharpnessKey, &sharpness_}})
        if (single(key, *setting)) setting->text = TextOf(kLevelTexts, setting->value, "");

    CanonSetting isoCode;
    if (single(kIsoKey, isoCode)) {
        for (const IsoCode& row : kIsoCodes)
            if (row.code == isoCode.value) iso_ = {static_cast<uint32_t>(row.iso), row.text};
        // an unknown code leaves the ISO unknown rather than guessing at it
        if (!iso_.text.empty()) OfferIso(static_cast<int32_t>(iso_.value), iso_.text);
    }

    if (single(kWhiteBalanceKey, whiteBalance_))
        whiteBalance_.text = TextOf(kWhiteBalanceTexts, whiteBalance_.value, "Unknown");

    AddRow("White Balance", whiteBalance_.text);
    AddRow("Sharpness", sharpness_.text);
    AddRow("Contrast", contrast_.text);
    AddRow("Saturation", saturation_.text);
}

}  // namespace stillpix
