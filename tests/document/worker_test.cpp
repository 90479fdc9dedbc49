// The worker on a six-tile image: stale runs stop at the next tile, a cancelled full run keeps
// its tiles and a later run does only the rest (the same bytes as one run), previews filter only
// what is visible, and the countdown, summary, Undo and status texts follow the runs.
#include <regex>

#include "document/document_texts.h"
#include "document/file_opener.h"
#include "document_fixture.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {
namespace {

constexpr int kWidth = 1300, kHeight = 700;  // 3 x 2 tiles: the remainders of 100 get their own

// A progress bar that counts the tiles a run reports and can act after the n-th.
class CountingBar : public ProgressControl {
public:
    bool IsVisible() const override { return true; }
    void SetPosition(int position) override {
        ++calls;
        last = position;
        if (calls == actAfter && act) act();
    }
    int Position() const override { return last; }
    int calls = 0, last = 0, actAfter = 0;
    std::function<void()> act;
};

class WorkerTest : public DocumentTest {
protected:
    // These runs stop between tiles: on one engine thread no other tile is in flight then.
    void SetUp() override {
        SetEngineThreads(1);
        source_ = File("scene.jpg");
        WriteScene(source_, kWidth, kHeight, "-attenuate 0.5 +noise Gaussian -quality 92");
        OpenAndProfile(source_);
        ASSERT_EQ(doc_->Job().tiles.count, 6);
    }
    void TearDown() override { SetEngineThreads(0); }
    // A full run of the worker entry on this thread, as a batch would call it.
    void FullRun(ProgressControl& bar) {
        ImageJob& job = doc_->Job();
        JobRun run;
        run.job = &job;
        run.generation = job.generation.load();
        run.fullRun = true;
        run.profile = job.profiles[kFilterProfile];
        run.params = doc_->FilterParameters();
        run.image = doc_->Image();
        run.progress = &bar;
        job.workerRunning.store(true);
        RunImageJob(run);
        EXPECT_FALSE(job.workerRunning.load());
    }
    std::vector<bool> Filtered() const {
        std::vector<bool> out;
        for (int i = 0; i < doc_->Job().tiles.count; ++i)
            out.push_back(doc_->Job().tiles.tiles[i].filtered);
        return out;
    }
    std::filesystem::path source_;
};

TEST_F(WorkerTest, AGenerationChangeStopsTheRunAtTheNextTile) {
    CountingBar bar;
    bar.actAfter = 1;
    bar.act = [&] { doc_->Job().generation.fetch_add(1); };
    FullRun(bar);
    EXPECT_EQ(doc_->FilteredTiles(), 1);
    EXPECT_EQ(bar.calls, 1);
}

TEST_F(WorkerTest, ACancelledRunKeepsItsTilesAndTheNextDoesOnlyTheRest) {
    CountingBar first;
    first.actAfter = 2;
    first.act = [&] { doc_->Job().cancelRequested.store(true); };
    FullRun(first);
    EXPECT_EQ(doc_->FilteredTiles(), 2);
    EXPECT_FALSE(doc_->SummaryText());
    // The progress bar: (done + 1) x 100 / to-do.
    EXPECT_EQ(first.last, 3 * 100 / 6);

    doc_->Job().cancelRequested.store(false);
    CountingBar second;
    FullRun(second);
    EXPECT_EQ(second.calls, 4);
    EXPECT_EQ(second.last, 100);
    EXPECT_EQ(doc_->UnfilteredTiles(), 0);
    ASSERT_TRUE(doc_->SummaryText());
    EXPECT_TRUE(std::regex_match(
        *doc_->SummaryText(),
        std::regex("Image processing has been completed in [ 0-9]+\\.[0-9]{2} seconds\\.")));

    // Two runs give the bytes of one.
    FakeWindow otherWindow;
    CNoiseCleanerDoc other(DocumentContext{&options_, nullptr, &profiles_, nullptr}, otherWindow);
    otherWindow.doc = &other;
    ASSERT_TRUE(other.OnOpenDocument(source_));
    other.OnFirstShown();
    other.WaitForWorker();
    ASSERT_TRUE(other.Go());
    EXPECT_TRUE(other.Image()->Display().bits == doc_->Image()->Display().bits);
    EXPECT_FALSE(other.Image()->Display().bits == other.Image()->Unprocessed()->Display().bits);
}

TEST_F(WorkerTest, APreviewFiltersOnlyTheTilesItShows) {
    options_.settings.autoPreview = 1;
    doc_->Job().processed.store(true);
    const TileRect visible{500, 550, 700, 650};  // meets the tiles at columns 0, 1 of rows 0, 1
    doc_->RestartCountdown(true);
    ASSERT_TRUE(doc_->OnPreviewTimer(visible));
    doc_->WaitForWorker();
    int meeting = 0;
    for (int i = 0; i < doc_->Job().tiles.count; ++i) {
        const TileRecord& tile = doc_->Job().tiles.tiles[i];
        EXPECT_EQ(bool(tile.filtered), TileMeets(tile.inner, visible)) << i;
        meeting += TileMeets(tile.inner, visible);
    }
    EXPECT_EQ(meeting, 4);
    EXPECT_EQ(events_.tilesShown, 4);
    EXPECT_EQ(events_.started.back(), kStatusUpdatingPreview);
    EXPECT_FALSE(doc_->SummaryText());
    // The same place again finds nothing to do and says nothing.
    const std::size_t starts = events_.started.size();
    doc_->RestartCountdown(true);
    ASSERT_TRUE(doc_->OnPreviewTimer(visible));
    doc_->WaitForWorker();
    EXPECT_EQ(events_.started.size(), starts);
    EXPECT_EQ(events_.tilesShown, 4);
    // A new filter resets every tile before the next run.
    doc_->FilterParametersChanged(doc_->FilterParameters());
    doc_->Job().countdown.store(1);
    ASSERT_TRUE(doc_->OnPreviewTimer({0, 0, 10, 10}));
    doc_->WaitForWorker();
    EXPECT_EQ(doc_->FilteredTiles(), 1);
}

struct CountdownCase {
    int delaySeconds;
    bool oneTick;
    int ticks;
};
class Countdown : public DocumentTest, public ::testing::WithParamInterface<CountdownCase> {};
TEST_P(Countdown, DelayInTwoHundredMillisecondTicksAtLeastOne) {
    options_.settings.previewDelay = GetParam().delaySeconds;
    const uint32_t before = doc_->Job().generation.load();
    doc_->RestartCountdown(GetParam().oneTick);
    EXPECT_EQ(doc_->Job().countdown.load(), GetParam().ticks);
    EXPECT_EQ(doc_->Job().generation.load(), before + 1);
    doc_->StopPendingWork();
    EXPECT_EQ(doc_->Job().countdown.load(), 0);
    // No preview is scheduled while a full run is under way.
    doc_->Job().fullRun.store(true);
    doc_->RestartCountdown();
    EXPECT_EQ(doc_->Job().countdown.load(), 0);
}
INSTANTIATE_TEST_SUITE_P(HandWorked, Countdown,
                         ::testing::Values(CountdownCase{0, false, 1}, CountdownCase{1, false, 5},
                                           CountdownCase{3, false, 15},
                                           CountdownCase{10, true, 1}));

TEST_F(WorkerTest, WithoutAutomaticPreviewTheCountdownRunsOutWithoutARun) {
    options_.settings.autoPreview = 0;
    options_.settings.previewDelay = 1;
    doc_->Job().processed.store(true);
    doc_->RestartCountdown();
    for (int tick = 0; tick < 5; ++tick) EXPECT_FALSE(doc_->OnPreviewTimer({0, 0, 100, 100}));
    EXPECT_EQ(doc_->Job().countdown.load(), 0);
    EXPECT_EQ(doc_->FilteredTiles(), 0);
}

TEST_F(WorkerTest, GoShowsTheSummaryAndUndoShowsTheOriginalAgain) {
    EXPECT_EQ(doc_->IdleStatusText(), kStatusGo);
    ASSERT_TRUE(doc_->Go());
    ASSERT_EQ(window_.summaries.size(), 1u);
    EXPECT_EQ(window_.summaries[0], *doc_->SummaryText());
    EXPECT_EQ(doc_->IdleStatusText(), kStatusSeeOriginal);
    EXPECT_TRUE(doc_->CanCopy());
    options_.settings.showSummary = 0;
    ASSERT_TRUE(doc_->Go());
    EXPECT_EQ(window_.summaries.size(), 1u);

    ASSERT_TRUE(doc_->CanUndo());
    doc_->Undo();
    EXPECT_FALSE(doc_->CanUndo());
    EXPECT_EQ(doc_->FilteredTiles(), 0);
    EXPECT_TRUE(doc_->Image()->Display().bits == doc_->Image()->Unprocessed()->Display().bits);
    EXPECT_EQ(window_.status[0], "Click \"Go\" button to start processing");
    EXPECT_EQ(doc_->IdleStatusText(), kStatusGo);
}

// A command line run's document: the copy of a 16-bit image without its display bitmap filters
// to the same pixels, Undo still shows the original, the copy can go before the save, and the
// final save, giving rows back as the encoder has read them, writes the usual save's bytes.
TEST_F(DocumentTest, AViewlessDocumentFiltersSixteenBitsAlikeAndSavesWithoutItsCopy) {
    options_.settings2.selfLearning = 0;  // both documents measure the same profile
    const auto source = File("deep.tif");
    WriteScene(source, 700, 500, "-attenuate 0.5 +noise Gaussian -depth 16");
    OpenAndProfile(source);
    ASSERT_TRUE(doc_->Go());
    const CBitmapEx& usual = *doc_->Image();

    DocumentContext context{&options_, nullptr, &profiles_, &events_};
    context.viewless = true;
    CNoiseCleanerDoc viewless(context, window_);
    window_.doc = &viewless;
    ASSERT_TRUE(viewless.OnOpenDocument(source));
    EXPECT_TRUE(viewless.Image()->Unprocessed()->Display().bits.empty());
    ASSERT_TRUE(viewless.Go());
    EXPECT_EQ(viewless.Image()->Samples16(), usual.Samples16());
    EXPECT_EQ(viewless.Image()->Display().bits, usual.Display().bits);
    viewless.Undo();
    EXPECT_EQ(viewless.Image()->Display().bits, usual.Unprocessed()->Display().bits);
    ASSERT_TRUE(viewless.Go());
    viewless.PrepareFinalSave();
    EXPECT_EQ(viewless.Image()->Unprocessed(), nullptr);
    ASSERT_TRUE(viewless.SaveDocument(File("last.jpg")));
    EXPECT_FALSE(viewless.Image()->Valid());
    window_.doc = doc_.get();
    ASSERT_TRUE(doc_->SaveDocument(File("usual.jpg")));
    EXPECT_EQ(test::ReadFileBytes(File("last.jpg")), test::ReadFileBytes(File("usual.jpg")));
}

TEST_F(WorkerTest, AFileAskedForDuringARunOpensOnceTheRunHasStopped) {
    options_.settings.autoPreview = 1;
    doc_->Job().processed.store(true);
    events_.hold = true;
    doc_->RestartCountdown(true);
    ASSERT_TRUE(doc_->OnPreviewTimer({0, 0, kWidth, kHeight}));
    events_.WaitUntilHeld();
    EXPECT_EQ(doc_->IdleStatusText(), kStatusUpdatingPreview);

    const auto next = File("next.png");
    WriteScene(next, 50, 40);
    FileOpener opener(*doc_);
    EXPECT_EQ(opener.OpenFile(next), OpenResult::kDeferred);
    EXPECT_EQ(opener.Pending(), next);
    EXPECT_TRUE(doc_->Job().cancelRequested.load());
    events_.Release();
    doc_->WaitForWorker();
    EXPECT_EQ(doc_->FilteredTiles(), 1);  // stopped at the next tile
    EXPECT_EQ(opener.OnIdle(), OpenResult::kOpened);
    EXPECT_FALSE(opener.Pending());
    EXPECT_EQ(opener.OnIdle(), std::nullopt);
    EXPECT_EQ(opener.OpenFile(File("missing.png")), OpenResult::kFailed);
    EXPECT_EQ(doc_->Title(), "next.png");
    // The stop was for the old image: the new one gets its profile.
    doc_->OnFirstShown();
    doc_->WaitForWorker();
    EXPECT_TRUE(doc_->Job().profileBuilt.load());
}

}  // namespace
}  // namespace stillpix::test
