// stillpix-cli denoise end to end, in a temporary home (isolated_home.cpp): the error against
// the clean picture drops and bad input fails with a clear status. The metadata it keeps is the
// round-trip test's (tests/codec/metadata_roundtrip_test.cpp).
#include "document_fixture.h"
#include "platform/user_paths.h"

namespace stillpix::test {
namespace {

std::string Cli(const std::string& arguments, int* status) {
    return RunShell(ShellQuoted(std::string(STILLPIX_CLI)) + " denoise " + arguments + " 2>&1",
                    status);
}

struct DenoiseCase {
    const char* noisy;
    const char* depthOption;
    const char* out;
    const char* extra;
    const char* formatDepthAndCompression;  // ImageMagick's %m:%z:%C of the result
};

class CliDenoise : public DocumentTest, public ::testing::WithParamInterface<DenoiseCase> {};

TEST_P(CliDenoise, LowersTheError) {
    const DenoiseCase& c = GetParam();
    const auto clean = File("clean.png"), noisy = File(c.noisy), out = File(c.out);
    WriteScene(clean, 320, 240, c.depthOption);
    Convert(ShellQuoted(clean) + " -seed 5 -attenuate 0.6 +noise Gaussian " + c.depthOption +
            " -quality 95 " + ShellQuoted(noisy));
    int status = -1;
    const std::string log =
        Cli(ShellQuoted(noisy) + " -o " + ShellQuoted(out) + " " + c.extra, &status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_NE(log.find("denoised"), std::string::npos) << log;
    EXPECT_EQ(Identify(out, "%m:%z:%C"), c.formatDepthAndCompression);
    const double before = Rmse(clean, noisy), after = Rmse(clean, out);
    EXPECT_LT(after, before * 0.6) << before << " -> " << after;
}

INSTANTIATE_TEST_SUITE_P(EightAndSixteenBits, CliDenoise,
                         ::testing::Values(DenoiseCase{"noisy.jpg", "-depth 8", "out.jpg",
                                                       "--quality 97", "JPEG:8:JPEG"},
                                           DenoiseCase{"noisy.tif", "-depth 16", "out.tif",
                                                       "--tiff-depth 48 --no-learn "
                                                       "--tiff-compression lzw",
                                                       "TIFF:16:LZW"}));

TEST_F(DocumentTest, DenoiseNamesTheResultAfterTheSourceAndLearns) {
    const auto in = File("shot.png");
    WriteScene(in, 200, 150, "-attenuate 0.5 +noise Gaussian");
    TagAsCamera(in, 400);
    int status = -1;
    const std::string log = Cli(ShellQuoted(in), &status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_EQ(Identify(File("shot_filtered.jpg"), "%m"), "JPEG");
    // The measured profile went into the user's learned store.
    EXPECT_TRUE(std::filesystem::exists(DefaultProfileFolder() / "sxprofiles.sxp"));
}

struct FailureCase {
    const char* arguments;  // {} is the folder
    int status;
    const char* message;
};
class CliDenoiseFailures : public DocumentTest,
                           public ::testing::WithParamInterface<FailureCase> {};
TEST_P(CliDenoiseFailures, FailWithAClearMessage) {
    WriteFileBytes(File("broken.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0});
    WriteScene(File("fine.png"), 20, 20);
    std::string arguments = GetParam().arguments;
    for (std::size_t at; (at = arguments.find("{}")) != std::string::npos;)
        arguments.replace(at, 2, folder_.Path().string());
    int status = -1;
    const std::string log = Cli(arguments, &status);
    EXPECT_EQ(status, GetParam().status) << log;
    EXPECT_NE(log.find(GetParam().message), std::string::npos) << log;
}
INSTANTIATE_TEST_SUITE_P(
    BadInput, CliDenoiseFailures,
    ::testing::Values(FailureCase{"{}/missing.jpg", 1, "Failed to open document."},
                      FailureCase{"{}/broken.png", 1, "Unsupported format or file not found."},
                      FailureCase{"{}/fine.png -o {}/nowhere/out.jpg", 1, "Failed to save file \""},
                      FailureCase{"{}/fine.png --quality 101", 2,
                                  "--quality expects a whole number from 0 to 100"},
                      FailureCase{"{}/fine.png --icc maybe", 2, "--icc expects apply or keep"},
                      FailureCase{"{}/fine.png --tiff-compression zip", 2,
                                  "--tiff-compression expects deflate, lzw or none"},
                      FailureCase{"{}/fine.png --preset Nonesuch", 2, "no preset \"Nonesuch\""},
                      FailureCase{"{}/fine.png --sharpness 2", 2, "unknown option --sharpness"}));

}  // namespace
}  // namespace stillpix::test
