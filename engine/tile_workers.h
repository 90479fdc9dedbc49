// The worker threads of one tile loop. The caller's thread hands jobs over and takes them back as
// they finish, so every callback of the loop stays on the caller's thread; the workers only
// compute. With one thread there are no workers: a job runs on the caller's thread as it is
// handed over.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace stillpix {

class TileWorkers {
public:
    // `work` runs once for every job handed over, on some worker; it must not throw. At most
    // Threads() jobs are in flight at once.
    TileWorkers(int threads, std::function<void(int job)> work);
    // Lets the jobs handed over finish, then ends the threads.
    ~TileWorkers();
    TileWorkers(const TileWorkers&) = delete;
    TileWorkers& operator=(const TileWorkers&) = delete;

    // How many jobs can run at once (threads that started; at least 1).
    int Threads() const { return threads_; }
    int InFlight() const { return inFlight_; }
    void Submit(int job);
    // Waits for a job handed over to finish and returns it; call only while InFlight() > 0.
    int WaitFinished();

private:
    void Work();

    std::function<void(int)> work_;
    int threads_ = 1;
    int inFlight_ = 0;  // the caller's own count
    std::mutex mutex_;
    std::condition_variable pending_;   // workers wait for jobs
    std::condition_variable finished_;  // the caller waits for results
    // Reserved for every job at once: a worker's hand-back never allocates, so it cannot throw
    // on a thread where nothing would catch it.
    std::vector<int> queue_;
    std::vector<int> done_;
    bool closing_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace stillpix
