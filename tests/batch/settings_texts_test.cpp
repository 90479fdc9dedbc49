// The batch settings dialog's rules over the record, the pane's summary, and the progress
// window's texts and estimates, worked out by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "batch/batch_progress.h"
#include "batch/batch_settings_form.h"
#include "settings/app_settings.h"
#include "tests/support/batch_record.h"

namespace stillpix {
namespace {

PresetTable Filters(int count) {
    PresetTable table;
    table.count = count;
    table.slots[0].name = "Default", table.slots[1].name = "Landscape",
    table.slots[15].name = "Mine";
    return table;
}

struct SummaryCase {
    BatchSettings settings;
    const char* text;
};

class Summary : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(Summary, FourLines) {
    EXPECT_EQ(BatchSettingsSummary(GetParam().settings, Filters(16)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, Summary,
    ::testing::Values(
        SummaryCase{DefaultBatchSettings(AppSettings{}),
                    "Noise Filter: Default\r\nDestination: Subfolder "
                    "\"Filtered\"\r\nOutput File: Original + \"_filtered\"\r\n"
                    "Format: Same as original"},
        SummaryCase{test::BatchRecord({kSameAsSource, "", "", kFormatJpeg, 75, 255, kTiffDepth48}),
                    "Noise Filter: Current\r\nDestination: Same as source\r\nOutput "
                    "File: \r\nFormat: JPEG (75%)"},
        SummaryCase{test::BatchRecord({kOtherLocation, "/srv/out", "-nr", kFormatTiff, 90, 15,
                                       kTiffDepth48}),
                    "Noise Filter: Mine\r\nDestination: /srv/out\r\nOutput File: "
                    "Original + \"-nr\"\r\nFormat: TIFF (48 bpp)"},
        // A deleted custom filter names nothing; odd values give empty lines.
        SummaryCase{test::BatchRecord({kSubfolder, "", "", kFormatTiff, 0, 16, kTiffDepth24}),
                    "Noise Filter: \r\nDestination: Subfolder \"\"\r\nOutput File: "
                    "\r\nFormat: TIFF (24 bpp)"},
        SummaryCase{test::BatchRecord({5, "x", "", 9, 0, 1, kTiffDepth24}),
                    "Noise Filter: Landscape\r\nDestination: \r\nOutput File: \r\nFormat: "},
        SummaryCase{test::BatchRecord({kSameAsSource, "", "", kFormatPng, 0, 0, kTiffDepth24}),
                    "Noise Filter: Default\r\nDestination: Same as source\r\nOutput "
                    "File: \r\nFormat: PNG"}));

TEST(SettingsForm, OpensOnTheRecord) {
    BatchSettingsForm form = OpenBatchSettingsForm(
        test::BatchRecord({kOtherLocation, "/out", "_x", kFormatJpeg, 64, 3, 7}), 15);
    EXPECT_EQ(
        std::tie(form.specifyFilter, form.filterSelection, form.destination, form.subfolderText,
                 form.otherLocationText, form.addSuffix, form.suffixText, form.quality,
                 form.tiffDepthSelection),  // 7 is no depth
        std::tuple(true, 3, kOtherLocation, "", "/out", true, "_x", 64, kTiffDepth24));
    // "Use Current", and a filter past the list, open on the first entry with "Use Current".
    for (int filter : {255, 15, 39}) {
        form = OpenBatchSettingsForm(
            test::BatchRecord({kSubfolder, "Sub", "", kFormatKeep, 90, filter, kTiffDepth48}), 15);
        EXPECT_EQ(
            std::tie(form.specifyFilter, form.filterSelection, form.subfolderText, form.addSuffix),
            std::tuple(false, 0, "Sub", false))
            << filter;
    }
}

TEST(SettingsForm, EnablingFollowsTheRadios) {
    BatchSettingsForm form;
    form.destination = kSubfolder, form.format = kFormatTiff,
    form.tiffDepthSelection = kTiffDepth48;
    BatchSettingsEnabling on = EnablingFor(form);
    EXPECT_TRUE(on.subfolderText && on.tiffDepth && on.tiffDepthNote);
    EXPECT_FALSE(on.otherLocation || on.filterList || on.suffixText || on.quality);
    form.destination = kOtherLocation, form.format = kFormatJpeg;
    form.specifyFilter = form.addSuffix = true;
    on = EnablingFor(form);
    EXPECT_TRUE(on.otherLocation && on.filterList && on.suffixText && on.quality);
    EXPECT_FALSE(on.subfolderText || on.tiffDepth || on.tiffDepthNote);
    form.format = kFormatTiff, form.tiffDepthSelection = kTiffDepth24;
    EXPECT_FALSE(EnablingFor(form).tiffDepthNote);
}

TEST(SettingsForm, OkWritesTheControls) {
    BatchSettings current =
        test::BatchRecord({kSubfolder, "Filtered", "_filtered", kFormatKeep, 90, 0, kTiffDepth48});
    current.checksum = 1234;
    BatchSettingsForm form = OpenBatchSettingsForm(current, 15);
    form.suffixText = "abcdefghijklmnopqrstuvwxy";  // 25 characters: the first 20 are kept
    form.format = kFormatJpeg, form.quality = 55, form.specifyFilter = true,
    form.filterSelection = 4;
    BatchSettings s = AcceptBatchSettingsForm(form, current);
    EXPECT_EQ(s.suffix[20] | s.suffix[21] | s.suffix[22] | s.suffix[23], 0);
    EXPECT_EQ(std::tuple(std::string(s.suffix), s.outputFormat, s.jpegQuality, s.filter,
                         std::string(s.destinationPath), s.checksum),
              std::tuple("abcdefghijklmnopqrst", kFormatJpeg, 55, 4, "Filtered", 1234));

    // "Same As Original File Name" clears the suffix; the other location's box, not the
    // subfolder's, is taken for destination 2; destination 0 keeps no path.
    form.addSuffix = form.specifyFilter = false;
    form.destination = kOtherLocation;
    form.otherLocationText = std::string(300, 'd');
    s = AcceptBatchSettingsForm(form, current);
    EXPECT_STREQ(s.suffix, "");
    EXPECT_EQ(s.filter, kUseCurrentFilter);
    EXPECT_EQ(std::strlen(s.destinationPath), 259u);
    form.destination = kSameAsSource;
    s = AcceptBatchSettingsForm(form, current);
    EXPECT_STREQ(s.destinationPath, "");
    // An empty subfolder box is accepted as it is.
    form.destination = kSubfolder, form.subfolderText.clear();
    EXPECT_STREQ(AcceptBatchSettingsForm(form, current).destinationPath, "");
    // A suffix is cut before a character that would not fit whole (é is two bytes).
    form.addSuffix = true, form.suffixText = "1234567890123456789\xC3\xA9";
    EXPECT_STREQ(AcceptBatchSettingsForm(form, current).suffix, "1234567890123456789");
}

TEST(Progress, TimeTexts) {
    // clang-format off
    const std::pair<int64_t, const char*> cases[] = {{0, "0 min. 0 sec. "}, {999, "0 min. 0 sec. "},
        {59999, "0 min. 59 sec. "}, {65400, "1 min. 5 sec. "}, {3599999, "59 min. 59 sec. "},
        {3725000, "1 hr. 2 min. 5 sec. "}, {86400000, "24 hr. 0 min. 0 sec. "},
        {2138400000, "594 hr. 0 min. 0 sec. "}};
    // clang-format on
    for (const auto& [ms, text] : cases) EXPECT_EQ(FormatBatchTime(ms), text) << ms;
}

TEST(Progress, EstimatesAndBars) {
    // Files, ms elapsed, files done, ms left. 100 files after six hours on the first: the
    // product needs more than 32 bits; 3 of 3: after the last file; 7000 / 3 = 2333, truncated.
    const int64_t remaining[][4] = {{100, 21'600'000, 1, 2'138'400'000},
                                    {3, 1000, 2, 500},
                                    {3, 1001, 3, 0},
                                    {3, 0, 0, 0},
                                    {7, 1000, 3, 1333}};
    for (const auto& r : remaining)
        EXPECT_EQ(RemainingMilliseconds(r[0], r[1], r[2]), r[3]) << r[0];
    // Done, total, percent; the last: no 32-bit overflow of done x 100.
    const int positions[][3] = {
        {1, 3, 33}, {2, 3, 66}, {3, 3, 100}, {0, 0, 0}, {30'000'000, 30'000'000, 100}};
    for (const auto& p : positions) EXPECT_EQ(OverallPosition(p[0], p[1]), p[2]) << p[0];
}

// The file and count labels are checked on a real run in batch_runner_test.cpp.
TEST(Progress, Summary) {
    const BatchCounts counts = CountBatch(3, 2, 1);
    EXPECT_EQ(counts.skipped, 0);
    EXPECT_EQ(CountBatch(10, 0, 0).skipped, 10);
    EXPECT_EQ(BatchCompletedText("1 min. 5 sec. "),
              "Batch processing has been completed in 1 min. 5 sec. ");
    EXPECT_EQ(BatchSummaryText("0 min. 3 sec. ", counts),
              "Batch processing has been completed in 0 min. 3 sec. \n"
              "Images Processed Sucessfuly: 2\nImages Failed: 1\nImages Skipped: 0\n");
}

}  // namespace
}  // namespace stillpix
