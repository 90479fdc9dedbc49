// A record's 32-bit fields as one table (offset, member, range), read by its encoder and decoder
// alike. A reserved field's range is its default alone, so it is always written as described.
// A value outside the range is brought to its nearest end, unless the field names the value
// that stands for every other one (a view mode outside 0..3 reads as Medium).
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/record_codec.h"

namespace stillpix {

constexpr int32_t kClampToRange = INT32_MIN;

template <class Record>
struct IntField {
    std::size_t offset;
    int32_t Record::*member;
    int32_t low;
    int32_t high;
    int32_t otherwise = kClampToRange;

    int32_t InRange(int32_t value) const {
        if (otherwise != kClampToRange && (value < low || value > high)) return otherwise;
        return std::clamp(value, low, high);
    }
};

template <class Record, std::size_t N>
void PutFields(const Record& record, const IntField<Record> (&fields)[N],
               std::span<uint8_t> bytes) {
    for (const IntField<Record>& f : fields) PutI32(bytes, f.offset, f.InRange(record.*f.member));
}

template <class Record, std::size_t N>
void GetFields(std::span<const uint8_t> bytes, const IntField<Record> (&fields)[N],
               Record& record) {
    for (const IntField<Record>& f : fields) record.*f.member = f.InRange(GetI32(bytes, f.offset));
}

// The text of a fixed field, without its tail: the bytes after it stay as they are (zero).
inline void PutText(std::span<uint8_t> bytes, std::size_t offset, std::span<const char> field) {
    const std::string_view text = FieldText(field);
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace stillpix
