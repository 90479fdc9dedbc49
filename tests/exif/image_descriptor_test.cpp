// The 400-byte descriptor's layout, byte for byte, and its round trip.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "exif/image_descriptor.h"

namespace stillpix {
namespace {

ImageDescriptor Sample() {
    ImageDescriptor d;
    std::strcpy(d.make, "NIKON CORPORATION");
    std::strcpy(d.model, "NIKON D3");
    d.width = 4256;
    d.height = -2832;
    d.fNumber = 2.8;
    d.exposureTime = 0.004;
    d.shutterSpeedApex = 7.965784284662087;
    d.exposureTime2 = 0.004;
    d.exposureBias = -670;
    d.xResolution = 300;
    d.yResolution = 72;
    d.isoSpeed = 51200;
    std::strcpy(d.dateTime, "2008:01:02 03:04:05");
    std::strcpy(d.software, "Ver.1.00");
    d.digitalZoom = 1.5;
    return d;
}

uint64_t LittleEndianAt(const std::array<uint8_t, kImageDescriptorBytes>& bytes, std::size_t at, int size) {
    uint64_t v = 0;
    for (int i = 0; i < size; ++i) v |= uint64_t{bytes[at + i]} << (8 * i);
    return v;
}

uint64_t BitsOf(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return bits;
}

TEST(ImageDescriptor, EncodesEachFieldAtItsOffset) {
    const auto bytes = EncodeImageDescriptor(Sample());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[0])), "NIKON CORPORATION");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[100])), "NIKON D3");
    EXPECT_EQ(LittleEndianAt(bytes, 200, 4), 4256u);
    EXPECT_EQ(LittleEndianAt(bytes, 204, 4), static_cast<uint32_t>(-2832));
    EXPECT_EQ(LittleEndianAt(bytes, 208, 8), BitsOf(2.8));
    EXPECT_EQ(LittleEndianAt(bytes, 216, 8), BitsOf(0.004));
    EXPECT_EQ(LittleEndianAt(bytes, 224, 8), BitsOf(7.965784284662087));
    EXPECT_EQ(LittleEndianAt(bytes, 232, 8), BitsOf(0.004));
    EXPECT_EQ(LittleEndianAt(bytes, 240, 8), BitsOf(-670.0));
    EXPECT_EQ(LittleEndianAt(bytes, 248, 8), BitsOf(300.0));
    EXPECT_EQ(LittleEndianAt(bytes, 256, 8), BitsOf(72.0));
    EXPECT_EQ(LittleEndianAt(bytes, 264, 4), 51200u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[268])), "2008:01:02 03:04:05");
    EXPECT_EQ(bytes[287], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[288])), "Ver.1.00");
    EXPECT_EQ(LittleEndianAt(bytes, 388, 4), 0u);
    EXPECT_EQ(LittleEndianAt(bytes, 392, 8), BitsOf(1.5));
    // Nothing but the texts' own characters is non-zero in the text fields.
    for (std::size_t i = 17; i < 100; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(ImageDescriptor, RoundTrips) {
    ImageDescriptor back;
    const auto bytes = EncodeImageDescriptor(Sample());
    ASSERT_TRUE(DecodeImageDescriptor(bytes, back));
    EXPECT_EQ(EncodeImageDescriptor(back), bytes);
}

TEST(ImageDescriptor, RefusesOtherSizesAndTerminatesTexts) {
    ImageDescriptor out;
    std::vector<uint8_t> bytes(399, 0);
    EXPECT_FALSE(DecodeImageDescriptor(bytes, out));
    bytes.assign(401, 0);
    EXPECT_FALSE(DecodeImageDescriptor(bytes, out));
    bytes.assign(400, 'A');  // texts with no terminator at all
    ASSERT_TRUE(DecodeImageDescriptor(bytes, out));
    EXPECT_EQ(std::strlen(out.make), 99u);
    EXPECT_EQ(std::strlen(out.dateTime), 19u);
    EXPECT_EQ(std::strlen(out.software), 99u);
}

}  // namespace
}  // namespace stillpix
