#include "batch/batch_runner.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>
#include <system_error>

#include "batch/batch_image.h"
#include "batch/batch_progress.h"
#include "batch/file_rules.h"
#include "batch/worker_priority.h"
#include "document/save_names.h"

namespace stillpix {
namespace {

// What the tile callback needs: the stop words and the upper bar.
struct TileWatch {
    const BatchStop* stop = nullptr;
    BatchProgress* progress = nullptr;
    ProgressControl* bar = nullptr;
    int done = 0;
    int lastPosition = -1;
};

int WatchTile(ProgressRecord& record) {
    auto& watch = *static_cast<TileWatch*>(record.callerData);
    if (record.tileIndex == 0 && record.stage == kBeforeTile) {
        watch.done = 0;
        watch.lastPosition = -1;
    }
    // A stop is honoured while measuring too: the file is dropped either way, so no tile more.
    if (watch.stop->Requested()) return 0;
    if (record.stage == kAfterTile) {
        ++watch.done;
        const int count = std::max(record.tiles ? record.tiles->count : 1, 1);
        const int position = std::min(100, watch.done * 100 / count);
        if (position != watch.lastPosition) {
            if (watch.bar) {
                if (watch.bar->IsVisible()) watch.bar->SetPosition(position);
            } else if (watch.progress && watch.progress->IsWindow()) {
                watch.progress->SetImagePosition(position);
            }
        }
        watch.lastPosition = position;
    }
    return 1;
}

constexpr const char* kNotEnoughMemory = "not enough memory for this image";

// Freed however the file ends, an exception included.
struct OwnedTileGrid {
    TileGrid grid;
    OwnedTileGrid() = default;
    ~OwnedTileGrid() { FreeTileGrid(grid); }
    OwnedTileGrid(const OwnedTileGrid&) = delete;
    OwnedTileGrid& operator=(const OwnedTileGrid&) = delete;
};

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

class Runner {
public:
    Runner(BatchJob& job, const BatchRunOptions& options, const BatchStop& stop)
        : job_(job), options_(options), stop_(stop), settings_(*job.settings) {
        watch_.stop = &stop_;
        watch_.progress = job.progress;
        watch_.bar = options.imageProgress;
        profileOptions_ = options.profileOptions;
        profileOptions_.kind = ProfileRunKind::kBatchImage;
    }

    void Run() {
        job_.elapsedText = FormatBatchTime(0);
        const int total = static_cast<int>(std::min<std::size_t>(
            job_.fileList.size(), static_cast<std::size_t>(std::max(job_.total, 0))));
        for (int i = 0; i < total && !stop_.Requested(); ++i)
            if (!RunFile(i, total)) break;
        if (job_.progress && job_.progress->IsWindow()) job_.progress->Done();
    }

private:
    bool WindowShown() const { return job_.progress && job_.progress->IsWindow(); }
    void Send(int selector, const std::string& text) const {
        if (WindowShown()) job_.progress->SetText(selector, text);
    }
    // Text 1 and the stage notice of the file in hand.
    void EnterStage(const std::string& name, BatchFileStage stage) const {
        if (!WindowShown()) return;
        job_.progress->FileStage(fileNumber_, total_, name, stage);
        job_.progress->SetText(kTextFile, FileLabelText(name, stage));
    }

    void Finish(BatchFileResult& result, std::chrono::steady_clock::time_point start) {
        (result.processed ? job_.processedList : job_.failedList).push_back(result.source);
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (job_.progress) job_.progress->FileFinished(result);
    }

    NoiseFilterParams FilterFor() const {
        const std::optional<int> slot =
            BatchFilterSlot(settings_.filter, options_.presets->count, options_.documentHasImage);
        if (!slot) return options_.currentParams;
        return ToNoiseFilterParams(
            options_.presets->slots[static_cast<std::size_t>(*slot)].settings);
    }

    // One file; false when a stop was noticed (the file counts as skipped).
    bool RunFile(int i, int total) {
        const NoiseFilterParams params = FilterFor();
        const auto start = std::chrono::steady_clock::now();
        const std::string& source = job_.fileList[static_cast<std::size_t>(i)];
        const std::string name = FileNameOf(source);
        std::error_code ec;
        fileNumber_ = i + 1;
        total_ = total;
        if (WindowShown() && std::filesystem::exists(source, ec)) {
            EnterStage(name, BatchFileStage::kBuildingProfile);
            Send(kTextCount, CountLabelText(i + 1, total));
        }

        BatchFileResult result;
        result.source = source;
        Outcome outcome = Outcome::kFailed;
        try {
            outcome = LoadAndProcess(params, result);
        } catch (const std::bad_alloc&) {
            // Unwinding has released the image and its tiles: a picture too large for this
            // machine fails alone, and the run goes on with the next file.
            result.error = kNotEnoughMemory;
        }
        if (outcome == Outcome::kStopped) return false;  // nothing recorded for this file
        result.processed = outcome == Outcome::kWritten;
        Finish(result, start);
        if (outcome == Outcome::kNotLoaded) return true;  // no time, no bar for this file

        if (WindowShown()) job_.progress->SetOverallPosition(OverallPosition(i + 1, total));
        elapsedMs_ += std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
        job_.elapsedText = FormatBatchTime(elapsedMs_);
        Send(kTextElapsed, job_.elapsedText);
        Send(kTextRemaining, FormatBatchTime(RemainingMilliseconds(total, elapsedMs_, i + 1)));
        return true;
    }

    enum class Outcome { kNotLoaded, kWritten, kFailed, kStopped };

    Outcome LoadAndProcess(const NoiseFilterParams& params, BatchFileResult& result) {
        const OutputPlan plan = PlanOutput(result.source, settings_);
        if (!plan.refusal.empty()) {
            result.error = plan.refusal;
            return Outcome::kNotLoaded;
        }
        result.output = plan.path;
        BatchImage image;
        if (!image.Load(result.source, plan.sixteenBits, result.error)) return Outcome::kNotLoaded;
        if (stop_.Requested()) return Outcome::kStopped;
        OwnedTileGrid tiles;
        if (!CreateTileGrid(image.Width(), image.Height(), tiles.grid)) {
            result.error = kNotEnoughMemory;
            return Outcome::kFailed;
        }
        return Process(image, tiles.grid, plan, params, result);
    }

    // Profile, filter and write one loaded image; the profile's source and, when it failed,
    // the reason go into `result`.
    Outcome Process(BatchImage& image, TileGrid& tiles, const OutputPlan& plan,
                    const NoiseFilterParams& params, BatchFileResult& result) {
        const std::string& source = result.source;
        std::string& error = result.error;
        if (!PrepareOutputFolder(plan, error)) return Outcome::kFailed;

        ProfileChoice choice;
        const ProfileCallbacks callbacks{&watch_, WatchTile, nullptr};
        // A build that does not finish leaves what it measured; filtering goes on with that.
        // Learned under the full path, as the document learns its image: photos of one name in
        // two folders are two images (the queue has made the path absolute and normal).
        ObtainImageProfile(image.Descriptor(), source, image.ProfileView(), tiles, callbacks,
                           profileOptions_, *options_.profiles, choice);
        result.profile = choice.measured ? ProfileSource::kMeasured : ProfileSource::kLearned;
        NoiseProfile profile = choice.profile;

        EnterStage(FileNameOf(source), BatchFileStage::kFiltering);
        if (stop_.Requested()) return Outcome::kStopped;
        const bool filtered = image.Filter(tiles, profile, params, &watch_, WatchTile);
        if (stop_.Requested()) return Outcome::kStopped;
        if (!filtered) {
            // An unfiltered image must not be written as a result. The image and its grid are
            // sound, so a profile with bands fails only for want of memory.
            error = profile.bandCount < 1
                        ? "the image could not be filtered (no usable noise profile)"
                        : kNotEnoughMemory;
            return Outcome::kFailed;
        }
        // Past the last stop test a written file is recorded, so no result goes unlisted.
        return image.Save(plan.path, plan.jpegQuality, plan.sixteenBits, options_.tiffCompression,
                          error)
                   ? Outcome::kWritten
                   : Outcome::kFailed;
    }

    BatchJob& job_;
    const BatchRunOptions& options_;
    const BatchStop& stop_;
    const BatchSettings settings_;  // one record for the whole run
    ProfileChoiceOptions profileOptions_;
    TileWatch watch_;
    int fileNumber_ = 0;
    int total_ = 0;
    int64_t elapsedMs_ = 0;
};

}  // namespace

void ApplyStoredBatchOptions(const AppOptions& options, BatchRunOptions& run) {
    ProfileChoiceOptions& profile = run.profileOptions;
    profile.kind = ProfileRunKind::kBatchImage;
    profile.selfLearning = options.settings2.selfLearning != 0;
    profile.learnWhileBatch = options.settings2.learnWhileBatch != 0;
    profile.skipBuildWhenSufficient = options.settings2.batchSkipBuildWhenLearned != 0;
    run.idlePriority = options.settings3.batchPriority > 0;
    run.tiffCompression = TiffCompressionOption(options.settings2.tiffCompression);
}

bool RunBatchJob(BatchJob& job, const BatchRunOptions& options, const BatchStop& stop) {
    if (!job.settings || !options.presets || options.presets->count <= 0 || !options.profiles)
        return false;
    const ScopedIdlePriority priority(options.idlePriority);
    Runner(job, options, stop).Run();
    return true;
}

}  // namespace stillpix
