// Hostile inputs made on the spot (no big files in the repository: the large ones are sparse), fed
// to stillpix-cli under an address-space limit and a time limit: each is refused at once with its
// reason, exit status 1, and nothing is written.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "tests/support/cli_run.h"
#include "tests/support/hostile_files.h"

namespace stillpix::test {
namespace {

// 1 GiB of address space: far more than a refusal needs, far less than the images claim.
const std::string kLimits = "prlimit --as=1073741824 timeout 60";

struct HostileCase {
    const char* what;
    std::function<void(const TempFolder&)> make;  // writes "in" in the folder
    std::vector<std::string> args;                // "IN" and "OUT" stand for the files
    std::string says;
};

class HostileCli : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileCli, IsRefusedWithItsReasonAndWritesNothing) {
    if (kSanitizedBuild) GTEST_SKIP() << "no address-space limit under a sanitizer";
    const HostileCase& c = GetParam();
    const TempFolder folder;
    c.make(folder);
    std::vector<std::string> args;
    for (const std::string& arg : c.args)
        args.push_back(arg == "IN" ? folder / "in" : arg == "OUT" ? folder / "out.jpg" : arg);
    const CliRun run = RunCli(args, kLimits);
    EXPECT_EQ(run.status, 1) << c.what << "\n" << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << "\n" << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.jpg")) << c.what;
}

const auto kFifo = [](const TempFolder& f) { ASSERT_EQ(::mkfifo((f / "in").c_str(), 0600), 0); };
const auto kNeeds = "image: needs ";

const auto kNothing = [](const TempFolder&) {};
const std::vector<std::string> kDenoise = {"denoise", "IN", "-o", "OUT"};

// clang-format off
const HostileCase kCases[] = {
    {"FIFO to denoise", kFifo, kDenoise, "a FIFO"},
    {"FIFO to exif", kFifo, {"exif", "IN"}, "not a regular file (a FIFO)"},
    {"FIFO to profile", kFifo, {"profile", "IN"}, "not a regular file (a FIFO)"},
    {"/dev/zero to profile", kNothing, {"profile", "/dev/zero"},
     "/dev/zero: not a regular file (a character device)"},
    {"7 GiB PPM", [](const TempFolder& f) { WriteSparse(f / "in", "P6\n2 2\n255\n", 7ull << 30); },
     {"profile", "IN"}, "too large (7.0 GiB, at most 6.0 GiB)"},
    {"3.2 GB PPM", [](const TempFolder& f) { WriteSparse(f / "in", "P6\n65535 16384\n255\n", 3221176338); },
     {"profile", "IN", "-o", "OUT"}, "not enough memory to measure it: needs "},
    {"PNG of 12000 x 12000 in 420 KB",
     [](const TempFolder& f) { WriteFileBytes(f / "in", HugePng(12000)); }, kDenoise, kNeeds},
    {"JPEG of 12000 x 12000 in 36 KB of comments",
     [](const TempFolder& f) { WriteFileBytes(f / "in", HugeJpeg(f.Path(), 12000)); }, kDenoise,
     "too short for its declared size of 12000 x 12000"},
    {"GIF screen of 12000 x 12000 in 36 KB",
     [](const TempFolder& f) { WriteFileBytes(f / "in", HugeGif(12000)); }, kDenoise, kNeeds},
    {"BMP of 12000 x 12000", [](const TempFolder& f) { WriteHugeBmp(f / "in", 12000); }, kDenoise, kNeeds},
    {"missing file", kNothing, kDenoise, "No such file or directory"},
    {"save into a missing folder",
     [](const TempFolder& f) {
         ASSERT_TRUE(Shell("/usr/bin/convert -size 64x48 xc:gray " + ShellQuoted(f / "in.png")));
         std::filesystem::rename(f / "in.png", f / "in");
     },
     {"denoise", "IN", "-o", "/nonexistent-folder/out.jpg"}, "No such file or directory"}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Inputs, HostileCli, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.what; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
});

// A batch records the refusal as the file's failure and goes on with the next file.
TEST(HostileCliInfo, BatchFailsTheFileWithTheFigures) {
    if (kSanitizedBuild) GTEST_SKIP() << "no address-space limit under a sanitizer";
    const TempFolder folder;
    WriteFileBytes(folder / "huge.png", HugePng(12000));
    ASSERT_TRUE(Shell("/usr/bin/convert -size 64x48 xc:gray " + ShellQuoted(folder / "small.png")));
    const CliRun run = RunCli(
        {"batch", folder / "huge.png", folder / "small.png", "--to", folder / "out"}, kLimits);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE((run.out + run.err).find("huge.png: 12000 x 12000 image: needs "), std::string::npos)
        << run.out << run.err;
    const auto written = FolderNames(folder / "out");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].rfind("small", 0), 0u) << written[0];
}

// Sizes and metadata come from the headers: the huge files cost exif nothing.
TEST(HostileCliInfo, ExifReadsHeadersOnly) {
    if (kSanitizedBuild) GTEST_SKIP() << "no address-space limit under a sanitizer";
    const TempFolder folder;
    WriteFileBytes(folder / "in.png", HugePng(30000));
    WriteHugeBmp(folder / "in.bmp", 30000);
    for (const char* name : {"in.png", "in.bmp"}) {
        const CliRun run = RunCli({"exif", folder / name}, "prlimit --as=536870912 timeout 60");
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_NE(run.out.find("30000"), std::string::npos) << name << run.out;
    }
}

// A settings file of 2 GiB is neither read nor rewritten: the defaults show, a change fails
// with the reason, and the file stays as it was.
TEST(HostileCliInfo, OversizedSettingsFile) {
    if (kSanitizedBuild) GTEST_SKIP() << "no address-space limit under a sanitizer";
    const std::string file =
        std::string(getenv("XDG_CONFIG_HOME")) + "/Veltrano/Stillpix Professional Edition.conf";
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    WriteSparse(file, "[Options]\n", 2ull << 30);
    const CliRun list = RunCli({"options"}, kLimits);
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.err.find("too large for a settings file (2.0 GiB"), std::string::npos)
        << list.err;
    const CliRun set = RunCli({"options", "set", "JPEG Quality", "80"}, kLimits);
    EXPECT_EQ(set.status, 1);
    EXPECT_NE(set.err.find("cannot write"), std::string::npos) << set.err;
    EXPECT_EQ(std::filesystem::file_size(file), 2ull << 30);
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace stillpix::test
