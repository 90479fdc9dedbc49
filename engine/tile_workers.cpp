#include "engine/tile_workers.h"

#include <algorithm>
#include <atomic>

#include "engine/engine.h"

namespace stillpix {

namespace {

std::atomic<int> engineThreads{0};

}  // namespace

void SetEngineThreads(int count) { engineThreads.store(std::max(count, 0)); }

int EngineThreads() {
    const int chosen = engineThreads.load();
    if (chosen > 0) return chosen;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

TileWorkers::TileWorkers(int threads, std::function<void(int job)> work) : work_(std::move(work)) {
    threads = std::max(threads, 1);
    queue_.reserve(static_cast<std::size_t>(threads));
    done_.reserve(static_cast<std::size_t>(threads));
    if (threads == 1) return;
    try {
        workers_.reserve(static_cast<std::size_t>(threads));
        for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    } catch (...) {
        // Fewer threads than asked for (none left, or no memory): the run goes on with those
        // that started, or on the caller's thread.
    }
    threads_ = std::max<int>(1, static_cast<int>(workers_.size()));
}

TileWorkers::~TileWorkers() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    pending_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void TileWorkers::Submit(int job) {
    ++inFlight_;
    if (workers_.empty()) {
        work_(job);
        done_.push_back(job);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(job);
    }
    pending_.notify_one();
}

int TileWorkers::WaitFinished() {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (!workers_.empty()) {
        lock.lock();
        finished_.wait(lock, [this] { return !done_.empty(); });
    }
    const int job = done_.front();
    done_.erase(done_.begin());
    --inFlight_;
    return job;
}

void TileWorkers::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        pending_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) return;  // closing, nothing left
        const int job = queue_.front();
        queue_.erase(queue_.begin());
        lock.unlock();
        work_(job);
        lock.lock();
        done_.push_back(job);
        finished_.notify_one();
    }
}

}  // namespace stillpix
