// Out of memory on demand: a test binary that links failing_allocations.cpp replaces the global
// operator new, and while an AllocationFailure lives, every allocation of at least `bytes` throws
// std::bad_alloc, as a machine without that much memory would.
#pragma once

#include <cstddef>

namespace stillpix::test {

// The thread sanitizer's runtime owns operator new and delete: there the refusal cannot be
// armed, and tests that need it skip.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define STILLPIX_NO_ALLOCATION_FAILURES 1
#endif
#endif
#if defined(__SANITIZE_THREAD__) || defined(STILLPIX_NO_ALLOCATION_FAILURES)
inline constexpr bool kAllocationFailuresWork = false;
#else
inline constexpr bool kAllocationFailuresWork = true;
#endif

class AllocationFailure {
public:
    // otherThreadsOnly: only allocations made on threads other than the one creating this fail
    // (a tile loop's workers, say, while the caller's decoding and saving go through).
    explicit AllocationFailure(std::size_t bytes, bool otherThreadsOnly = false);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // How many allocations were refused so far.
    int Refused() const;
};

}  // namespace stillpix::test
