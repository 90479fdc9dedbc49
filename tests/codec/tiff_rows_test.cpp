// The TIFF reader's fast rows against their plain twin, on every direct layout: random samples
// and the extremes, with and without 16-bit samples kept.
#include <gtest/gtest.h>

#include <random>

#include "codec/tiff_rows.h"

namespace stillpix::codec {
namespace {

struct RowCase {
    const char* name;
    uint16_t bits, samplesPerPixel, photometric;
    int alphaChannel;
    bool premultiplied;
};

class TiffRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(TiffRows, FastRowsEqualThePlainOnes) {
    const RowCase& c = GetParam();
    TiffLayout l;
    l.bitsPerSample = c.bits;
    l.samplesPerPixel = c.samplesPerPixel;
    l.photometric = c.photometric;
    l.grey = c.photometric != PHOTOMETRIC_RGB;
    l.colourChannels = l.grey ? 1 : 3;
    l.alphaChannel = c.alphaChannel;
    l.premultiplied = c.premultiplied;
    constexpr int kWidth = 37;
    std::minstd_rand random(c.bits * 100 + c.samplesPerPixel);
    std::vector<uint8_t> row(std::size_t{kWidth} * c.samplesPerPixel * c.bits / 8);
    for (bool keep16 : {false, true}) {
        for (int fill : {-1, 0x00, 0xFF}) {
            for (uint8_t& b : row) b = static_cast<uint8_t>(fill < 0 ? random() : fill);
            DecodedImage fast, plain;
            std::string error;
            const bool with16 = keep16 && c.bits == 16;
            ASSERT_TRUE(fast.Allocate(kWidth, 2, l.grey, with16, error));
            ASSERT_TRUE(plain.Allocate(kWidth, 2, l.grey, with16, error));
            ConvertTiffRow(row.data(), l, fast, 1);
            ConvertTiffRowPlain(row.data(), l, plain, 1);
            EXPECT_EQ(fast.display, plain.display) << "keep16 " << keep16 << " fill " << fill;
            EXPECT_EQ(fast.samples, plain.samples) << "keep16 " << keep16 << " fill " << fill;
        }
    }
}

constexpr uint16_t kBlack = PHOTOMETRIC_MINISBLACK, kWhite = PHOTOMETRIC_MINISWHITE,
                   kRgb = PHOTOMETRIC_RGB;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Layouts, TiffRows, ::testing::Values(
    RowCase{"Grey8", 8, 1, kBlack, -1, false},     RowCase{"Grey16", 16, 1, kBlack, -1, false},
    RowCase{"WhiteIsZero8", 8, 1, kWhite, -1, false}, RowCase{"WhiteIsZero16", 16, 1, kWhite, -1, false},
    RowCase{"GreyExtra8", 8, 2, kBlack, -1, false}, RowCase{"GreyAlpha16", 16, 2, kBlack, 1, true},
    RowCase{"Rgb8", 8, 3, kRgb, -1, false},         RowCase{"Rgb16", 16, 3, kRgb, -1, false},
    RowCase{"RgbExtra8", 8, 4, kRgb, -1, false},    RowCase{"RgbExtra16", 16, 5, kRgb, -1, false},
    RowCase{"Rgba8", 8, 4, kRgb, 3, false},         RowCase{"Rgba16Premultiplied", 16, 4, kRgb, 3, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace stillpix::codec
