// The 400-byte descriptor's layout, byte for byte, and its round trip.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "exif/image_descriptor.h"

namespace stillpix {
namespace {

TEST(ImageDescriptor, EncodesEachFieldAtItsOffsetAndRoundTrips) {
    ImageDescriptor d;
    std::strcpy(d.make, "NIKON CORPORATION"), std::strcpy(d.model, "NIKON D3");
    std::strcpy(d.dateTime, "2008:01:02 03:04:05"), std::strcpy(d.software, "Ver.1.00");
    d.width = 4256, d.height = -2832, d.isoSpeed = 51200;
    const double reals[] = {2.8, 0.004, 7.965784284662087, 0.005, -670,
                            300, 72};  // fNumber .. yResolution
    d.fNumber = reals[0], d.exposureTime = reals[1], d.shutterSpeedApex = reals[2],
    d.exposureTime2 = reals[3];
    d.exposureBias = reals[4], d.xResolution = reals[5], d.yResolution = reals[6],
    d.digitalZoom = 1.5;

    std::array<uint8_t, kImageDescriptorBytes> expected{};
    const auto put = [&](std::size_t at, uint64_t v, int size) {
        for (int i = 0; i < size; ++i) expected[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const auto text = [&](std::size_t at, const char* s) {
        std::memcpy(&expected[at], s, std::strlen(s));
    };
    text(0, "NIKON CORPORATION"), text(100, "NIKON D3"), text(268, "2008:01:02 03:04:05"),
        text(288, "Ver.1.00");
    put(200, 4256, 4), put(204, static_cast<uint32_t>(-2832), 4), put(264, 51200, 4);
    for (int i = 0; i < 7; ++i) put(208 + 8 * i, std::bit_cast<uint64_t>(reals[i]), 8);
    put(392, std::bit_cast<uint64_t>(1.5), 8);
    const auto bytes = EncodeImageDescriptor(d);
    EXPECT_EQ(bytes, expected);

    ImageDescriptor back;
    ASSERT_TRUE(DecodeImageDescriptor(bytes, back));
    EXPECT_EQ(EncodeImageDescriptor(back), bytes);
}

TEST(ImageDescriptor, RefusesOtherSizesAndTerminatesTexts) {
    ImageDescriptor out;
    EXPECT_FALSE(DecodeImageDescriptor(std::vector<uint8_t>(399, 0), out));
    EXPECT_FALSE(DecodeImageDescriptor(std::vector<uint8_t>(401, 0), out));
    ASSERT_TRUE(
        DecodeImageDescriptor(std::vector<uint8_t>(400, 'A'), out));  // no terminator at all
    EXPECT_EQ(std::strlen(out.make), 99u);
    EXPECT_EQ(std::strlen(out.dateTime), 19u);
    EXPECT_EQ(std::strlen(out.software), 99u);
}

}  // namespace
}  // namespace stillpix
