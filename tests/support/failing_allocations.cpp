// Every replaceable form of operator new and delete, over malloc and free (so that a sanitizer
// sees matching pairs), with the refusal of tests/support/failing_allocations.h.
#include "tests/support/failing_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace stillpix::test {
namespace {

std::atomic<std::size_t> refuseFrom{0};  // 0: nothing refused
std::atomic<bool> otherThreadsOnly{false};
std::thread::id armingThread;
std::atomic<int> refused{0};

#if !defined(__SANITIZE_THREAD__) && !defined(STILLPIX_NO_ALLOCATION_FAILURES)
bool Refuse(std::size_t bytes) {
    const std::size_t limit = refuseFrom.load();
    if (limit == 0 || bytes < limit) return false;
    if (otherThreadsOnly.load() && std::this_thread::get_id() == armingThread) return false;
    refused.fetch_add(1);
    return true;
}

void* Allocate(std::size_t bytes, std::size_t alignment) {
    if (Refuse(bytes)) throw std::bad_alloc();
    if (bytes == 0) bytes = 1;
    void* memory =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(bytes)
            : std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

void* AllocateOrNull(std::size_t bytes, std::size_t alignment) noexcept {
    try {
        return Allocate(bytes, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
#endif

}  // namespace

AllocationFailure::AllocationFailure(std::size_t bytes, bool onlyOthers) {
    refused.store(0);
    armingThread = std::this_thread::get_id();
    otherThreadsOnly.store(onlyOthers);
    refuseFrom.store(bytes);
}

AllocationFailure::~AllocationFailure() { refuseFrom.store(0); }

int AllocationFailure::Refused() const { return refused.load(); }

}  // namespace stillpix::test

#if !defined(__SANITIZE_THREAD__) && !defined(STILLPIX_NO_ALLOCATION_FAILURES)
using stillpix::test::Allocate;
using stillpix::test::AllocateOrNull;
constexpr std::size_t kPlain = alignof(std::max_align_t);

void* operator new(std::size_t n) { return Allocate(n, kPlain); }
void* operator new[](std::size_t n) { return Allocate(n, kPlain); }
void* operator new(std::size_t n, std::align_val_t a) { return Allocate(n, std::size_t(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return Allocate(n, std::size_t(a)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return AllocateOrNull(n, kPlain);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return AllocateOrNull(n, kPlain);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return AllocateOrNull(n, std::size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return AllocateOrNull(n, std::size_t(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
#endif
