#include "exif/image_descriptor.h"

#include <bit>
#include <cstring>

namespace stillpix {
namespace {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::array<uint8_t, kImageDescriptorBytes>& out) : out_(out) {}
    void Chars(const char* text, std::size_t size) {
        std::memcpy(out_.data() + at_, text, size);
        at_ += size;
    }
    void Int(int32_t v) { Bytes(static_cast<uint32_t>(v), 4); }
    void Real(double v) { Bytes(std::bit_cast<uint64_t>(v), 8); }

private:
    void Bytes(uint64_t v, int count) {
        for (int i = 0; i < count; ++i) out_[at_++] = static_cast<uint8_t>(v >> (8 * i));
    }
    std::array<uint8_t, kImageDescriptorBytes>& out_;
    std::size_t at_ = 0;
};

class LittleEndianReader {
public:
    explicit LittleEndianReader(std::span<const uint8_t> in) : in_(in) {}
    void Chars(char* text, std::size_t size) {
        std::memcpy(text, in_.data() + at_, size);
        text[size - 1] = '\0';  // a stored field without its terminator must not run on
        at_ += size;
    }
    void Int(int32_t& v) { v = static_cast<int32_t>(static_cast<uint32_t>(Bytes(4))); }
    void Real(double& v) { v = std::bit_cast<double>(Bytes(8)); }

private:
    uint64_t Bytes(int count) {
        uint64_t v = 0;
        for (int i = 0; i < count; ++i) v |= uint64_t{in_[at_++]} << (8 * i);
        return v;
    }
    std::span<const uint8_t> in_;
    std::size_t at_ = 0;
};

// One field list for both directions keeps the two in step.
template <class Io, class Descriptor>
void Fields(Io& io, Descriptor& d) {
    io.Chars(d.make, sizeof d.make);
    io.Chars(d.model, sizeof d.model);
    io.Int(d.width);
    io.Int(d.height);
    io.Real(d.fNumber);
    io.Real(d.exposureTime);
    io.Real(d.shutterSpeedApex);
    io.Real(d.exposureTime2);
    io.Real(d.exposureBias);
    io.Real(d.xResolution);
    io.Real(d.yResolution);
    io.Int(d.isoSpeed);
    io.Chars(d.dateTime, sizeof d.dateTime);
    io.Chars(d.software, sizeof d.software);
    io.Int(d.zero);
    io.Real(d.digitalZoom);
}

}  // namespace

std::array<uint8_t, kImageDescriptorBytes> EncodeImageDescriptor(const ImageDescriptor& d) {
    std::array<uint8_t, kImageDescriptorBytes> out{};
    LittleEndianWriter writer(out);
    Fields(writer, d);
    return out;
}

bool DecodeImageDescriptor(std::span<const uint8_t> bytes, ImageDescriptor& out) {
    if (bytes.size() != kImageDescriptorBytes) return false;
    LittleEndianReader reader(bytes);
    ImageDescriptor d;
    Fields(reader, d);
    out = d;
    return true;
}

}  // namespace stillpix
