#include "exif/tag_directory.h"

#include <utility>

#include "exif/exif_text.h"

namespace stillpix {
namespace {

constexpr int64_t kEntryBytes = 12;
// Bytes per component of TIFF types 0..12.
constexpr int64_t kTypeBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
constexpr uint16_t kLastType = 12;
// Element keys of one list stay below the next list's keys.
constexpr std::size_t kMaxKeyedElements = 0x100;

}  // namespace

CTagDirectory::CTagDirectory(CExifFormatter& parent, const ExifSource& exif,
                             std::vector<uint8_t> note, int64_t valueOrigin)
    : parent_(parent), note_(std::move(note)), valueOrigin_(valueOrigin) {
    bool bigEndian = false;  // a block that does not say is read in Intel order
    if (!exif.GetBigEndian(bigEndian)) bigEndian = false;
    reader_ = ByteReader(note_, bigEndian);
}

const CTagValue* CTagDirectory::Find(int key) const {
    const auto found = tags_.find(key);
    return found == tags_.end() ? nullptr : &found->second;
}

void CTagDirectory::Parse(int64_t start) {
    const int64_t length = reader_.Size();
    if (start < 0 || start >= length) return;
    const int64_t count = reader_.U16(start);
    if (count == 0 || !reader_.Fits(start + 2, kEntryBytes * count)) return;

    for (int64_t i = 0; i < count; ++i) {
        const int64_t entry = start + 2 + kEntryBytes * i;
        const uint16_t tag = reader_.U16(entry);
        const uint16_t type = reader_.U16(entry + 2);
        const uint32_t components = reader_.U32(entry + 4);
        if (type > kLastType) continue;
        const int64_t byteCount = kTypeBytes[type] * components;  // at most 8 * (2^32 - 1)
        int64_t position = entry + 8;
        if (byteCount > 4) {
            position = static_cast<int64_t>(reader_.U32(entry + 8)) + valueOrigin_;
            if (!reader_.Fits(position, byteCount)) continue;
        }
        Store(tag, Decode(type, components, position));
    }
}

CTagValue CTagDirectory::Decode(uint16_t type, uint32_t count, int64_t position) const {
    CTagValue value;
    const auto readIntegers = [&](int64_t width) {
        for (int64_t i = 0; i < count && reader_.Fits(position + width * i, width); ++i) {
            const int64_t at = position + width * i;
            value.integers.push_back(width == 1   ? reader_.U8(at)
                                     : width == 2 ? reader_.U16(at)
                                                  : reader_.U32(at));
        }
    };
    switch (type) {
        case 1:
        case 6:
        case 11:
        case 12:  // floats are kept as their bytes, as for any byte list
            readIntegers(1);
            break;
        case 2:
        case 7: {
            const auto bytes = reader_.Bytes(position, count);
            value.text = TextBeforeNul({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
            break;
        }
        case 3:
        case 8: readIntegers(2); break;
        case 4:
        case 9: readIntegers(4); break;
        case 5:
        case 10:
            for (int64_t i = 0; i < count && reader_.Fits(position + 8 * i, 8); ++i)
                value.rationals.push_back(
                    {reader_.U32(position + 8 * i), reader_.U32(position + 8 * i + 4)});
            if (count == 1 && !value.rationals.empty()) {
                value.numerator = value.rationals[0].numerator;
                value.denominator = value.rationals[0].denominator;
            }
            break;
        default: break;
    }
    return value;
}

void CTagDirectory::Store(int tag, CTagValue value) {
    if ((tag == 1 || tag == 4) && !value.integers.empty()) {
        const int key = tag == 1 ? kCameraSettingsKey : kShotInformationKey;
        // element 0 of these lists is their length in bytes, not a setting; a list that says
        // otherwise is read from the wrong bytes
        if (value.integers[0] != 2 * value.integers.size()) {
            misread_ = true;
            return;
        }
        for (std::size_t i = 1; i < value.integers.size() && i < kMaxKeyedElements; ++i) {
            CTagValue element;
            element.integers.push_back(value.integers[i]);
            tags_[key + static_cast<int>(i)] = std::move(element);
        }
        return;
    }
    tags_[tag] = std::move(value);
}

}  // namespace stillpix
