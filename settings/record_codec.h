// Byte helpers shared by the persisted records: zero-terminated texts in fixed fields and the
// byte-sum checksum that leads every record (their little-endian fields: engine/little_endian.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/little_endian.h"

namespace stillpix {

// The 32-bit sum of bytes 4 .. 4 + runLength - 1 taken as unsigned numbers.
uint32_t RecordChecksum(std::span<const uint8_t> record, std::size_t runLength);

// True when the record has exactly `size` bytes and its first four hold the checksum of its run.
bool RecordIsIntact(std::span<const uint8_t> record, std::size_t size, std::size_t runLength);

// The text of a fixed field: up to its first NUL, never past the field.
std::string_view FieldText(std::span<const char> field);

// Stores at most field.size() - 1 bytes of `text` (cut before an incomplete UTF-8 character) and
// zeros every byte after it, so equal texts give equal fields.
void SetFieldText(std::span<char> field, std::string_view text);

// Zeros everything after the first NUL and forces the last byte to NUL (a stored field need not
// be terminated); `maxChars` further limits the text, as a 21-byte field holds 20 characters.
void NormaliseFieldText(std::span<char> field, std::size_t maxChars);

// Number of characters of a UTF-8 text (bytes that do not continue a character).
std::size_t Utf8Length(std::string_view text);

}  // namespace stillpix
