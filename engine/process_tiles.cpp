// The tile loop: each tile's margin rectangle goes through the pyramid on its own buffer and
// its inner rectangle comes back into the destination. Tiles run on worker threads; the caller's
// thread hands them out in record order, calls every callback and keeps the records.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <new>

#include "engine/engine.h"
#include "engine/entry_guard.h"
#include "engine/pyramid_level.h"
#include "engine/scratch_blocks.h"
#include "engine/tile_loop.h"
#include "engine/tile_workers.h"

namespace stillpix {

namespace {

struct TileBuffer {
    uint8_t* data = nullptr;
    std::size_t bytes = 0;
    explicit TileBuffer(std::size_t size) { data = TakeScratchBlock(size, bytes); }
    ~TileBuffer() { ReturnScratchBlock(data, bytes); }
    TileBuffer(const TileBuffer&) = delete;
    TileBuffer& operator=(const TileBuffer&) = delete;
};

// The caller's thread keeps scratch blocks while it runs tiles itself; the run gives them back.
struct ScratchRelease {
    ~ScratchRelease() { ReleaseScratchBlocks(); }
};

int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SixteenBit(int bitsPerPixel) { return bitsPerPixel == 48 || bitsPerPixel == 16; }

// One tile in flight: what the caller's thread hands a worker and takes back.
struct TileJob {
    int index = -1;
    TileRect inner, margin;
    uint8_t* buffer = nullptr;  // the caller's, or null: the worker allocates one
    int64_t start = 0;          // before the tile's first callback
    int64_t end = 0;            // after the pyramid
    std::unique_ptr<TileMeasurement> measurement;  // profiling
    std::exception_ptr error;
};

// What every tile of a run shares, read-only.
struct TileRun {
    const FilterContext* context = nullptr;
    const uint8_t* input = nullptr;  // source, or the measured image
    uint8_t* destination = nullptr;
    std::size_t stride = 0;
    int bytesPerPixel = 0;
    bool sixteenBit = false;
    bool profiling = false;
};

template <class Sample>
void RunTile(uint8_t* buffer, const TileRun& run, const TileRect& margin,
             TileMeasurement* measurement) {
    PyramidLevel<Sample> level0;
    level0.bytesPerPixel = run.bytesPerPixel;
    level0.tileBuffer = buffer;
    level0.width = margin.right - margin.left;
    level0.height = margin.bottom - margin.top;
    level0.margin = margin;
    RunPyramidLevel(level0, *run.context, 0, measurement);
}

// Copies the margin rectangle into a buffer of its own (unless the caller gave one), runs the
// pyramid and, filtering into an own buffer, copies the inner rectangle out. Safe on any thread:
// it reads the input and writes only the job and the job's own inner rectangle.
void ComputeTile(const TileRun& run, TileJob& job) noexcept {
    try {
        const TileRect& m = job.margin;
        const int w = m.right - m.left;
        const int h = m.bottom - m.top;
        const std::size_t rowBytes = std::size_t(w) * run.bytesPerPixel;
        std::unique_ptr<TileBuffer> owned;
        uint8_t* buffer = job.buffer;
        if (buffer == nullptr) {
            owned = std::make_unique<TileBuffer>(rowBytes * h);
            buffer = owned->data;
            for (int y = 0; y < h; ++y)
                std::memcpy(
                    buffer + rowBytes * y,
                    run.input + run.stride * (m.top + y) + std::size_t(m.left) * run.bytesPerPixel,
                    rowBytes);
        }
        if (run.sixteenBit) RunTile<int32_t>(buffer, run, m, nullptr);
        else RunTile<int16_t>(buffer, run, m, job.measurement.get());
        job.end = NowMilliseconds();
        if (owned == nullptr || run.profiling) return;
        const TileRect& in = job.inner;
        const std::size_t innerBytes = std::size_t(in.right - in.left) * run.bytesPerPixel;
        const std::size_t offset = std::size_t(in.left - m.left) * run.bytesPerPixel;
        for (int y = in.top; y < in.bottom; ++y)
            std::memcpy(run.destination + run.stride * y + std::size_t(in.left) * run.bytesPerPixel,
                        buffer + rowBytes * (y - m.top) + offset, innerBytes);
    } catch (...) {
        job.error = std::current_exception();
    }
}

// Filtering a buffer into itself reads margins that neighbouring tiles write: only one tile at a
// time keeps that in the order of the records.
bool Overlap(const uint8_t* a, const uint8_t* b, std::size_t size) {
    const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x < y + size && y < x + size;
}

// Measurements of finished tiles wait here until every tile handed out before them is merged.
class MeasurementMerge {
public:
    MeasurementMerge(NoiseProfile& profile, ProfileAccumulator& accumulator, int levels)
        : profile_(profile), accumulator_(accumulator), levels_(levels) {}
    void HandedOut(int index) { order_.push_back(index); }
    void Finished(int index, std::unique_ptr<TileMeasurement> measurement) {
        waiting_[index] = std::move(measurement);
        while (!order_.empty() && waiting_.count(order_.front()) != 0) {
            const auto it = waiting_.find(order_.front());
            if (it->second != nullptr)
                for (int level = 0; level < levels_; ++level)
                    AcceptBlocks(it->second->levels[level], level, profile_.bands[level],
                                 accumulator_);
            waiting_.erase(it);
            order_.pop_front();
        }
    }

private:
    NoiseProfile& profile_;
    ProfileAccumulator& accumulator_;
    int levels_;
    std::deque<int> order_;
    std::map<int, std::unique_ptr<TileMeasurement>> waiting_;
};

}  // namespace

bool RunTileLoop(TileGrid& tiles, int width, int height, uint8_t* destination,
                 const uint8_t* source, int bitsPerPixel, std::size_t bufferSize,
                 const NoiseFilterParams* params, NoiseProfile* profile, bool profiling,
                 void* callerData, TileCallback tileCallback, ProfileAccumulator* accumulator,
                 TileBufferCallback tileBufferCallback) {
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32 &&
        bitsPerPixel != 48)
        return false;
    if (profile == nullptr || profile->bandCount < 1 || width <= 0 || height <= 0) return false;
    if (tiles.count > 0 && tiles.tiles == nullptr) return false;
    const uint8_t* input = profiling ? destination : source;
    if (input == nullptr && tileBufferCallback == nullptr) return false;
    if (profiling) {
        // Measurement exists on the 8-bit pipeline only.
        if (accumulator == nullptr || SixteenBit(bitsPerPixel)) return false;
    } else if (params == nullptr || (destination == nullptr && tileBufferCallback == nullptr)) {
        return false;
    }

    const int bytesPerPixel = bitsPerPixel / 8;
    const std::size_t stride = bitsPerPixel == 24 ? (std::size_t(width) * 3 + 3) / 4 * 4
                                                  : bufferSize / std::size_t(height);
    if (input != nullptr &&
        (stride < std::size_t(width) * bytesPerPixel || stride * height > bufferSize))
        return false;

    FilterContext context;
    BuildFilterContext(*profile, profiling ? nullptr : params, SixteenBit(bitsPerPixel), context);
    const TileRun run{&context, input, destination, stride, bytesPerPixel, SixteenBit(bitsPerPixel),
                      profiling};
    const bool inPlace = !profiling && input != nullptr && destination != nullptr &&
                         Overlap(input, destination, stride * height);
    const int threads = inPlace ? 1 : std::clamp(EngineThreads(), 1, std::max(tiles.count, 1));

    // Declared before the workers, so that jobs still in flight outlive them.
    const ScratchRelease scratchRelease;
    std::vector<TileJob> jobs(static_cast<std::size_t>(threads));
    std::vector<int> freeJobs;
    std::unique_ptr<MeasurementMerge> merge;
    if (profiling)
        merge = std::make_unique<MeasurementMerge>(*profile, *accumulator, context.lastLevel + 1);
    TileWorkers workers(threads, [&](int job) { ComputeTile(run, jobs[job]); });
    for (int job = workers.Threads() - 1; job >= 0; --job) freeJobs.push_back(job);

    // The run's result follows the tile handled last in record order.
    bool result = false;
    int deciding = -1;
    auto decide = [&](int index, bool completed) {
        if (index > deciding) deciding = index, result = completed;
    };
    bool stopped = false;
    std::exception_ptr failure;
    int64_t lastEnd = 0;
    for (int next = 0;;) {
        while (!stopped && next < tiles.count && !freeJobs.empty()) {
            const int index = next++;
            const TileRecord& tile = tiles.tiles[index];
            // A grid made for another image size must not send the loop outside the buffer.
            if (tile.margin.left < 0 || tile.margin.top < 0 || tile.margin.right > width ||
                tile.margin.bottom > height || tile.margin.left >= tile.margin.right ||
                tile.margin.top >= tile.margin.bottom)
                continue;
            const int64_t start = NowMilliseconds();
            ProgressRecord record{profiling ? 0 : 1, index, kBeforeTile, &tiles, callerData};
            if (tileCallback != nullptr && tileCallback(record) == 0) {
                decide(index, false);
                continue;
            }
            uint8_t* buffer = nullptr;
            if (tileBufferCallback != nullptr && (buffer = tileBufferCallback(record)) == nullptr)
                continue;
            const int slot = freeJobs.back();
            freeJobs.pop_back();
            TileJob& job = jobs[slot];
            job = TileJob{};
            job.index = index, job.inner = tile.inner, job.margin = tile.margin;
            job.buffer = buffer, job.start = start;
            if (profiling) {
                job.measurement = std::make_unique<TileMeasurement>();
                job.measurement->tileCount = tiles.count;
                std::copy(std::begin(profile->bands), std::end(profile->bands),
                          job.measurement->known);
                merge->HandedOut(index);
            }
            workers.Submit(slot);
        }
        if (workers.InFlight() == 0) break;

        const int slot = workers.WaitFinished();
        freeJobs.push_back(slot);
        TileJob& job = jobs[slot];
        if (job.error) {
            if (!failure) failure = job.error;
            stopped = true;
            if (merge) merge->Finished(job.index, nullptr);
            continue;
        }
        TileRecord& tile = tiles.tiles[job.index];
        (profiling ? tile.profiled : tile.filtered) = 1;
        // Wall time since the tile started or the one before it finished, whichever came later:
        // the tiles' times add up to the run's, whatever the thread count.
        tile.elapsedMs =
            static_cast<int32_t>(std::max<int64_t>(0, job.end - std::max(job.start, lastEnd)));
        lastEnd = std::max(lastEnd, job.end);
        ProgressRecord record{profiling ? 0 : 1, job.index, kAfterTile, &tiles, callerData};
        if (tileBufferCallback != nullptr) tileBufferCallback(record);
        if (merge) merge->Finished(job.index, std::move(job.measurement));
        if (stopped) continue;
        if (tileCallback != nullptr && tileCallback(record) == 0) {
            stopped = true;
            result = false;
            deciding = tiles.count;  // nothing decides after a stop
            continue;
        }
        decide(job.index, true);
    }
    if (failure) std::rethrow_exception(failure);
    return result;
}

bool ProcessTiles(TileGrid& tiles, int width, int height, uint8_t* destination,
                  const uint8_t* source, int bitsPerPixel, std::size_t bufferSize,
                  const NoiseFilterParams* params, NoiseProfile* profile, bool profiling,
                  void* callerData, TileCallback tileCallback, ProfileAccumulator* accumulator,
                  TileBufferCallback tileBufferCallback) {
    return FalseOnException([&] {
        return RunTileLoop(tiles, width, height, destination, source, bitsPerPixel, bufferSize,
                           params, profile, profiling, callerData, tileCallback, accumulator,
                           tileBufferCallback);
    });
}

}  // namespace stillpix
