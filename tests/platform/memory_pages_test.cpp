// Huge pages are asked for without overriding the user's tunables; released pages are whole
// pages inside the range only, so the bytes around them survive.
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/memory_pages.h"

namespace stillpix {
namespace {

TEST(MemoryPages, HugePagesJoinTheTunablesUnlessTheUserChose) {
    EXPECT_EQ(TunablesWithHugePages(nullptr), "glibc.malloc.hugetlb=1");
    EXPECT_EQ(TunablesWithHugePages("glibc.malloc.arena_max=2"),
              "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1");
    EXPECT_EQ(TunablesWithHugePages("glibc.malloc.hugetlb=0"), std::nullopt);
}

TEST(MemoryPages, ReleaseZeroesOnlyWholePagesInsideTheRange) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<uint8_t> block(page * 4, 7);
    uint8_t* aligned = block.data() + (page - reinterpret_cast<uintptr_t>(block.data()) % page);
    // From one byte into the first whole page to one byte into the third: only the second goes.
    ReleasePages(aligned + 1, 2 * page);
    EXPECT_EQ(aligned[0], 7);
    EXPECT_EQ(aligned[page - 1], 7);
    EXPECT_EQ(aligned[page], 0);
    EXPECT_EQ(aligned[2 * page - 1], 0);
    EXPECT_EQ(aligned[2 * page], 7);
}

}  // namespace
}  // namespace stillpix
