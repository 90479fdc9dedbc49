#include "batch/worker_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace stillpix {
namespace {

// On Linux a nice value set for a thread id applies to that thread alone.
id_t ThisThreadId() { return static_cast<id_t>(::syscall(SYS_gettid)); }

constexpr int kIdleNice = 19;

}  // namespace

ScopedIdlePriority::ScopedIdlePriority(bool idle) {
    if (!idle) return;
    sched_param param{};
    if (::pthread_getschedparam(::pthread_self(), &policy_, &param) == 0) {
        priority_ = param.sched_priority;
        sched_param idleParam{};
        changedPolicy_ = ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idleParam) == 0;
    }
    if (changedPolicy_) return;
    errno = 0;
    nice_ = ::getpriority(PRIO_PROCESS, ThisThreadId());
    if (errno == 0) changedNice_ = ::setpriority(PRIO_PROCESS, ThisThreadId(), kIdleNice) == 0;
}

ScopedIdlePriority::~ScopedIdlePriority() {
    if (changedPolicy_) {
        sched_param param{};
        param.sched_priority = priority_;
        ::pthread_setschedparam(::pthread_self(), policy_, &param);
    }
    // Lowering nice needs privileges an ordinary user lacks; the thread then stays low, which
    // is harmless for a thread that ends with the run.
    if (changedNice_) ::setpriority(PRIO_PROCESS, ThisThreadId(), nice_);
}

bool CurrentThreadIsIdle() {
    int policy = 0;
    sched_param param{};
    if (::pthread_getschedparam(::pthread_self(), &policy, &param) == 0 && policy == SCHED_IDLE)
        return true;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, ThisThreadId());
    return errno == 0 && nice >= kIdleNice;
}

}  // namespace stillpix
