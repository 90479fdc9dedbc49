// Little-endian fields of the stored records and file headers, written byte by byte so the bytes
// are the same on every machine. Header only: the records of every folder use it.
#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace stillpix {

template <std::integral T>
constexpr void StoreLittleEndian(uint8_t* at, T value) {
    const auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) at[i] = static_cast<uint8_t>(u >> (8 * i));
}

template <std::integral T>
constexpr T LoadLittleEndian(const uint8_t* at) {
    std::make_unsigned_t<T> u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<std::make_unsigned_t<T>>(std::make_unsigned_t<T>{at[i]} << (8 * i));
    return static_cast<T>(u);
}

// The signed 32-bit field at `offset`, the commonest of the records.
inline void PutI32(std::span<uint8_t> bytes, std::size_t offset, int32_t value) {
    StoreLittleEndian(bytes.subspan(offset, 4).data(), value);
}
inline int32_t GetI32(std::span<const uint8_t> bytes, std::size_t offset) {
    return LoadLittleEndian<int32_t>(bytes.subspan(offset, 4).data());
}

// Fields one after another. Writer and reader share their calls (Field, Chars), so one field
// list serves both directions. Doubles are stored as their IEEE-754 bits.
class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::span<uint8_t> out) : out_(out) {}
    template <std::integral T>
    void Field(T value) {
        StoreLittleEndian(out_.subspan(at_, sizeof(T)).data(), value);
        at_ += sizeof(T);
    }
    void Field(double value) { Field(std::bit_cast<uint64_t>(value)); }
    void Chars(const char* text, std::size_t size) {
        std::memcpy(out_.subspan(at_, size).data(), text, size);
        at_ += size;
    }

private:
    std::span<uint8_t> out_;
    std::size_t at_ = 0;
};

class LittleEndianReader {
public:
    explicit LittleEndianReader(std::span<const uint8_t> in) : in_(in) {}
    template <std::integral T>
    void Field(T& value) {
        value = LoadLittleEndian<T>(in_.subspan(at_, sizeof(T)).data());
        at_ += sizeof(T);
    }
    void Field(double& value) {
        uint64_t bits = 0;
        Field(bits);
        value = std::bit_cast<double>(bits);
    }
    void Chars(char* text, std::size_t size) {
        std::memcpy(text, in_.subspan(at_, size).data(), size);
        at_ += size;
    }

private:
    std::span<const uint8_t> in_;
    std::size_t at_ = 0;
};

}  // namespace stillpix
