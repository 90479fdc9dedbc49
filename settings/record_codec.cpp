#include "settings/record_codec.h"

#include <algorithm>
#include <cstring>

namespace stillpix {

uint32_t RecordChecksum(std::span<const uint8_t> record, std::size_t runLength) {
    uint32_t sum = 0;
    for (std::size_t i = 4; i < 4 + runLength && i < record.size(); ++i) sum += record[i];
    return sum;
}

bool RecordIsIntact(std::span<const uint8_t> record, std::size_t size, std::size_t runLength) {
    if (record.size() != size || size < 4 + runLength) return false;
    return static_cast<uint32_t>(GetI32(record, 0)) == RecordChecksum(record, runLength);
}

std::string_view FieldText(std::span<const char> field) {
    return std::string_view(field.data(), ::strnlen(field.data(), field.size()));
}

namespace {

// The longest prefix of at most `limit` bytes that does not end inside a UTF-8 character.
std::size_t WholeCharacters(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return end;
}

}  // namespace

void SetFieldText(std::span<char> field, std::string_view text) {
    if (field.empty()) return;
    text = text.substr(0, text.find('\0'));
    const std::size_t n = WholeCharacters(text, field.size() - 1);
    std::fill(field.begin(), field.end(), '\0');
    std::copy_n(text.begin(), n, field.begin());
}

void NormaliseFieldText(std::span<char> field, std::size_t maxChars) {
    if (field.empty()) return;
    const std::string_view text = FieldText(field.first(field.size() - 1));
    const std::size_t n = WholeCharacters(text, std::min(maxChars, field.size() - 1));
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), '\0');
}

std::size_t Utf8Length(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace stillpix
