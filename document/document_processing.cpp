// CNoiseCleanerDoc's processing side: the preview countdown, the runs it starts on the worker,
// Go with its summary, Undo and the idle status text.
#include <algorithm>

#include "document/document_texts.h"
#include "document/noise_cleaner_doc.h"
#include "document/progress_dialog_model.h"
#include "document/save_names.h"

namespace stillpix {

namespace {
constexpr int kTickMilliseconds = 200;
}

int CNoiseCleanerDoc::UnfilteredTiles() const {
    int count = 0;
    for (int i = 0; i < job_.tiles.count; ++i) count += job_.tiles.tiles[i].filtered ? 0 : 1;
    return count;
}

void CNoiseCleanerDoc::FilterParametersChanged(const NoiseFilterParams& params) {
    params_ = params;
    job_.resetTilesFirst.store(true);
    job_.saved.store(false);  // the saved file no longer shows this filter
    RestartCountdown();
}

void CNoiseCleanerDoc::RestartCountdown(bool oneTick) {
    if (job_.fullRun.load()) return;
    job_.generation.fetch_add(1);
    const int ticks = context_.options->settings.previewDelay * 1000 / kTickMilliseconds;
    job_.countdown.store(oneTick ? 1 : std::max(1, ticks));
}

void CNoiseCleanerDoc::StopPendingWork() {
    if (job_.fullRun.load()) return;
    job_.generation.fetch_add(1);
    job_.countdown.store(0);
}

void CNoiseCleanerDoc::MarkAllTilesUnprocessed() {
    // A filtering run writes the flags and pixels reset here: let it stop at its next tile.
    // A profile run writes neither and goes on.
    if (job_.workerRunning.load() && !job_.profileJob.load()) {
        job_.generation.fetch_add(1);
        worker_.Join();
    }
    for (int i = 0; i < job_.tiles.count; ++i) job_.tiles.tiles[i].filtered = 0;
    if (image_) image_->RestoreDisplayFromUnprocessed();
}

JobRun CNoiseCleanerDoc::MakeRun() {
    JobRun run;
    run.job = &job_;
    run.generation = job_.generation.load();
    run.profileJob = job_.profileJob.load();
    run.fullRun = job_.fullRun.load();
    run.savePath = job_.savePath;
    run.visible = job_.visible;
    run.params = job_.params;
    // The pane may have switched profiles while the last run went on.
    if (job_.profileBuilt.load())
        job_.profiles[kFilterProfile] =
            job_.profiles[useIndividualProfile_ ? kIndividualProfile : kLearnedProfile];
    run.profile = job_.profiles[kFilterProfile];
    run.image = image_.get();
    run.progress = job_.progress;
    run.batch = job_.batch;
    RunSettings& settings = run.settings;
    settings.sourcePath = sourcePath_;
    if (image_) settings.descriptor = image_->Formatter().Descriptor();
    const AppOptions& options = *context_.options;
    settings.profileOptions.kind = ProfileRunKind::kSingleImage;
    settings.profileOptions.selfLearning = options.settings2.selfLearning != 0;
    settings.profileOptions.alwaysBuildImageProfile =
        options.settings2.alwaysBuildImageProfile != 0;
    settings.profileOptions.buildRequested = buildRequested_;
    settings.store = context_.profiles;
    settings.useIndividualProfile = useIndividualProfile_;
    settings.jpegQuality = options.settings.jpegQuality;
    settings.save16Bit = options.settings2.tiffDepth == kTiffDepth48;
    settings.tiffCompression = TiffCompressionOption(options.settings2.tiffCompression);
    settings.finalSave = finalSave_;
    settings.events = context_.events;
    return run;
}

bool CNoiseCleanerDoc::StartRun(const WorkerRoutine& routine) {
    if (job_.workerRunning.load()) return false;
    job_.params = params_;
    job_.workerRunning.store(true);
    return worker_.Start(MakeRun(), routine);
}

void CNoiseCleanerDoc::OnFirstShown() {
    MarkAllTilesUnprocessed();
    job_.processed.store(false);
    if (!image_) return;
    job_.visible = {};
    job_.savePath.clear();
    job_.profileJob.store(!job_.profileBuilt.load());
    job_.progress = window_.StatusProgress();
    StartRun();
}

bool CNoiseCleanerDoc::OnPreviewTimer(const TileRect& visible) {
    if (job_.countdown.load() <= 0 || job_.workerRunning.load() || !loaded_) return false;
    if (job_.countdown.fetch_sub(1) - 1 > 0) return false;
    if (RectEmpty(visible) || !job_.processed.load() || !job_.profileBuilt.load() ||
        context_.options->settings.autoPreview == 0)
        return false;
    job_.visible = visible;
    if (job_.resetTilesFirst.exchange(false)) MarkAllTilesUnprocessed();
    job_.savePath.clear();
    job_.profileJob.store(!job_.profileBuilt.load());
    job_.progress = window_.StatusProgress();
    return StartRun();
}

CNoiseCleanerDoc::DialogEnd CNoiseCleanerDoc::RunFullRunDialog() {
    ProgressDialogModel model(*this);
    const bool ok = window_.RunProgressDialog(model);
    model.Closed();
    job_.progress = window_.StatusProgress();
    if (!ok) StopPendingWork();
    return ok ? DialogEnd::kOk : model.Failed() ? DialogEnd::kFailed : DialogEnd::kCancelled;
}

bool CNoiseCleanerDoc::Go() {
    if (!image_) return false;
    job_.cancelRequested.store(false);
    job_.processed.store(true);
    StopPendingWork();
    job_.profileJob.store(!job_.profileBuilt.load());
    if (RunFullRunDialog() != DialogEnd::kOk) return false;
    if (context_.options->settings.showSummary != 0) {
        if (const auto text = SummaryText(); text && window_.ShowSummary(*text)) {
            context_.options->settings.showSummary = 0;
            WriteOptions();
        }
    }
    return true;
}

void CNoiseCleanerDoc::PrepareFinalSave() {
    if (!image_ || job_.workerRunning.load()) return;
    for (int i = 0; i < job_.tiles.count; ++i)
        if (!job_.tiles.tiles[i].filtered) return;
    image_->ReleaseUnprocessed();
    finalSave_ = true;
}

void CNoiseCleanerDoc::Undo() {
    MarkAllTilesUnprocessed();
    job_.processed.store(false);
    window_.RedrawView();
    window_.SetStatusText(0, kStatusGo);
}

std::optional<std::string> CNoiseCleanerDoc::SummaryText() const {
    if (!image_ || job_.tiles.count == 0 || UnfilteredTiles() > 0) return std::nullopt;
    int64_t milliseconds = 0;
    for (int i = 0; i < job_.tiles.count; ++i) milliseconds += job_.tiles.tiles[i].elapsedMs;
    return FormatText(kSummaryFormat, double(milliseconds) / 1000.0);
}

std::string CNoiseCleanerDoc::IdleStatusText() const {
    if (!image_) return {};
    if (job_.profileJob.load() && job_.workerRunning.load()) return kStatusBuildingProfile;
    if (job_.workerRunning.load()) return kStatusUpdatingPreview;
    if (job_.profileBuilt.load() && job_.processed.load()) return kStatusSeeOriginal;
    return kStatusGo;
}

void CNoiseCleanerDoc::SetUseIndividualProfile(bool useIndividual) {
    useIndividualProfile_ = useIndividual;
    job_.resetTilesFirst.store(true);
    job_.saved.store(false);
    RestartCountdown();
}

void CNoiseCleanerDoc::RequestOwnProfile() {
    if (!image_) return;
    buildRequested_ = true;
    useIndividualProfile_ = true;
    if (job_.workerRunning.load()) {
        job_.generation.fetch_add(1);
        worker_.Join();
    }
    job_.profileBuilt.store(false);
    job_.resetTilesFirst.store(true);
    job_.visible = {};
    job_.savePath.clear();
    job_.profileJob.store(true);
    job_.progress = window_.StatusProgress();
    StartRun();
}

}  // namespace stillpix
