// Writes small TIFF-style blocks (headers and directories) in either byte order, so maker notes
// can be laid out in a test exactly as a camera would store them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stillpix::test {

struct TestEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint8_t> data;  // the value's bytes, already in the block's byte order
    bool rawValueField = false; // `data` is the entry's 4-byte value field as is (for hostile entries)
};

class TiffBlockWriter {
public:
    explicit TiffBlockWriter(bool bigEndian) : bigEndian_(bigEndian) {}

    bool BigEndian() const { return bigEndian_; }
    std::size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    void Raw(const std::string& text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) { Append(v, 2); }
    void U32(uint32_t v) { Append(v, 4); }
    void PatchU32(std::size_t at, uint32_t v);
    // "II" or "MM", 42, and the offset of the first directory, 8.
    void TiffHeader();

    // Encoders for entry values in this block's byte order.
    std::vector<uint8_t> Shorts(const std::vector<uint16_t>& values) const;
    std::vector<uint8_t> Longs(const std::vector<uint32_t>& values) const;

    TestEntry Short(uint16_t tag, const std::vector<uint16_t>& values) const;
    TestEntry Long(uint16_t tag, const std::vector<uint32_t>& values) const;
    TestEntry Ascii(uint16_t tag, const std::string& text) const;  // with its NUL
    TestEntry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) const;
    // An entry whose value field holds `offset` and claims `count` components of `type`.
    TestEntry Pointing(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) const;

    // Appends a directory (count, entries, next link 0, then the out-of-line values) and returns
    // its position. Stored offsets are block positions minus `offsetOrigin`.
    std::size_t Directory(const std::vector<TestEntry>& entries, int64_t offsetOrigin);

private:
    void Append(uint32_t v, int bytes);

    bool bigEndian_;
    std::vector<uint8_t> bytes_;
};

}  // namespace stillpix::test
