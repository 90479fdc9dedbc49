// Idle priority for the thread that runs a batch, and back.
#pragma once

namespace stillpix {

// Puts the calling thread (only it) at idle priority: SCHED_IDLE, or the lowest nice value
// when the scheduler refuses. Restores the thread's earlier priority on destruction.
class ScopedIdlePriority {
public:
    explicit ScopedIdlePriority(bool idle);
    ~ScopedIdlePriority();
    ScopedIdlePriority(const ScopedIdlePriority&) = delete;
    ScopedIdlePriority& operator=(const ScopedIdlePriority&) = delete;

private:
    bool changedPolicy_ = false;
    bool changedNice_ = false;
    int policy_ = 0;
    int priority_ = 0;
    int nice_ = 0;
};

// True when the calling thread runs at idle priority (SCHED_IDLE or nice 19).
bool CurrentThreadIsIdle();

}  // namespace stillpix
