// The single-image worker: a profile run measures (or takes the learned profile), other runs
// filter the tiles still to do from the unprocessed copy into the image, and a full run with a
// save path saves once every tile is filtered.
#include "document/image_worker.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "document/bitmap_ex.h"
#include "document/document_texts.h"

namespace stillpix {
namespace {

TileRect ClipToImage(const TileRect& rect, int width, int height) {
    return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, width),
            std::min(rect.bottom, height)};
}

int CountTilesToDo(const JobRun& run) {
    const TileGrid& grid = run.job->tiles;
    int count = 0;
    for (int i = 0; i < grid.count; ++i) {
        const TileRecord& tile = grid.tiles[i];
        if (!run.profileJob && tile.filtered) continue;
        if (!run.wholeImage && !TileMeets(tile.inner, run.visible)) continue;
        ++count;
    }
    return count;
}

bool EveryTileFiltered(const TileGrid& grid) {
    for (int i = 0; i < grid.count; ++i)
        if (!grid.tiles[i].filtered) return false;
    return true;
}

void BuildProfile(JobRun& run) {
    ImageJob& job = *run.job;
    // A copy without its display bitmap (LoadOptions) is measured on the image's own.
    const CBitmapEx* copy = run.image->Unprocessed();
    const CBitmapEx& source = copy && copy->Display().valid ? *copy : *run.image;
    const DisplayBitmap& display = source.Display();
    const ProfileImageView view{display.bits.data(), display.width, display.height, display.stride,
                                display.bitCount};
    ProfileChoice choice;
    if (run.settings.store == nullptr ||
        !ObtainImageProfile(run.settings.descriptor, run.settings.sourcePath, view, job.tiles,
                            {&run, ImageJobTileCallback, nullptr}, run.settings.profileOptions,
                            *run.settings.store, choice))
        return;
    job.profileChoice = choice;
    job.profiles[kIndividualProfile] = choice.individual;
    job.profiles[kLearnedProfile] = choice.profile;
    job.profiles[kFilterProfile] =
        run.settings.useIndividualProfile ? choice.individual : choice.profile;
    job.profileBuilt.store(true);
}

void Filter(JobRun& run) {
    CBitmapEx& image = *run.image;
    const CBitmapEx& source = image.Unprocessed() ? *image.Unprocessed() : image;
    const bool sixteen = image.Has16();
    const int bitsPerPixel = sixteen ? image.BitsPerPixel() : image.Display().bitCount;
    const bool filtered = FilterImage(
        image.Width(), image.Height(), image.Display().stride, source.Display().bits.data(),
        image.Display().bits.data(), sixteen ? source.Samples16().data() : nullptr,
        sixteen ? image.Samples16().data() : nullptr, bitsPerPixel, run.job->tiles, run.profile,
        &run.params, &run, ImageJobTileCallback, nullptr);
    // Stops and skipped tiles still count as filtered; with a profile, false is no memory.
    if (!filtered && run.profile.bandCount > 0 && !run.savePath.empty()) {
        run.job->saveError = "not enough memory";
        run.job->saveOutcome.store(SaveOutcome::kFailed);
    }
}

void Save(JobRun& run) {
    ImageJob& job = *run.job;
    std::string error, warning;
    const RunSettings& settings = run.settings;
    const bool ok =
        settings.finalSave
            ? run.image->SaveAsLastUse(run.savePath, settings.jpegQuality, settings.save16Bit,
                                       settings.tiffCompression, &error, &warning)
            : run.image->Save(run.savePath, settings.jpegQuality, settings.save16Bit,
                              settings.tiffCompression, &error, &warning);
    job.saveError = ok ? std::string() : error;
    job.saveWarning = warning;
    // A failed save leaves the image unsaved, so closing still asks.
    job.saved.store(ok);
    job.saveOutcome.store(ok ? SaveOutcome::kSaved : SaveOutcome::kFailed);
}

}  // namespace

void RunImageJob(JobRun& run) {
    ImageJob& job = *run.job;
    try {
        if (run.image != nullptr && run.image->Valid() && job.tiles.count > 0) {
            run.wholeImage = !run.savePath.empty() || run.fullRun || run.profileJob;
            // A rectangle wholly outside the image meets no tile (an empty one means all).
            bool outside = false;
            if (!run.wholeImage && !RectEmpty(run.visible)) {
                run.visible = ClipToImage(run.visible, run.image->Width(), run.image->Height());
                outside = RectEmpty(run.visible);
            }
            run.toDo = outside ? 0 : CountTilesToDo(run);
            if (run.toDo > 0 && !run.fullRun && run.settings.events)
                run.settings.events->RunStarted(
                    run.profileJob ? kStatusBuildingProfile : kStatusUpdatingPreview, true);
            if (run.profileJob) {
                BuildProfile(run);
            } else if (!outside && !run.Stale()) {
                Filter(run);
                if (run.fullRun && !run.savePath.empty() && !run.Stale() &&
                    EveryTileFiltered(job.tiles))
                    Save(run);
            }
        }
    } catch (const std::bad_alloc&) {
        if (!run.savePath.empty()) {
            job.saveError = "not enough memory";
            job.saveOutcome.store(SaveOutcome::kFailed);
        }
    }
    // A countdown restarted during the run belongs to the change that made the run stale.
    if (job.generation.load() == run.generation) job.countdown.store(0);
    job.profileJob.store(false);
    if (!run.profileJob) job.fullRun.store(false);
    job.workerRunning.store(false);
    if (run.settings.events) run.settings.events->RunFinished();
}

ProcessingWorker::~ProcessingWorker() { Join(); }

void ProcessingWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

bool ProcessingWorker::Start(JobRun run, WorkerRoutine routine) {
    Join();
    ImageJob* job = run.job;
    try {
        thread_ = std::thread(
            [run = std::move(run), routine = std::move(routine)]() mutable { routine(run); });
        return true;
    } catch (const std::system_error&) {
        job->workerRunning.store(false);
        return false;
    }
}

}  // namespace stillpix
