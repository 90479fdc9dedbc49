// The tile callback every run hands to the engine: stops stale runs between tiles, limits a
// preview to the visible tiles and moves the progress bar.
#include "document/image_job.h"

#include <algorithm>

namespace stillpix {

bool RectEmpty(const TileRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

bool TileMeets(const TileRect& inner, const TileRect& visible) {
    if (RectEmpty(visible)) return true;
    return inner.left < visible.right && visible.left < inner.right && inner.top < visible.bottom &&
           visible.top < inner.bottom;
}

bool JobRun::Stale() const {
    return job->generation.load() != generation || job->cancelRequested.load();
}

int ImageJobTileCallback(ProgressRecord& record) {
    JobRun& run = *static_cast<JobRun*>(record.callerData);
    const ImageJob& job = *run.job;
    if (record.tileIndex == 0 && record.stage == kBeforeTile) run.done = 0;
    if (record.filtering && job.generation.load() != run.generation) return 0;
    if (job.cancelRequested.load()) return 0;

    const TileRecord& tile = record.tiles->tiles[record.tileIndex];
    if (record.stage == kBeforeTile) {
        // Measuring reads every tile; only filtering skips what is done already.
        if (record.filtering && tile.filtered) return 0;
        if (!run.wholeImage && !TileMeets(tile.inner, run.visible)) return 0;
        return 1;
    }
    ++run.done;
    if (run.progress && run.progress->IsVisible() && run.toDo > 0) {
        run.progress->SetPosition(std::min(100, (run.done + 1) * 100 / run.toDo));
        if (run.settings.events) run.settings.events->ProgressMoved();
    }
    if (!run.fullRun && record.filtering && run.settings.events)
        run.settings.events->TileFiltered(tile.inner);
    return 1;
}

}  // namespace stillpix
