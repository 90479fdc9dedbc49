// The per-file rules of a batch run: output path, name, format, depth, quality and filter,
// worked out by hand from the batch settings.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "batch/file_rules.h"
#include "settings/record_codec.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

BatchSettings Settings(int destination, const char* path, const char* suffix, int format,
                       int tiffDepth = 1) {
    BatchSettings s;
    s.destination = destination;
    std::memset(s.destinationPath, 0, sizeof s.destinationPath);
    std::strcpy(s.destinationPath, path);
    std::strcpy(s.suffix, suffix);
    s.outputFormat = format;
    s.tiffDepth = tiffDepth;
    s.jpegQuality = 77;
    return s;
}

// A record read from the store whose destination, format and TIFF depth hold these values.
BatchSettings Stored(int32_t destination, int32_t format, int32_t tiffDepth) {
    auto bytes = EncodeBatchSettings(Settings(1, "Filtered", "_s", 0));
    PutI32(bytes, offsetof(BatchSettings, destination), destination);
    PutI32(bytes, offsetof(BatchSettings, outputFormat), format);
    PutI32(bytes, offsetof(BatchSettings, tiffDepth), tiffDepth);
    PutI32(bytes, 0, static_cast<int32_t>(RecordChecksum(bytes, kBatchSettingsRun)));
    BatchSettings settings;
    EXPECT_TRUE(DecodeBatchSettings(bytes, settings));
    settings.jpegQuality = 77;
    return settings;
}

struct OutputCase {
    const char* source;
    BatchSettings settings;
    const char* path;
    WrittenFormat format;
    bool sixteen;
    bool inPlace;
    bool refused;
};

class OutputRules : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputRules, NameFormatAndDepth) {
    const OutputCase& c = GetParam();
    const OutputPlan plan = PlanOutput(c.source, c.settings);
    EXPECT_EQ(plan.path, c.path);
    EXPECT_EQ(plan.format, c.format);
    EXPECT_EQ(plan.sixteenBits, c.sixteen);
    EXPECT_EQ(plan.inPlace, c.inPlace);
    EXPECT_EQ(!plan.refusal.empty(), c.refused) << plan.refusal;
    EXPECT_EQ(plan.jpegQuality, 77);
}

using F = WrittenFormat;
INSTANTIATE_TEST_SUITE_P(
    HandWorked, OutputRules,
    ::testing::Values(
        // Subfolder, suffix, format kept: the extension goes to lower case.
        OutputCase{"/p/Photos/a.JPG", Settings(1, "Filtered", "_filtered", 0),
                   "/p/Photos/Filtered/a_filtered.jpg", F::kJpeg, false, false, false},
        // Same location, no suffix: the source itself, written as its own extension says.
        OutputCase{"/p/a.jpg", Settings(0, "", "", 1), "/p/a.jpg", F::kJpeg, false, true, false},
        OutputCase{"/p/b.png", Settings(0, "", "", 1), "/p/b.png", F::kPng, false, true, false},
        OutputCase{"/p/b.PNG", Settings(0, "", "", 0), "/p/b.PNG", F::kPng, true, true, false},
        OutputCase{"/p/c.TIF", Settings(0, "", "", 0), "/p/c.TIF", F::kTiff, true, true, false},
        OutputCase{"/p/noext", Settings(0, "", "", 0), "/p/noext", F::kJpeg, false, true, false},
        // A BMP or GIF cannot be replaced by a file of its own format: refused, never JPEG bytes.
        OutputCase{"/p/d.BMP", Settings(0, "", "", 0), "/p/d.BMP", F::kJpeg, false, true, true},
        OutputCase{"/p/e.gif", Settings(2, "", "", 2), "/p/e.gif", F::kJpeg, false, true, true},
        // A stale path under "Same As Source Location" does not count: still in place.
        OutputCase{"/p/a.jpg", Settings(0, "Filtered", "", 0), "/p/a.jpg", F::kJpeg, false, true,
                   false},
        // Kept format with a BMP or GIF source and a suffix: a ".jpg" file.
        OutputCase{"/p/d.bmp", Settings(0, "", "_s", 0), "/p/d_s.jpg", F::kJpeg, false, false,
                   false},
        OutputCase{"/p/e.GIF", Settings(1, "out", "", 0), "/p/out/e.jpg", F::kJpeg, false, false,
                   false},
        // A stored record's unknown destination, format and depth (Stored): the source's folder,
        // JPEG, 24 bits.
        OutputCase{"/p/a.TIF", Stored(3, 4, 2), "/p/a_s.jpg", F::kJpeg, false, false, false},
        // Subfolder with an empty name: the source folder.
        OutputCase{"/p/a.jpg", Settings(1, "", "_s", 0), "/p/a_s.jpg", F::kJpeg, false, false,
                   false},
        OutputCase{"/p/a.jpg", Settings(1, "", "", 0), "/p/a.jpg", F::kJpeg, false, true, false},
        // Other location, with and without a closing slash.
        OutputCase{"/p/a.jpeg", Settings(2, "/out", "_s", 0), "/out/a_s.jpeg", F::kJpeg, false,
                   false, false},
        OutputCase{"/p/a.jpe", Settings(2, "/out/", "_s", 0), "/out/a_s.jpe", F::kJpeg, false,
                   false, false},
        // Several dots, no extension, an empty title, a trailing dot.
        OutputCase{"/p/a.b.c.TIFF", Settings(1, "F", "_s", 0), "/p/F/a.b.c_s.tiff", F::kTiff, true,
                   false, false},
        OutputCase{"/p/README", Settings(1, "F", "_s", 0), "/p/F/README_s.jpg", F::kJpeg, false,
                   false, false},
        OutputCase{"/p/.png", Settings(1, "F", "_s", 0), "/p/F/_s.jpg", F::kJpeg, false, false,
                   false},
        OutputCase{"/p/x.", Settings(1, "F", "_s", 0), "/p/F/x_s.jpg", F::kJpeg, false, false,
                   false},
        OutputCase{"/p/v1.2/a.png", Settings(1, "F", "", 1), "/p/v1.2/F/a.png", F::kPng, false,
                   false, false},
        // Chosen formats, and 16 bits only for TIFF or kept formats with "48(16) bpp*".
        OutputCase{"/p/a.tif", Settings(1, "F", "", 3), "/p/F/a.tif", F::kTiff, true, false, false},
        OutputCase{"/p/a.tif", Settings(1, "F", "", 3, 0), "/p/F/a.tif", F::kTiff, false, false,
                   false},
        OutputCase{"/p/a.tif", Settings(1, "F", "", 2), "/p/F/a.jpg", F::kJpeg, false, false,
                   false},
        OutputCase{"/p/a.png", Settings(1, "F", "", 1), "/p/F/a.png", F::kPng, false, false, false},
        OutputCase{"/p/a.png", Settings(1, "F", "", 0), "/p/F/a.png", F::kPng, true, false, false},
        OutputCase{"/p/a.jpg", Settings(1, "F", "", 7), "/p/F/a.jpg", F::kJpeg, false, false,
                   false}));

TEST(OutputRules, RelativeSourceUsesTheFolderTheFileSystemReports) {
    const OutputPlan plan = PlanOutput("a.jpg", Settings(1, "F", "_s", 0));
    EXPECT_EQ(plan.path, (std::filesystem::current_path() / "F" / "a_s.jpg").string());
}

TEST(OutputRules, OverwriteQuestion) {
    const std::vector<std::string> files = {"/p/a.jpg", "/p/b.JPG"};
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(0, "", "", 0), files));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(1, "", "", 1), files));
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(1, "", "_s", 0), files));
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(1, "Filtered", "", 0), files));
    // Another location that is the source folder replaces a.jpg without being "in place".
    EXPECT_FALSE(ReplacesSourcesInPlace(Settings(2, "/p", "", 0)));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(2, "/p", "", 0), files));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(2, "/p/", "", 0), {"/p/b.JPG", "/p/./a.jpg"}));
    EXPECT_FALSE(
        OverwriteQuestionNeeded(Settings(2, "/p", "", 0), {"/p/b.JPG"}));  // b.jpg is another file
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(2, "/p", "", 1), files));
}

TEST(OutputRules, DestinationFolders) {
    test::TempFolder dir;
    std::string error;
    // A missing subfolder is made, one level only.
    OutputPlan plan = PlanOutput(dir / "a.jpg", Settings(1, "Filtered", "", 0));
    EXPECT_TRUE(PrepareOutputFolder(plan, error));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Filtered"));
    EXPECT_TRUE(PrepareOutputFolder(plan, error));  // existing: no error
    plan = PlanOutput(dir / "a.jpg", Settings(1, "x/y", "", 0));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    EXPECT_NE(error.find("x/y"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x"));
    // Another location whose parent is missing is not made.
    plan = PlanOutput(dir / "a.jpg", Settings(2, (dir / "gone/out").c_str(), "", 0));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    // A file in the way.
    test::WriteText(dir.Path() / "taken", "x");
    plan = PlanOutput(dir / "a.jpg", Settings(1, "taken", "", 0));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    // A folder that refuses a new entry.
    std::filesystem::create_directory(dir.Path() / "locked");
    ::chmod((dir / "locked").c_str(), 0500);
    plan = PlanOutput(dir / "locked/a.jpg", Settings(1, "F", "", 0));
    if (::geteuid() != 0) {
        EXPECT_FALSE(PrepareOutputFolder(plan, error));
    }
    ::chmod((dir / "locked").c_str(), 0700);
    // In place and the source folder need nothing.
    EXPECT_TRUE(PrepareOutputFolder(PlanOutput(dir / "a.jpg", Settings(0, "", "", 0)), error));
}

struct FilterCase {
    int32_t filter;
    int count;
    bool imageOpen;
    std::optional<int> slot;
};

TEST(OutputRules, FilterOfOneFile) {
    const FilterCase cases[] = {
        {3, 15, true, 3},    {14, 15, false, 14},          {255, 15, true, std::nullopt},
        {255, 15, false, 0}, {15, 15, true, std::nullopt}, {39, 15, false, 0},
        {-1, 15, false, 0},
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(BatchFilterSlot(c.filter, c.count, c.imageOpen), c.slot)
            << c.filter << " " << c.imageOpen;
}

}  // namespace
}  // namespace stillpix
