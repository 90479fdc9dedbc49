// ImageJob: the block of the document that the processing worker shares, and JobRun, the copy a
// run works on. The user-interface thread writes the generation, the countdown, the cancel flag
// and the run flags; the worker writes *worker running*, *profile built*, *full run*, *saved*,
// the profiles and the tile records. Each field has one writer; none takes a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "codec/codec.h"
#include "engine/engine.h"
#include "settings/image_profile_choice.h"

namespace stillpix {

class CBitmapEx;
struct BatchJob;

// A progress bar the worker moves (the status bar's, or the progress dialog's). Called from the
// worker thread: an implementation hands the value to its own thread.
class ProgressControl {
public:
    virtual ~ProgressControl() = default;
    virtual bool IsVisible() const = 0;
    virtual void SetPosition(int position) = 0;  // 0..100
    virtual int Position() const = 0;
};

// A bar that only keeps its value, for a window to poll and for runs without a window.
class AtomicProgress final : public ProgressControl {
public:
    bool IsVisible() const override { return visible_.load(); }
    void SetVisible(bool visible) { visible_.store(visible); }
    void SetPosition(int position) override {
        position_.store(position < 0 ? 0 : position > 100 ? 100 : position);
    }
    int Position() const override { return position_.load(); }

private:
    std::atomic<bool> visible_{true};
    std::atomic<int> position_{0};
};

// What a run tells the window, from the worker thread (an implementation posts to its own).
class JobEvents {
public:
    virtual ~JobEvents() = default;
    // Status-bar pane 0 text and the status-bar progress bar, at the start of a run with work.
    virtual void RunStarted(const std::string& statusText, bool showStatusProgress) {
        (void)statusText;
        (void)showStatusProgress;
    }
    // A tile of a preview run is done: the view redraws it.
    virtual void TileFiltered(const TileRect& inner) { (void)inner; }
    // A tile is done and the run's progress control has its new position.
    virtual void ProgressMoved() {}
    // The worker has cleared *worker running* and returns.
    virtual void RunFinished() {}
    // The decode of a background open has ended: the window calls CNoiseCleanerDoc::FinishOpen.
    virtual void OpenDecoded() {}
    // Runs `task` later on the window's thread (the ICC prompt of a background open); false when
    // there is no such thread.
    virtual bool Post(std::function<void()> task) {  // NOLINT(performance-unnecessary-value-param)
        (void)task;
        return false;
    }
};

enum class SaveOutcome : int { kNone, kSaved, kFailed };

// The profiles of the image: its own (individual) one and the one combined with the learned store.
enum ProfileTable : int { kIndividualProfile = 0, kLearnedProfile = 1, kFilterProfile = 2 };

struct ImageJob {
    std::atomic<uint32_t> generation{0};
    std::atomic<int32_t> countdown{0};  // 200-ms ticks before a preview; 0 = none pending
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> resetTilesFirst{true};
    std::atomic<bool> profileJob{false};
    std::atomic<bool> profileBuilt{false};
    std::atomic<bool> fullRun{false};
    std::atomic<bool> saved{false};
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> processed{false};

    CBitmapEx* image = nullptr;
    std::string savePath;  // empty: the run does not save
    TileRect visible;      // image pixels; empty = the whole image
    NoiseFilterParams params{};
    // Written by a profile run before it sets *profile built*; read once that is set.
    NoiseProfile profiles[3]{};
    ProfileChoice profileChoice;
    TileGrid tiles;
    ProgressControl* progress = nullptr;
    BatchJob* batch = nullptr;  // a batch run's job; none for the open image

    // The worker's report of its last save.
    std::atomic<SaveOutcome> saveOutcome{SaveOutcome::kNone};
    std::string saveError;    // the codec's reason, valid with kFailed
    std::string saveWarning;  // what a successful save left out, else empty
};

// What a run needs besides the job, fixed when it starts.
struct RunSettings {
    std::string sourcePath;  // learned profiles are keyed on it
    ImageDescriptor descriptor;
    ProfileChoiceOptions profileOptions;
    LearnedProfileStore* store = nullptr;
    bool useIndividualProfile = false;  // "Turn off self-learning for this image"
    int jpegQuality = 90;               // of the save after a full run
    bool save16Bit = true;
    TiffCompression tiffCompression = TiffCompression::kDeflate;
    bool finalSave =
        false;  // the save is the image's last use (CNoiseCleanerDoc::PrepareFinalSave)
    JobEvents* events = nullptr;
};

// The worker's copy of the job. The tile callback's caller data is a JobRun.
struct JobRun {
    ImageJob* job = nullptr;  // the document's block: generation, cancel, flags
    uint32_t generation = 0;  // the job's generation when the run started
    bool profileJob = false;
    bool fullRun = false;
    bool wholeImage = false;  // set by the worker: saves, full and profile runs
    std::string savePath;
    TileRect visible;
    NoiseFilterParams params{};
    NoiseProfile profile{};  // the one to filter with
    CBitmapEx* image = nullptr;
    ProgressControl* progress = nullptr;
    BatchJob* batch = nullptr;
    int32_t done = 0;  // tiles done in this run
    int32_t toDo = 0;  // tiles to do in this run
    RunSettings settings;

    // The document's generation differs or its cancel flag is set.
    bool Stale() const;
};

// The engine's tile callback for a run (caller data: the JobRun).
int ImageJobTileCallback(ProgressRecord& record);

// Whether a tile's inner rectangle meets `visible` (an empty one meets every tile).
bool TileMeets(const TileRect& inner, const TileRect& visible);
bool RectEmpty(const TileRect& rect);

}  // namespace stillpix
