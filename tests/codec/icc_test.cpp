// ICC profiles: names, embedding in every written format (read back by exiftool), and
// converting pixels between profiles.
#include "tests/codec/codec_test_support.h"
#include "tests/support/icc_profiles.h"

namespace stillpix::test {
namespace {

Picture Uniform(int width, int height, std::vector<uint16_t> pixel, bool sixteen) {
    Picture p{width, height, pixel.size() == 1, sixteen, {}};
    for (int i = 0; i < width * height; ++i)
        p.samples.insert(p.samples.end(), pixel.begin(), pixel.end());
    return p;
}

using Icc = CodecTest;

TEST_F(Icc, ProfileNames) {
    std::string name;
    ASSERT_TRUE(cGetICCProfileName(SrgbProfile(), name));
    EXPECT_EQ(name, "sRGB IEC61966-2.1");
    // The document hands the bytes over with one terminating zero byte.
    std::vector<uint8_t> withZero = WideRgbProfile("Test Wide RGB");
    withZero.push_back(0);
    ASSERT_TRUE(cGetICCProfileName(withZero, name));
    EXPECT_EQ(name, "Test Wide RGB");
    const std::vector<uint8_t> garbage(200, 0x41);
    EXPECT_FALSE(cGetICCProfileName(garbage, name));
    EXPECT_FALSE(cGetICCProfileName({}, name));
}

TEST_F(Icc, EmbeddedProfileSurvivesEveryWrittenFormat) {
    const std::vector<uint8_t> wide = WideRgbProfile("Test Wide RGB");
    CodecHandle h = HandOver(NoisePicture(12, 7, false, true));
    ASSERT_TRUE(cLoadICCProfile(*h, wide));
    ASSERT_TRUE(cSaveICCProfileEnabled(*h, true));
    for (const auto& [name, code] :
         {std::pair{"p.jpg", 90}, {"p.tif", kSaveCodeTiff}, {"p.png", kSaveCodePng}}) {
        ASSERT_TRUE(cSave(*h, File(name), code)) << cGetLastError(*h);
        EXPECT_EQ(ExifTool(File(name), "ICC_Profile:ProfileDescription"), "Test Wide RGB") << name;
        CodecHandle back = LoadFile(File(name));
        std::vector<uint8_t> embedded;
        ASSERT_TRUE(cGetImageICCProfile(*back, embedded)) << name;
        EXPECT_EQ(embedded, wide) << name;
    }
    // Without the switch no profile is written.
    ASSERT_TRUE(cSaveICCProfileEnabled(*h, false));
    ASSERT_TRUE(cSave(*h, File("none.png"), kSaveCodePng));
    CodecHandle back = LoadFile(File("none.png"));
    std::vector<uint8_t> embedded;
    EXPECT_FALSE(cGetImageICCProfile(*back, embedded));
}

TEST_F(Icc, ConvertingToSrgbAndBackKeepsTheColour) {
    for (bool sixteen : {false, true}) {
        const uint16_t scale = sixteen ? 257 : 1;
        // B, G, R: a red in the wide space lies outside sRGB's red.
        CodecHandle h = HandOver(Uniform(
            4, 3, {uint16_t(60 * scale), uint16_t(60 * scale), uint16_t(200 * scale)}, sixteen));
        const std::vector<uint8_t> wide = WideRgbProfile("Test Wide RGB");
        ASSERT_TRUE(cLoadICCProfile(*h, wide));
        ASSERT_TRUE(cApplyICCProfile(*h, SrgbProfile())) << cGetLastError(*h);
        const Picture srgb = ReadBack(*h);
        // The wide space's red is sRGB's red, but its scale is wider.
        EXPECT_GT(srgb.At(0, 0, 2), 215 * scale) << "sixteen " << sixteen;
        if (sixteen) {
            const uint8_t* bits = nullptr;
            ASSERT_TRUE(cGetBitsPtr(*h, bits));
            EXPECT_EQ(bits[2], srgb.At(0, 0, 2) >> 8);  // the display follows the samples
        }
        ASSERT_TRUE(cApplyICCProfile(*h, wide)) << cGetLastError(*h);
        const Picture back = ReadBack(*h);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(back.At(3, 2, c), (c == 2 ? 200 : 60) * scale, 2 * scale)
                << "channel " << c;
    }
}

TEST_F(Icc, GreyPixelsWorkWithGreyAndRgbProfiles) {
    CodecHandle h = HandOver(Uniform(3, 2, {128}, false));
    ASSERT_TRUE(cLoadICCProfile(*h, LinearGreyProfile("Test Linear Grey")));
    ASSERT_TRUE(cApplyICCProfile(*h, SrgbProfile())) << cGetLastError(*h);
    // Linear half intensity is about 188 on the sRGB curve.
    EXPECT_NEAR(ReadBack(*h).At(1, 1, 0), 188, 2);
    ImageInfo info;
    ASSERT_TRUE(cGetImageInfo(*h, info));
    EXPECT_TRUE(info.grey);

    // Colour pixels cannot be put in a grey profile.
    CodecHandle colour = HandOver(Uniform(2, 2, {10, 20, 30}, false));
    EXPECT_FALSE(cApplyICCProfile(*colour, LinearGreyProfile("Test Linear Grey")));
    EXPECT_FALSE(cGetLastError(*colour).empty());
    EXPECT_EQ(ReadBack(*colour).At(0, 0, 2), 30);
    const std::vector<uint8_t> garbage(300, 7);
    EXPECT_FALSE(cLoadICCProfile(*colour, garbage));
    EXPECT_FALSE(cApplyICCProfile(*colour, garbage));
}

}  // namespace
}  // namespace stillpix::test
