#include "tests/exif/tiff_block_writer.h"

namespace stillpix::test {

void TiffBlockWriter::Append(uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        const int shift = bigEndian_ ? 8 * (bytes - 1 - i) : 8 * i;
        bytes_.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void TiffBlockWriter::PatchU32(std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (bigEndian_ ? 8 * (3 - i) : 8 * i));
}

void TiffBlockWriter::TiffHeader() {
    Raw(bigEndian_ ? "MM" : "II");
    U16(42);
    U32(8);
}

std::vector<uint8_t> TiffBlockWriter::Shorts(const std::vector<uint16_t>& values) const {
    TiffBlockWriter w(bigEndian_);
    for (uint16_t v : values) w.U16(v);
    return w.bytes_;
}

std::vector<uint8_t> TiffBlockWriter::Longs(const std::vector<uint32_t>& values) const {
    TiffBlockWriter w(bigEndian_);
    for (uint32_t v : values) w.U32(v);
    return w.bytes_;
}

TestEntry TiffBlockWriter::Short(uint16_t tag, const std::vector<uint16_t>& values) const {
    return {tag, 3, static_cast<uint32_t>(values.size()), Shorts(values)};
}

TestEntry TiffBlockWriter::Long(uint16_t tag, const std::vector<uint32_t>& values) const {
    return {tag, 4, static_cast<uint32_t>(values.size()), Longs(values)};
}

TestEntry TiffBlockWriter::Ascii(uint16_t tag, const std::string& text) const {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return {tag, 2, static_cast<uint32_t>(data.size()), data};
}

TestEntry TiffBlockWriter::Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) const {
    return {tag, 5, 1, Longs({numerator, denominator})};
}

TestEntry TiffBlockWriter::Pointing(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) const {
    return {tag, type, count, Longs({offset}), true};
}

std::size_t TiffBlockWriter::Directory(const std::vector<TestEntry>& entries, int64_t offsetOrigin) {
    const std::size_t start = Size();
    U16(static_cast<uint16_t>(entries.size()));
    std::vector<std::size_t> valueFields;
    for (const TestEntry& e : entries) {
        U16(e.tag);
        U16(e.type);
        U32(e.count);
        valueFields.push_back(Size());
        if (e.rawValueField || e.data.size() <= 4) {
            std::vector<uint8_t> field = e.data;
            field.resize(4, 0);
            bytes_.insert(bytes_.end(), field.begin(), field.end());
        } else {
            U32(0);
        }
    }
    U32(0);  // no next directory
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TestEntry& e = entries[i];
        if (e.rawValueField || e.data.size() <= 4) continue;
        PatchU32(valueFields[i], static_cast<uint32_t>(static_cast<int64_t>(Size()) - offsetOrigin));
        bytes_.insert(bytes_.end(), e.data.begin(), e.data.end());
        if (Size() % 2) U8(0);  // values start on word boundaries
    }
    return start;
}

}  // namespace stillpix::test
