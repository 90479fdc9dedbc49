#include "exif/makernote_nikon3.h"

#include <cstring>
#include <limits>
#include <utility>

#include "exif/exif_text.h"

namespace stillpix {
namespace {

constexpr char kSignature[] = "Nikon";  // followed by a NUL and the version 2.x
constexpr int64_t kTiffHeader = 10;     // "II" or "MM", 42, offset of the first directory
constexpr int64_t kFirstDirectory = 18;
constexpr int kIsoTag = 0x0002;
constexpr int kIsoSelectedTag = 0x0013;

}  // namespace

CNikon3TagDirectory::CNikon3TagDirectory(CExifFormatter& parent, const ExifSource& exif,
                                         std::vector<uint8_t> note)
    : CTagDirectory(parent, exif, std::move(note), kTiffHeader) {}

void CNikon3TagDirectory::Format() {
    ByteReader& reader = Reader();
    const auto signature = reader.Bytes(0, sizeof kSignature);
    if (signature.empty() || std::memcmp(signature.data(), kSignature, sizeof kSignature) != 0 ||
        reader.U8(6) != 2)
        return;
    // The inner header's byte order wins over the EXIF block's.
    const uint8_t order0 = reader.U8(kTiffHeader), order1 = reader.U8(kTiffHeader + 1);
    if (order0 == 'M' && order1 == 'M') reader.SetBigEndian(true);
    if (order0 == 'I' && order1 == 'I') reader.SetBigEndian(false);

    Parse(kFirstDirectory);

    for (const auto& [key, value] : Tags()) {
        if ((key != kIsoTag && key != kIsoSelectedTag) || value.integers.size() < 2) continue;
        const uint32_t iso = value.integers[1];
        // 0 is no speed (the camera chose it and did not say); the next tag may tell
        if (iso == 0) continue;
        if (iso <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
            OfferIso(static_cast<int32_t>(iso), FormatText("ISO %d", static_cast<int>(iso)));
        return;
    }
}

}  // namespace stillpix
