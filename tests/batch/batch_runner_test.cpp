// The batch runner end to end on a temporary folder of small pictures of mixed formats and
// depths: what it records, what it writes (read back with identify and exiftool), failures that
// lose nothing, stopping between tiles, the filter choice and idle priority. The worker routine
// on the document's worker is run by batch_window_run_test.cpp; outputs its user may not write,
// full disks and killed runs by tests/faults.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>

#include "batch/batch_progress.h"
#include "batch/batch_runner.h"
#include "batch/batch_worker.h"
#include "batch/worker_priority.h"
#include "engine/engine.h"
#include "platform/qsettings_store.h"
#include "tests/document/document_fixture.h"
#include "tests/support/batch_record.h"
#include "tests/support/failing_allocations.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

// Keeps what the worker reports; `onImagePosition` may stop the run from inside it.
class Recorder final : public BatchProgress {
public:
    void SetText(int selector, const std::string& text) override {
        std::lock_guard lock(mutex_);
        texts.emplace_back(selector, text);
    }
    void SetImagePosition(int position) override {
        idleSeen = idleSeen || CurrentThreadIsIdle();
        if (onImagePosition) onImagePosition(position);
    }
    void SetOverallPosition(int position) override { overall.push_back(position); }
    void FileStage(int number, int total, const std::string& name, BatchFileStage stage) override {
        stages.push_back(std::to_string(number) + "/" + std::to_string(total) + " " + name +
                         (stage == BatchFileStage::kFiltering ? " filtering" : " profile"));
    }
    void Done() override { ++doneCalls; }
    void FileFinished(const BatchFileResult& result) override {
        if (!result.processed)
            reasons.push_back(fs::path(result.source).filename().string() + ": " + result.error);
    }

    std::mutex mutex_;
    std::vector<std::pair<int, std::string>> texts;
    std::vector<int> overall;
    std::vector<std::string> stages;
    std::vector<std::string> reasons;
    int doneCalls = 0;
    bool idleSeen = false;
    std::function<void(int)> onImagePosition;
};

BatchSettings Settings(int destination, const std::string& path, const char* suffix,
                       int format = kFormatKeep, int tiffDepth = kTiffDepth48) {
    return test::BatchRecord({destination, path, suffix, format, 85, 0, tiffDepth});
}

class Runner : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sources_ = new test::TempFolder;
        const fs::path dir = sources_->Path();
        const std::string noisy = "-attenuate 0.6 +noise Gaussian ";
        test::WriteScene(dir / "a.jpg", 320, 240, noisy + "-quality 95");
        test::TagAsCamera(dir / "a.jpg", 400);
        test::WriteScene(dir / "t16.tif", 320, 240, noisy + "-depth 16");
        test::WriteScene("PNG48:" + (dir / "p16.png").string(), 320, 240, noisy);
        test::WriteScene(dir / "grey.png", 320, 240, noisy + "-colorspace Gray -depth 8");
        test::WriteScene("BMP3:" + (dir / "b.bmp").string(), 320, 240, noisy);
        test::WriteScene(dir / "g.gif", 320, 240, noisy);
        test::WriteScene(dir / "wide.jpg", 1300, 700, noisy);  // six tiles
        test::WriteText(dir / "bad.jpg",
                        std::string("\xFF\xD8\xFF\xE0", 4) + std::string(200, 'x'));
    }
    static void TearDownTestSuite() {
        delete sources_;
        sources_ = nullptr;
    }

    void SetUp() override {
        // Copies, so a test may replace its sources.
        for (const auto& entry : fs::directory_iterator(sources_->Path()))
            fs::copy_file(entry.path(), Src(entry.path().filename().string()));
        QSettingsStore store(work_.Path() / "settings.conf");
        ASSERT_TRUE(BuildPresetTable(store, presets_));
        options_.presets = &presets_, options_.profiles = &profiles_;
        options_.profileOptions.selfLearning = false;
    }

    std::string Src(const std::string& name) const { return (work_.Path() / name).string(); }

    void Run(const BatchSettings& settings, const std::vector<std::string>& names) {
        settings_ = settings;
        std::vector<std::string> files;
        for (const std::string& name : names) files.push_back(Src(name));
        job_.Prepare(settings_, files);
        job_.progress = &recorder_;
        ASSERT_TRUE(RunBatchJob(job_, options_, stop_));
    }

    static test::TempFolder* sources_;
    test::TempFolder work_;
    PresetTable presets_;
    LearnedProfileStore profiles_{work_.Path() / "profiles"};
    BatchRunOptions options_;
    std::atomic<uint32_t> generation_{5};
    std::atomic<bool> cancel_{false};
    BatchStop stop_{&generation_, 5, &cancel_};
    BatchSettings settings_;
    BatchJob job_;
    Recorder recorder_;
};
test::TempFolder* Runner::sources_ = nullptr;

TEST_F(Runner, MixedFolderWithCorruptAndMissingFiles) {
    Run(Settings(kSubfolder, "Filtered", "_nr"),
        {"a.jpg", "bad.jpg", "t16.tif", "p16.png", "missing.jpg", "grey.png", "b.bmp", "g.gif"});
    EXPECT_EQ(job_.processedList,
              (std::vector<std::string>{Src("a.jpg"), Src("t16.tif"), Src("p16.png"),
                                        Src("grey.png"), Src("b.bmp"), Src("g.gif")}));
    EXPECT_EQ(job_.failedList, (std::vector<std::string>{Src("bad.jpg"), Src("missing.jpg")}));
    EXPECT_EQ(recorder_.reasons.size(), 2u);
    EXPECT_EQ(recorder_.doneCalls, 1);
    // The bar moves after each file that loaded: 1, 3, 4, 6, 7, 8 of 8.
    EXPECT_EQ(recorder_.overall, (std::vector<int>{12, 37, 50, 75, 87, 100}));

    const fs::path out = work_.Path() / "Filtered";
    // Nothing but the results: no temporary file is left behind.
    EXPECT_EQ(test::FolderNames(out),
              (std::vector<std::string>{"a_nr.jpg", "b_nr.jpg", "g_nr.jpg", "grey_nr.png",
                                        "p16_nr.png", "t16_nr.tif"}));
    std::vector<std::string> kinds;  // in the names' order
    for (const std::string& name : test::FolderNames(out))
        kinds.push_back(test::Identify(out / name));
    EXPECT_EQ(kinds, (std::vector<std::string>{"JPEG 8 srgb", "JPEG 8 srgb", "JPEG 8 srgb",
                                               "PNG 8 gray", "PNG 16 srgb", "TIFF 16 srgb"}));
    // The shooting data is loaded with the picture (what a save writes: save_test.cpp).
    EXPECT_EQ(test::ExifTool(out / "a_nr.jpg", "Model"), "Canon EOS 5D");
    // The result is filtered, not a copy.
    const std::string differing =
        test::RunShell("compare -metric AE " + test::ShellQuoted(Src("a.jpg")) + " " +
                       test::ShellQuoted(out / "a_nr.jpg") + " null: 2>&1");
    EXPECT_NE(differing, "0") << differing;
    // The sources are untouched.
    EXPECT_EQ(test::ReadFileBytes(Src("a.jpg")), test::ReadFileBytes(sources_->Path() / "a.jpg"));

    // The stages: bad.jpg starts and fails to load, missing.jpg does not start.
    ASSERT_EQ(recorder_.stages.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(recorder_.stages.begin(), recorder_.stages.begin() + 4),
              (std::vector<std::string>{"1/8 a.jpg profile", "1/8 a.jpg filtering",
                                        "2/8 bad.jpg profile", "3/8 t16.tif profile"}));
}

// The plan's depth is honoured: 24 bits asked, a 16-bit source is written with 8.
TEST_F(Runner, DepthFollowsTheTiffSetting) {
    Run(Settings(kSubfolder, "F", "", kFormatTiff, kTiffDepth24), {"t16.tif"});
    EXPECT_EQ(test::Identify(work_.Path() / "F/t16.tif"), "TIFF 8 srgb");
}

TEST_F(Runner, InPlaceReplacesWhatItCanWriteAndRefusesTheRest) {
    const auto bmpBefore = test::ReadFileBytes(Src("b.bmp"));
    const auto gifBefore = test::ReadFileBytes(Src("g.gif"));
    const auto jpegBefore = test::ReadFileBytes(Src("a.jpg"));
    Run(Settings(kSameAsSource, "", "", kFormatPng), {"a.jpg", "b.bmp", "g.gif", "p16.png"});
    EXPECT_EQ(job_.processedList, (std::vector<std::string>{Src("a.jpg"), Src("p16.png")}));
    EXPECT_EQ(job_.failedList, (std::vector<std::string>{Src("b.bmp"), Src("g.gif")}));
    EXPECT_NE(recorder_.reasons[0].find("cannot be replaced in place"), std::string::npos)
        << recorder_.reasons[0];
    EXPECT_EQ(test::ReadFileBytes(Src("b.bmp")), bmpBefore);
    EXPECT_EQ(test::ReadFileBytes(Src("g.gif")), gifBefore);
    // The JPEG is rewritten as JPEG (its name says so) though the format asks for PNG.
    EXPECT_NE(test::ReadFileBytes(Src("a.jpg")), jpegBefore);
    EXPECT_EQ(test::Identify(Src("a.jpg")), "JPEG 8 srgb");
    // Sixteen bits are kept only for TIFF or kept formats; PNG was chosen.
    EXPECT_EQ(test::Identify(Src("p16.png")), "PNG 8 srgb");
    for (const std::string& name : test::FolderNames(work_.Path()))
        EXPECT_NE(name.front(), '.') << name;
}

TEST_F(Runner, UncreatableDestinationFailsEveryFile) {
    // Before anything is learned from them: a file that cannot be written teaches nothing.
    options_.profileOptions.selfLearning = options_.profileOptions.learnWhileBatch = true;
    Run(Settings(kOtherLocation, (work_.Path() / "no/such/folder").string(), ""),
        {"a.jpg", "t16.tif"});
    EXPECT_TRUE(job_.processedList.empty());
    EXPECT_EQ(job_.failedList.size(), 2u);
    EXPECT_FALSE(fs::exists(work_.Path() / "no"));
    EXPECT_EQ(profiles_.Count(), 0);
    EXPECT_EQ(recorder_.overall, (std::vector<int>{50, 100}));  // loaded files still move the bar
}

// wide.jpg is too large for the memory left: 2 MiB refuses its tiles' planes on the engine's
// workers, or (on every thread) its decoding. It fails alone and the run goes on.
TEST_F(Runner, OutOfMemoryFailsTheFileAndTheRunGoesOn) {
    if (!test::kAllocationFailuresWork) GTEST_SKIP() << "allocations cannot be refused here";
    SetEngineThreads(2);
    for (const bool workersOnly : {true, false}) {
        {
            const test::AllocationFailure noMemory(2 << 20, workersOnly);
            Run(Settings(1, "F", "", 0, 1), {"a.jpg", "wide.jpg", "grey.png"});
            EXPECT_GT(noMemory.Refused(), 0);
        }
        EXPECT_EQ(job_.processedList, (std::vector<std::string>{Src("a.jpg"), Src("grey.png")}));
        EXPECT_EQ(job_.failedList, std::vector<std::string>{Src("wide.jpg")});
        EXPECT_NE(recorder_.reasons.back().find("memory"), std::string::npos);
        EXPECT_EQ(test::FolderNames(work_.Path() / "F"),
                  (std::vector<std::string>{"a.jpg", "grey.png"}));
    }
    SetEngineThreads(0);
}

TEST_F(Runner, CancelBetweenTilesLeavesCompletedResultsAndNoPartialFile) {
    // Stop during the wide image's filtering, at its third tile.
    int filteringTiles = 0;
    recorder_.onImagePosition = [&](int) {
        std::lock_guard lock(recorder_.mutex_);
        if (!recorder_.texts.empty() &&
            recorder_.texts.back().second == "wide.jpg - Filtering noise" && ++filteringTiles == 3)
            generation_.fetch_add(1);
    };
    Run(Settings(kSubfolder, "F", ""), {"a.jpg", "wide.jpg", "t16.tif", "grey.png"});
    EXPECT_EQ(job_.processedList, std::vector<std::string>{Src("a.jpg")});
    EXPECT_TRUE(job_.failedList.empty());
    // No tile after the stop.
    EXPECT_EQ(std::tuple(CountBatch(job_.total, 1, 0).skipped, filteringTiles), std::tuple(3, 3));
    EXPECT_EQ(test::FolderNames(work_.Path() / "F"), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(test::Identify(work_.Path() / "F/a.jpg"), "JPEG 8 srgb");
    EXPECT_EQ(recorder_.doneCalls, 1);
}

TEST_F(Runner, CancelFlagBeforeTheRunSkipsEverything) {
    cancel_ = true;
    Run(Settings(kSubfolder, "F", ""), {"a.jpg", "t16.tif"});
    EXPECT_TRUE(job_.processedList.empty() && job_.failedList.empty());
    EXPECT_EQ(job_.elapsedText, "0 min. 0 sec. ");
    EXPECT_FALSE(fs::exists(work_.Path() / "F"));
}

TEST_F(Runner, FilterChoice) {
    auto resultOf = [&](int32_t filter, bool imageOpen, int currentSlot,
                        const std::string& folder) {
        BatchSettings s = Settings(kSubfolder, folder, "", kFormatPng);
        s.filter = filter;
        options_.documentHasImage = imageOpen,
        options_.currentParams = ToNoiseFilterParams(presets_.slots[currentSlot].settings);
        Run(s, {"grey.png"});
        return test::ReadFileBytes(work_.Path() / folder / "grey.png");
    };
    const auto defaultFilter = resultOf(0, false, 0, "f0");
    const auto fullSuppression = resultOf(9, false, 0, "f9");
    ASSERT_FALSE(defaultFilter.empty());
    EXPECT_NE(defaultFilter, fullSuppression);
    EXPECT_EQ(resultOf(kUseCurrentFilter, false, 9, "current-none"),
              defaultFilter);  // no image: the first filter
    EXPECT_EQ(resultOf(kUseCurrentFilter, true, 9, "current"), fullSuppression);
}

TEST_F(Runner, IdlePriorityOnTheWorkerOnly) {
    options_.idlePriority = true;
    Run(Settings(kSubfolder, "F", ""), {"grey.png"});
    EXPECT_TRUE(recorder_.idleSeen);
    EXPECT_FALSE(CurrentThreadIsIdle());  // restored once the run is over
    options_.idlePriority = recorder_.idleSeen = false;
    Run(Settings(kSubfolder, "F", ""), {"grey.png"});
    EXPECT_FALSE(recorder_.idleSeen);
}

TEST_F(Runner, LearnsWhileTheBatchOptionIsOn) {
    options_.profileOptions.selfLearning = true, options_.profileOptions.learnWhileBatch = false;
    Run(Settings(kSubfolder, "F", ""), {"a.jpg"});
    EXPECT_EQ(profiles_.Count(), 0);
    options_.profileOptions.learnWhileBatch = true;
    Run(Settings(kSubfolder, "F", ""), {"a.jpg", "t16.tif"});  // t16.tif has no ISO: never learned
    EXPECT_EQ(profiles_.Count(), 1);
    EXPECT_TRUE(fs::exists(work_.Path() / "profiles/sxprofiles.sxp"));
    EXPECT_EQ(job_.processedList.size(), 2u);
    // Learned under the full path: a.jpg again changes nothing, the same name in another folder
    // is another photo and merges into the record.
    options_.profileOptions.skipBuildWhenSufficient = false;
    fs::create_directory(work_.Path() / "other");
    fs::copy_file(Src("a.jpg"), work_.Path() / "other/a.jpg");
    Run(Settings(1, "F", "", 0, 1), {"a.jpg", "other/a.jpg"});
    ASSERT_EQ(profiles_.Count(), 1);
    EXPECT_EQ(profiles_.Records()[0].contributors, 2);
}

}  // namespace
}  // namespace stillpix
