// `stillpix-cli exif` end to end, on a JPEG that ImageMagick wrote and exiftool tagged.
#include "tests/codec/codec_test_support.h"
#include "tests/support/cli_run.h"

namespace stillpix::test {
namespace {

class CliExif : public CodecTest {
protected:
    std::string TaggedJpeg() {
        const std::string file = File("camera.jpg").string();
        EXPECT_TRUE(Shell("/usr/bin/convert -size 64x48 gradient:orange-navy " + ShellQuoted(file) +
                          " && exiftool -q -overwrite_original '-Make=NIKON CORPORATION'"
                          " '-Model=NIKON D700' -ISO=1600 -ExposureTime=1/60 -FNumber=4"
                          " -ExposureCompensation=-0.67 '-DateTimeOriginal=2023:11:02 18:30:00'"
                          " -XResolution=300 -YResolution=300 -ResolutionUnit=cm"
                          " '-Software=Ver.1.02' " +
                          ShellQuoted(file)));
        return file;
    }
};

TEST_F(CliExif, PrintsRowsIsoAndDescriptor) {
    const CliRun run = RunCli({"exif", TaggedJpeg()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
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
    const CliRun run = RunCli({"exif", "--json", TaggedJpeg()});
    EXPECT_EQ(run.status, 0);
    const std::string& json = run.out;
    EXPECT_NE(json.find("{\"label\": \"ISO Speed\", \"value\": \"ISO 1600\"}"), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"isoSpeed\": 1600,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"make\": \"NIKON CORPORATION\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"exposureBias\": -670"), std::string::npos) << json;

    WriteText(File("text.jpg"), "hi\n");
    const CliRun text = RunCli({"exif", File("text.jpg")});
    EXPECT_NE(text.status, 0);
    EXPECT_NE(text.err.find("cannot open"), std::string::npos) << text.err;
    EXPECT_NE(RunCli({"exif"}).status, 0);
    EXPECT_NE(RunCli({"exif", "--nonsense", "x.jpg"}).status, 0);
}

}  // namespace
}  // namespace stillpix::test
