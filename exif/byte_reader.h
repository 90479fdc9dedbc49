// The one way maker-note bytes are read: every access is checked against the block, in the
// block's byte order, so a hostile offset or count can never reach outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace stillpix {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(std::span<const uint8_t> bytes, bool bigEndian)
        : bytes_(bytes), bigEndian_(bigEndian) {}

    int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
    bool BigEndian() const { return bigEndian_; }
    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

    // True when the `count` bytes from `position` lie wholly inside the block.
    bool Fits(int64_t position, int64_t count) const {
        return position >= 0 && count >= 0 && count <= Size() && position <= Size() - count;
    }

    // Out of range gives 0, so a short or truncated note reads as empty rather than as garbage.
    uint8_t U8(int64_t position) const { return Fits(position, 1) ? bytes_[position] : 0; }
    uint16_t U16(int64_t position) const {
        if (!Fits(position, 2)) return 0;
        const uint16_t a = bytes_[position], b = bytes_[position + 1];
        return bigEndian_ ? static_cast<uint16_t>(a << 8 | b) : static_cast<uint16_t>(b << 8 | a);
    }
    uint32_t U32(int64_t position) const {
        if (!Fits(position, 4)) return 0;
        const uint32_t hi = U16(position), lo = U16(position + 2);
        return bigEndian_ ? (hi << 16 | lo) : (lo << 16 | hi);
    }

    std::span<const uint8_t> Bytes(int64_t position, int64_t count) const {
        if (!Fits(position, count)) return {};
        return bytes_.subspan(static_cast<std::size_t>(position), static_cast<std::size_t>(count));
    }

private:
    std::span<const uint8_t> bytes_;
    bool bigEndian_ = false;
};

}  // namespace stillpix
