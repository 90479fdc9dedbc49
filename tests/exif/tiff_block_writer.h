// Writes small TIFF-style blocks (headers and directories) in either byte order, so maker notes
// and EXIF blocks can be laid out in a test exactly as a camera would store them.
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
    bool rawValueField =
        false;  // `data` is the entry's 4-byte value field as is (for hostile entries)
};
using Entries = std::vector<TestEntry>;

class TiffBlockWriter {
public:
    explicit TiffBlockWriter(bool bigEndian) : bigEndian_(bigEndian) {}

    std::size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Raw(const std::string& text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) { Append(v, 2); }
    void U32(uint32_t v) { Append(v, 4); }
    void PatchU32(std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<uint8_t>(v >> (bigEndian_ ? 8 * (3 - i) : 8 * i));
    }
    // "II" or "MM", 42, and the offset of the first directory, 8.
    void TiffHeader() { Raw(bigEndian_ ? "MM" : "II"), U16(42), U32(8); }

    TestEntry Short(uint16_t tag, const std::vector<uint16_t>& values) const {
        TiffBlockWriter w(bigEndian_);
        for (uint16_t v : values) w.U16(v);
        return {tag, 3, static_cast<uint32_t>(values.size()), w.bytes_};
    }
    TestEntry Long(uint16_t tag, const std::vector<uint32_t>& values) const {
        TiffBlockWriter w(bigEndian_);
        for (uint32_t v : values) w.U32(v);
        return {tag, 4, static_cast<uint32_t>(values.size()), w.bytes_};
    }
    TestEntry Ascii(uint16_t tag, const std::string& text) const {  // with its NUL
        std::vector<uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        return {tag, 2, static_cast<uint32_t>(data.size()), data};
    }
    TestEntry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) const {
        return {tag, 5, 1, Long(0, {numerator, denominator}).data};
    }
    // An entry whose value field holds `offset` and claims `count` components of `type`.
    TestEntry Pointing(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) const {
        return {tag, type, count, Long(0, {offset}).data, true};
    }

    // Appends a directory (count, entries, next link 0, then the out-of-line values) and returns
    // its position. Stored offsets are block positions minus `offsetOrigin`.
    std::size_t Directory(const Entries& entries, int64_t offsetOrigin) {
        const std::size_t start = Size();
        U16(static_cast<uint16_t>(entries.size()));
        std::vector<std::size_t> valueFields;
        for (const TestEntry& e : entries) {
            U16(e.tag), U16(e.type), U32(e.count);
            valueFields.push_back(Size());
            std::vector<uint8_t> field =
                e.rawValueField || e.data.size() <= 4 ? e.data : std::vector<uint8_t>{};
            field.resize(4, 0);
            bytes_.insert(bytes_.end(), field.begin(), field.end());
        }
        U32(0);  // no next directory
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const TestEntry& e = entries[i];
            if (e.rawValueField || e.data.size() <= 4) continue;
            PatchU32(valueFields[i],
                     static_cast<uint32_t>(static_cast<int64_t>(Size()) - offsetOrigin));
            bytes_.insert(bytes_.end(), e.data.begin(), e.data.end());
            if (Size() % 2) U8(0);  // values start on word boundaries
        }
        return start;
    }

private:
    void Append(uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (bigEndian_ ? 8 * (bytes - 1 - i) : 8 * i)));
    }

    bool bigEndian_;
    std::vector<uint8_t> bytes_;
};

}  // namespace stillpix::test
