// CMYK JPEGs open through their own profile; TIFF files keep their stored rows and 16 bits
// whatever their orientation, and one declaring tiles far bigger than itself is refused before
// anything is allocated.
#include <cmath>

#include "tests/codec/codec_test_support.h"
#include "tests/exif/tiff_block_writer.h"
#include "tests/support/cli_run.h"
#include "tests/support/icc_profiles.h"

namespace stillpix::test {
namespace {

// A press-like CMYK profile: inks that darken more than the plain formula says (dot gain), so a
// conversion that ignores the profile shows.
std::vector<uint8_t> PressCmykProfile() {
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM toLab =
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        grid,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
            double rgb[3];
            const double k = in[3] / 65535.0;
            for (int c = 0; c < 3; ++c) rgb[c] = std::pow((1 - in[c] / 65535.0) * (1 - k), 1.4);
            cmsCIELab value;
            cmsDoTransform(cargo, rgb, &value, 1);
            cmsFloat2LabEncoded(out, &value);
            return 1;
        },
        toLab, 0);
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, grid);
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(lut);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return ProfileBytes(profile, "Test Press CMYK");
}

double Psnr(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (a[i] - b[i]);
    return 10 * std::log10(255.0 * 255.0 * a.size() / std::max(sum, 1e-9));
}

using CmykAndTiff = CodecTest;

TEST_F(CmykAndTiff, CmykJpegOpensThroughItsProfileAsImageMagickConvertsIt) {
    const auto jpeg = File("cmyk.jpg"), plain = File("plain.jpg"), icc = File("press.icc");
    WriteFileBytes(icc, PressCmykProfile());
    WriteFileBytes(File("srgb.icc"), SrgbProfile());
    ASSERT_TRUE(
        Shell("/usr/bin/convert -size 64x48 gradient:orange-navy -colorspace CMYK "
              "-quality 95 " +
              ShellQuoted(plain) + " && cp " + ShellQuoted(plain) + " " + ShellQuoted(jpeg) +
              " && exiftool -q -overwrite_original '-ICC_Profile<=" + icc.string() + "' " +
              ShellQuoted(jpeg)));
    const std::string toSrgb = " -profile " + ShellQuoted(File("srgb.icc")) + " ";
    ASSERT_TRUE(
        Shell("/usr/bin/convert " + ShellQuoted(jpeg) + toSrgb + ShellQuoted(File("im.png"))));
    const std::vector<uint16_t> reference = MagickPixels(File("im.png"), false, 8);

    CodecHandle h = LoadFile(jpeg);
    const std::vector<uint16_t> ours = InRgbOrder(ReadBack(*h));
    ASSERT_EQ(ours.size(), reference.size());
    const double profiled = Psnr(ours, reference);
    // Without the profile the plain formula gives visibly other colours.
    const double formula = Psnr(InRgbOrder(ReadBack(*LoadFile(plain))), reference);
    EXPECT_GT(profiled, 40.0);
    EXPECT_GT(profiled, formula + 10.0) << formula;
    // The pixels are sRGB now: the CMYK profile is not theirs to carry or to be asked about.
    std::vector<uint8_t> profile;
    EXPECT_FALSE(cGetImageICCProfile(*h, profile));
}

TEST_F(CmykAndTiff, TiffOrientationsKeepTheStoredSixteenBitRows) {
    const Picture picture = NoisePicture(12, 7, false, true, 3);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const auto file = File("o" + std::to_string(orientation) + ".tif");
        ASSERT_TRUE(cSave(*HandOver(picture), file, kSaveCodeTiff));
        ASSERT_TRUE(Shell("exiftool -q -overwrite_original -Orientation#=" +
                          std::to_string(orientation) + " " + ShellQuoted(file)));
        CodecHandle back = LoadFile(file);
        const Picture read = ReadBack(*back);
        EXPECT_TRUE(read.sixteen) << orientation;
        EXPECT_EQ(read.samples, picture.samples) << orientation;
    }
}

TEST_F(CmykAndTiff, TilesFarBiggerThanTheImageAreRefusedBeforeAnyAllocation) {
    // 16 x 16 pixels in one tile declared 65536 x 65536: 12 GiB if allocated as declared.
    TiffBlockWriter w(false);
    w.TiffHeader();
    w.Directory(
        {w.Long(0x0100, {16}), w.Long(0x0101, {16}), w.Short(0x0102, {8, 8, 8}),
         w.Short(0x0103, {1}), w.Short(0x0106, {2}), w.Short(0x0115, {3}), w.Long(0x0142, {65536}),
         w.Long(0x0143, {65536}), w.Long(0x0144, {200}), w.Long(0x0145, {768})},
        0);
    std::vector<uint8_t> bytes = w.Bytes();
    bytes.resize(200 + 768, 0x80);
    const auto file = File("tiles.tif"), out = File("out.jpg");
    WriteFileBytes(file, bytes);
    CodecHandle h = cNewSession();
    EXPECT_FALSE(cLoadImage(*h, file));
    EXPECT_NE(cGetLastError(*h).find("tiles of 65536 x 65536"), std::string::npos)
        << cGetLastError(*h);
    EXPECT_FALSE(cLoadThumbnailEx(*h, file, 64, 64));
    // The program under a 1 GiB address-space limit (none under a sanitizer): refused with the
    // reason, nothing written.
    int status = 0;
    const std::string limit = kSanitizedBuild ? "" : "prlimit --as=1073741824 ";
    const std::string err =
        RunShell(limit + ShellQuoted(std::string(STILLPIX_CLI)) + " denoise " + ShellQuoted(file) +
                     " -o " + ShellQuoted(out) + " --no-learn 2>&1 >/dev/null",
                 &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("tiles of 65536 x 65536"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace stillpix::test
