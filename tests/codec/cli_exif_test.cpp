// `stillpix-cli exif` end to end, on a JPEG that ImageMagick wrote and exiftool tagged.
#include <cstdlib>

#include "tests/codec/codec_test_support.h"

namespace stillpix::test {
namespace {

class CliExif : public CodecTest {
protected:
    static std::string Cli() {
        // ctest names the build folder; run by hand, this binary sits in its tests/codec.
        const char* binary = std::getenv("STILLPIX_BINARY_DIR");
        const std::filesystem::path root =
            binary != nullptr
                ? std::filesystem::path(binary)
                : std::filesystem::read_symlink("/proc/self/exe").parent_path() / "../..";
        return (root / "app/stillpix-cli").string();
    }

    std::filesystem::path TaggedJpeg() {
        const auto file = File("camera.jpg");
        int status = 0;
        RunTool("/usr/bin/convert -size 64x48 gradient:orange-navy '" + file.string() +
                    "' && exiftool -q "
                    "-overwrite_original '-Make=NIKON CORPORATION' '-Model=NIKON D700' -ISO=1600 "
                    "-ExposureTime=1/60 "
                    "-FNumber=4 -ExposureCompensation=-0.67 '-DateTimeOriginal=2023:11:02 "
                    "18:30:00' -XResolution=300 "
                    "-YResolution=300 -ResolutionUnit=cm '-Software=Ver.1.02' '" +
                    file.string() + "'",
                &status);
        EXPECT_EQ(status, 0);
        return file;
    }
};

TEST_F(CliExif, PrintsRowsIsoAndDescriptor) {
    int status = -1;
    const std::string out = RunTool(Cli() + " exif '" + TaggedJpeg().string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out,
              "Make           NIKON CORPORATION\n"
              "Model          NIKON D700\n"
              "Width          64\n"
              "Height         48\n"
              "X Resolution   300 dpc\n"
              "Y Resolution   300 dpc\n"
              "ISO Speed      ISO 1600\n"
              "Aperture       f4.0\n"
              "Shutter Speed  1/60\n"
              "Exposure Bias  -0.67\n"
              "Date Created   2023:11:02 18:30:00\n"
              "Software       Ver.1.02\n"
              "Color Depth    24 bpp\n"
              "\n"
              "ISO speed: 1600\n"
              "\n"
              "Descriptor:\n"
              "  make              NIKON CORPORATION\n"
              "  model             NIKON D700\n"
              "  width             64\n"
              "  height            48\n"
              "  fNumber           4\n"
              "  exposureTime      0.016666666666666666\n"
              "  shutterSpeedApex  5.906890595608519\n"
              "  exposureTime2     0.016666666666666666\n"
              "  exposureBias      -670\n"
              "  xResolution       300\n"
              "  yResolution       300\n"
              "  isoSpeed          1600\n"
              "  dateTime          2023:11:02 18:30:00\n"
              "  software          Ver.1.02\n"
              "  digitalZoom       0\n");
}

TEST_F(CliExif, JsonAndFailures) {
    int status = -1;
    const std::string json =
        RunTool(Cli() + " exif --json '" + TaggedJpeg().string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(json.find("{\"label\": \"ISO Speed\", \"value\": \"ISO 1600\"}"), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"isoSpeed\": 1600,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"make\": \"NIKON CORPORATION\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"exposureBias\": -670"), std::string::npos) << json;

    WriteBytes(File("text.jpg"), {'h', 'i', '\n'});
    const std::string err =
        RunTool(Cli() + " exif '" + File("text.jpg").string() + "' 2>&1", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(err.find("cannot open"), std::string::npos) << err;
    RunTool(Cli() + " exif 2>/dev/null", &status);
    EXPECT_NE(status, 0);
    RunTool(Cli() + " exif --nonsense x.jpg 2>/dev/null", &status);
    EXPECT_NE(status, 0);
}

}  // namespace
}  // namespace stillpix::test
