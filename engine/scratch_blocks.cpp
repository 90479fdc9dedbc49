#include "engine/scratch_blocks.h"

#include <new>

namespace stillpix {

namespace {

constexpr int kKeptBlocks = 12;  // one tile's levels (planes and maps) and its buffer, with room

struct KeptBlocks {
    uint8_t* block[kKeptBlocks] = {};
    std::size_t bytes[kKeptBlocks] = {};
    int count = 0;

    ~KeptBlocks() { Release(); }
    void Release() noexcept {
        for (int i = 0; i < count; ++i) delete[] block[i];
        count = 0;
    }
};

// The pointer outlives the blocks it points to: a block returned while the thread ends (a level
// destroyed after the thread's own objects) is simply freed.
thread_local KeptBlocks* kept = nullptr;

struct KeptBlocksOwner {
    KeptBlocks blocks;
    KeptBlocksOwner() { kept = &blocks; }
    ~KeptBlocksOwner() { kept = nullptr; }
};
thread_local KeptBlocksOwner owner;

KeptBlocks* ThisThreadsBlocks() {
    static_cast<void>(owner);  // made on the thread's first use
    return kept;
}

}  // namespace

uint8_t* TakeScratchBlock(std::size_t bytes, std::size_t& capacity) {
    KeptBlocks* k = ThisThreadsBlocks();
    int best = -1;
    if (k != nullptr)
        for (int i = 0; i < k->count; ++i)
            if (k->bytes[i] >= bytes && k->bytes[i] <= bytes + bytes / 2 &&
                (best < 0 || k->bytes[i] < k->bytes[best]))
                best = i;
    if (best < 0) {
        capacity = (bytes + bytes / 8 + 4095) / 4096 * 4096;
        return new uint8_t[capacity];
    }
    uint8_t* block = k->block[best];
    capacity = k->bytes[best];
    // Kept blocks stay in the order they came back, so that the oldest goes first.
    for (int i = best + 1; i < k->count; ++i) {
        k->block[i - 1] = k->block[i];
        k->bytes[i - 1] = k->bytes[i];
    }
    --k->count;
    return block;
}

void ReturnScratchBlock(uint8_t* block, std::size_t capacity) noexcept {
    KeptBlocks* k = kept;
    if (k == nullptr) {
        delete[] block;
        return;
    }
    if (k->count == kKeptBlocks) {  // the oldest goes
        delete[] k->block[0];
        for (int i = 1; i < k->count; ++i) {
            k->block[i - 1] = k->block[i];
            k->bytes[i - 1] = k->bytes[i];
        }
        --k->count;
    }
    k->block[k->count] = block;
    k->bytes[k->count] = capacity;
    ++k->count;
}

void ReleaseScratchBlocks() noexcept {
    if (kept != nullptr) kept->Release();
}

}  // namespace stillpix
