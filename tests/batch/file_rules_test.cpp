// The per-file rules of a batch run: output path, name, format, depth, quality and filter,
// worked out by hand from the batch settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/file_rules.h"
#include "tests/support/batch_record.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

BatchSettings Settings(int destination, const char* path, const char* suffix, int format,
                       int tiffDepth = kTiffDepth48) {
    return test::BatchRecord({destination, path, suffix, format, 77, 0, tiffDepth});
}
constexpr auto S = [](auto... fields) { return Settings(fields...); };  // for the tables

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
    EXPECT_EQ(std::tuple(plan.path, plan.format, plan.sixteenBits, plan.inPlace,
                         !plan.refusal.empty(), plan.jpegQuality),
              std::tuple(c.path, c.format, c.sixteen, c.inPlace, c.refused, 77))
        << plan.refusal;
}

using F = WrittenFormat;
// clang-format off
const OutputCase kOutputCases[] = {
    // Subfolder, suffix, format kept: the extension goes to lower case.
    {"/p/Photos/a.JPG", S(kSubfolder, "Filtered", "_filtered", kFormatKeep),
     "/p/Photos/Filtered/a_filtered.jpg", F::kJpeg, false, false, false},
    // Same location, no suffix: the source itself, written as its own extension says.
    {"/p/a.jpg", S(kSameAsSource, "", "", kFormatPng), "/p/a.jpg", F::kJpeg, false, true, false},
    {"/p/b.png", S(kSameAsSource, "", "", kFormatPng), "/p/b.png", F::kPng, false, true, false},
    {"/p/b.PNG", S(kSameAsSource, "", "", kFormatKeep), "/p/b.PNG", F::kPng, true, true, false},
    {"/p/c.TIF", S(kSameAsSource, "", "", kFormatKeep), "/p/c.TIF", F::kTiff, true, true, false},
    {"/p/noext", S(kSameAsSource, "", "", kFormatKeep), "/p/noext", F::kJpeg, false, true, false},
    // A BMP or GIF cannot be replaced by a file of its own format: refused, never JPEG bytes.
    {"/p/d.BMP", S(kSameAsSource, "", "", kFormatKeep), "/p/d.BMP", F::kJpeg, false, true, true},
    {"/p/e.gif", S(kOtherLocation, "", "", kFormatJpeg), "/p/e.gif", F::kJpeg, false, true, true},
    // A stale path under "Same As Source Location" does not count: still in place.
    {"/p/a.jpg", S(kSameAsSource, "Filtered", "", kFormatKeep), "/p/a.jpg", F::kJpeg, false, true, false},
    // Kept format with a BMP or GIF source and a suffix: a ".jpg" file.
    {"/p/d.bmp", S(kSameAsSource, "", "_s", kFormatKeep), "/p/d_s.jpg", F::kJpeg, false, false, false},
    {"/p/e.GIF", S(kSubfolder, "out", "", kFormatKeep), "/p/out/e.jpg", F::kJpeg, false, false, false},
    // Subfolder with an empty name: the source folder.
    {"/p/a.jpg", S(kSubfolder, "", "_s", kFormatKeep), "/p/a_s.jpg", F::kJpeg, false, false, false},
    {"/p/a.jpg", S(kSubfolder, "", "", kFormatKeep), "/p/a.jpg", F::kJpeg, false, true, false},
    // Other location, with and without a closing slash.
    {"/p/a.jpeg", S(kOtherLocation, "/out", "_s", kFormatKeep), "/out/a_s.jpeg", F::kJpeg, false, false, false},
    {"/p/a.jpe", S(kOtherLocation, "/out/", "_s", kFormatKeep), "/out/a_s.jpe", F::kJpeg, false, false, false},
    // Several dots, no extension, an empty title, a trailing dot.
    {"/p/a.b.c.TIFF", S(kSubfolder, "F", "_s", kFormatKeep), "/p/F/a.b.c_s.tiff", F::kTiff, true, false, false},
    {"/p/README", S(kSubfolder, "F", "_s", kFormatKeep), "/p/F/README_s.jpg", F::kJpeg, false, false, false},
    {"/p/.png", S(kSubfolder, "F", "_s", kFormatKeep), "/p/F/_s.jpg", F::kJpeg, false, false, false},
    {"/p/x.", S(kSubfolder, "F", "_s", kFormatKeep), "/p/F/x_s.jpg", F::kJpeg, false, false, false},
    {"/p/v1.2/a.png", S(kSubfolder, "F", "", kFormatPng), "/p/v1.2/F/a.png", F::kPng, false, false, false},
    // Chosen formats, and 16 bits only for TIFF or kept formats with "48(16) bpp*".
    {"/p/a.tif", S(kSubfolder, "F", "", kFormatTiff), "/p/F/a.tif", F::kTiff, true, false, false},
    {"/p/a.tif", S(kSubfolder, "F", "", kFormatTiff, kTiffDepth24), "/p/F/a.tif", F::kTiff, false, false, false},
    {"/p/a.tif", S(kSubfolder, "F", "", kFormatJpeg), "/p/F/a.jpg", F::kJpeg, false, false, false},
    {"/p/a.png", S(kSubfolder, "F", "", kFormatPng), "/p/F/a.png", F::kPng, false, false, false},
    {"/p/a.png", S(kSubfolder, "F", "", kFormatKeep), "/p/F/a.png", F::kPng, true, false, false},
    {"/p/a.jpg", S(kSubfolder, "F", "", 7), "/p/F/a.jpg", F::kJpeg, false, false, false}};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HandWorked, OutputRules, ::testing::ValuesIn(kOutputCases));

TEST(OutputRules, RelativeSourceUsesTheFolderTheFileSystemReports) {
    const OutputPlan plan = PlanOutput("a.jpg", Settings(kSubfolder, "F", "_s", kFormatKeep));
    EXPECT_EQ(plan.path, (std::filesystem::current_path() / "F" / "a_s.jpg").string());
}

TEST(OutputRules, OverwriteQuestion) {
    const std::vector<std::string> files = {"/p/a.jpg", "/p/b.JPG"};
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(kSameAsSource, "", "", kFormatKeep), files));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(kSubfolder, "", "", kFormatPng), files));
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(kSubfolder, "", "_s", kFormatKeep), files));
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(kSubfolder, "Filtered", "", kFormatKeep), files));
    // Another location that is the source folder replaces a.jpg without being "in place".
    EXPECT_FALSE(ReplacesSourcesInPlace(Settings(kOtherLocation, "/p", "", kFormatKeep)));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(kOtherLocation, "/p", "", kFormatKeep), files));
    EXPECT_TRUE(OverwriteQuestionNeeded(Settings(kOtherLocation, "/p/", "", kFormatKeep),
                                        {"/p/b.JPG", "/p/./a.jpg"}));
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(kOtherLocation, "/p", "", kFormatKeep),
                                         {"/p/b.JPG"}));  // b.jpg is another file
    EXPECT_FALSE(OverwriteQuestionNeeded(Settings(kOtherLocation, "/p", "", kFormatPng), files));
}

TEST(OutputRules, DestinationFolders) {
    test::TempFolder dir;
    std::string error;
    // A missing subfolder is made, one level only.
    OutputPlan plan = PlanOutput(dir / "a.jpg", Settings(kSubfolder, "Filtered", "", kFormatKeep));
    EXPECT_TRUE(PrepareOutputFolder(plan, error));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Filtered"));
    EXPECT_TRUE(PrepareOutputFolder(plan, error));  // existing: no error
    plan = PlanOutput(dir / "a.jpg", Settings(kSubfolder, "x/y", "", kFormatKeep));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    EXPECT_NE(error.find("x/y"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x"));
    // Another location whose parent is missing is not made.
    plan = PlanOutput(dir / "a.jpg",
                      Settings(kOtherLocation, (dir / "gone/out").c_str(), "", kFormatKeep));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    // A file in the way.
    test::WriteText(dir.Path() / "taken", "x");
    plan = PlanOutput(dir / "a.jpg", Settings(kSubfolder, "taken", "", kFormatKeep));
    EXPECT_FALSE(PrepareOutputFolder(plan, error));
    // (Read-only folders, which root writes anyway: tests/faults, as an unprivileged user.)
    // In place and the source folder need nothing.
    EXPECT_TRUE(PrepareOutputFolder(
        PlanOutput(dir / "a.jpg", Settings(kSameAsSource, "", "", kFormatKeep)), error));
}

TEST(OutputRules, FilterOfOneFile) {
    // The record's filter, an image open, the slot (none: the image's own filter); 15 slots.
    constexpr std::optional<int> kCurrent;
    // clang-format off
    for (const auto& [filter, imageOpen, slot] : {std::tuple{3, true, std::optional(3)},
             {14, false, 14}, {255, true, kCurrent}, {255, false, 0}, {15, true, kCurrent},
             {39, false, 0}, {-1, false, 0}})
        EXPECT_EQ(BatchFilterSlot(filter, 15, imageOpen), slot) << filter << " " << imageOpen;
    // clang-format on
}

}  // namespace
}  // namespace stillpix
