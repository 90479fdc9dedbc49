// stillpix-cli batch run as a program in a temporary home (isolated_home.cpp): the stored batch
// record decides unless options override it, failures set the exit status, sources are never
// overwritten unasked, and an interrupt leaves only complete results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/run_report.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/persisted_settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/batch_record.h"
#include "tests/support/cli_run.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

test::CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), "batch");
    return test::RunCli(args);
}

std::string Counts(int processed, int failed, int skipped) {
    return "Images Processed Sucessfuly: " + std::to_string(processed) +
           "\nImages Failed: " + std::to_string(failed) +
           "\nImages Skipped: " + std::to_string(skipped) + "\n";
}

class CliBatch : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(UserSettingsFile());
        fs::remove_all(DefaultProfileFolder());
        fs::create_directories(Photos());
        test::WriteScene(Photos() / "a.jpg", 200, 150);
        test::WriteScene(Photos() / "b.tif", 200, 150, "-depth 16");
    }
    fs::path Photos() const { return dir_.Path() / "photos"; }

    test::TempFolder dir_;
};

TEST_F(CliBatch, TheStoredRecordDecides) {
    const BatchSettings stored = test::BatchRecord({.destination = kOtherLocation,
                                                    .path = dir_ / "out",
                                                    .suffix = "-x",
                                                    .format = kFormatPng});
    {
        QSettingsStore store(UserSettingsFile());
        ASSERT_TRUE(SaveBatchSettings(store, stored));
    }
    // One folder named three ways is queued once.
    const test::CliRun run =
        Cli({Photos().string(), Photos().string() + "/", (Photos() / ".").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::Identify(dir_.Path() / "out/a-x.png"), "PNG 8 srgb");
    EXPECT_EQ(test::Identify(dir_.Path() / "out/b-x.png"), "PNG 8 srgb");
    EXPECT_EQ(run.out.rfind("Batch processing has been completed in 0 min. ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(Counts(2, 0, 0)), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("Please wait while processing image 2 of 2: "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Format: PNG"), std::string::npos) << run.err;
}

TEST_F(CliBatch, OptionsOverrideAndFailuresCount) {
    test::WriteText(Photos() / "c.jpg", "not a picture");
    const fs::path missing = dir_.Path() / "missing.png";
    const test::CliRun run =
        Cli({Photos().string(), missing.string(), "--subfolder", "F", "--suffix", "", "--format",
             "tiff", "--tiff-depth", "48", "--preset", "Night Scene"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find(Counts(2, 2, 0)), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("failed: " + missing.string()), std::string::npos) << run.err;
    EXPECT_EQ(test::FolderNames(Photos() / "F"), (std::vector<std::string>{"a.tif", "b.tif"}));
    EXPECT_EQ(test::Identify(Photos() / "F/b.tif"), "TIFF 16 srgb");
    EXPECT_EQ(test::Identify(Photos() / "F/a.tif"), "TIFF 8 srgb");
    // The options were for this run: the stored record is not written.
    QSettingsStore store(UserSettingsFile());
    EXPECT_FALSE(store.ReadBytes(kOptionsGroup, kBatchValue).has_value());
}

TEST_F(CliBatch, SourcesAreOverwrittenOnlyWhenAsked) {
    const auto before = test::ReadFileBytes(Photos() / "a.jpg");
    test::CliRun run = Cli({Photos().string(), "--to", Photos().string(), "--suffix", ""});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--in-place"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadFileBytes(Photos() / "a.jpg"), before);
    run = Cli({(Photos() / "a.jpg").string(), "--in-place"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(test::ReadFileBytes(Photos() / "a.jpg"), before);
    EXPECT_EQ(test::Identify(Photos() / "a.jpg"), "JPEG 8 srgb");
    EXPECT_EQ(test::FolderNames(Photos()), (std::vector<std::string>{"a.jpg", "b.tif"}));
}

TEST_F(CliBatch, RecursiveSkipsHiddenFoldersAndEarlierResults) {
    fs::create_directories(Photos() / "day2/.cache");
    fs::copy_file(Photos() / "a.jpg", Photos() / "day2/c.jpg");
    fs::copy_file(Photos() / "a.jpg", Photos() / "day2/.cache/d.jpg");
    ASSERT_EQ(Cli({Photos().string(), "--subfolder", "Filtered"}).status, 0);
    const test::CliRun run = Cli({Photos().string(), "--subfolder", "Filtered", "--recursive"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(Counts(3, 0, 0)), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(Photos() / "day2/Filtered/c_filtered.jpg"));
    EXPECT_FALSE(fs::exists(Photos() / "day2/.cache/Filtered"));
    EXPECT_FALSE(fs::exists(Photos() / "Filtered/Filtered"));
}

TEST_F(CliBatch, UsageErrors) {
    const std::vector<std::vector<std::string>> lines = {
        {},
        {Photos().string(), "--subfolder", "F", "--to", "/tmp"},
        {Photos().string(), "--quality", "101"},
        {Photos().string(), "--format", "gif"},
        {Photos().string(), "--tiff-depth", "32"},
        {Photos().string(), "--suffix", "123456789012345678901"},
        {Photos().string(), "--preset", "No such preset"},
        {Photos().string(), "--sharpening", "9"},
        {Photos().string(), "--bogus"},
        {Photos().string(), "--shard", "2/2"},
        {Photos().string(), "--skip-done", (Photos() / "a.jpg").string()},
        {Photos().string(), "--report", (dir_.Path() / "no/such/folder/r.jsonl").string()},
    };
    for (const auto& line : lines) {
        const test::CliRun run = Cli(line);
        EXPECT_EQ(run.status, 2) << (line.empty() ? "" : line.back());
        EXPECT_NE(run.err.find("stillpix-cli batch: "), std::string::npos);
    }
    // Eleven characters, 22 bytes: the limit is the record's, in bytes, and says so.
    const std::string accents = Cli({Photos().string(), "--suffix", "ééééééééééé"}).err;
    EXPECT_NE(accents.find("--suffix takes at most 20 bytes"), std::string::npos) << accents;
    EXPECT_FALSE(fs::exists(Photos() / "Filtered"));
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

// Sharded runs resumed from their reports, merged afterwards, are run by
// cluster_recipes_test.sh; here the list and what a report line holds.
TEST_F(CliBatch, ListsShardsAndReportsEachFile) {
    test::WriteText(Photos() / "c.jpg", "not a picture");
    test::TagAsCamera(Photos() / "a.jpg", 400);
    const std::string report = (dir_.Path() / "r.jsonl").string();
    const std::string a = (Photos() / "a.jpg").string(), b = (Photos() / "b.tif").string(),
                      c = (Photos() / "c.jpg").string();
    EXPECT_EQ(Cli({Photos().string(), "--list"}).out, a + "\n" + b + "\n" + c + "\n");
    EXPECT_EQ(Cli({Photos().string(), "--list", "--shard", "1/2"}).out, b + "\n");

    const test::CliRun run = Cli({Photos().string(), "--shard", "0/2", "--report", report});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find(Counts(1, 1, 0)), std::string::npos) << run.out;
    const std::string lines = test::ReadText(report);
    const std::size_t end = lines.find('\n');
    BatchFileResult first, second;
    ASSERT_TRUE(ParseReportLine(lines.substr(0, end), first)) << lines;
    ASSERT_TRUE(ParseReportLine(lines.substr(end + 1, lines.size() - end - 2), second)) << lines;
    EXPECT_EQ(std::tuple(first.source, first.output, first.processed, first.profile),
              std::tuple(a, (Photos() / "Filtered/a_filtered.jpg").string(), true,
                         ProfileSource::kMeasured));
    EXPECT_EQ(std::tuple(second.source, second.processed, second.error.empty()),
              std::tuple(c, false, false));
}

TEST_F(CliBatch, InterruptLeavesOnlyCompleteResults) {
    test::WriteScene(Photos() / "w0.jpg", 1800, 1200);
    for (int i = 1; i < 8; ++i)
        fs::copy_file(Photos() / "w0.jpg", Photos() / ("w" + std::to_string(i) + ".jpg"));
    fs::remove(Photos() / "b.tif");
    // Interrupt as soon as the first result is written.
    const std::string err = (dir_.Path() / "err").string(), out = (dir_.Path() / "out").string();
    // The wait gives up when the program has ended or after 60 s, so it cannot hang the test.
    const std::string script =
        test::ShellQuoted(std::string(STILLPIX_CLI)) + " batch " + test::ShellQuoted(Photos()) +
        " >" + test::ShellQuoted(out) + " 2>" + test::ShellQuoted(err) +
        " & pid=$!; for i in $(seq 3000); do grep -q written " + test::ShellQuoted(err) +
        " && break; kill -0 $pid 2>/dev/null || break; sleep 0.02; done;"
        " kill -INT $pid; wait $pid; echo $?";
    const std::string status = test::RunShell("bash -c " + test::ShellQuoted(script));
    EXPECT_EQ(status, "1\n");
    const std::string text = test::ReadText(out);
    EXPECT_NE(text.find("Images Failed: 0"), std::string::npos) << text;
    EXPECT_EQ(text.find("Images Skipped: 0"), std::string::npos) << text;
    // Every file in the output folder is a whole picture, and no temporary file is left.
    const auto names = test::FolderNames(Photos() / "Filtered");
    EXPECT_FALSE(names.empty());
    EXPECT_LT(names.size(), 9u);
    for (const std::string& name : names) {
        EXPECT_NE(name.front(), '.') << name;
        EXPECT_EQ(test::Identify(Photos() / "Filtered" / name), "JPEG 8 srgb") << name;
    }
}

}  // namespace
}  // namespace stillpix
