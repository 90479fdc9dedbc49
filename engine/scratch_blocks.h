// Memory blocks that a thread hands from one tile to the next. A tile's planes, maps and buffer
// come back at the same sizes on every tile; fresh ones from the system would fault in page by
// page each time, and two threads faulting at once queue on the same lock. Each thread keeps a
// few blocks; the tile loop gives its own back before it returns, a worker's go when it ends.
// Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace stillpix {

// A block of at least `bytes`, from this thread's kept ones or new (may throw std::bad_alloc).
uint8_t* TakeScratchBlock(std::size_t bytes);
// Keeps the block for this thread's next TakeScratchBlock of the same size, or frees it.
void ReturnScratchBlock(uint8_t* block, std::size_t bytes) noexcept;
// Frees every block this thread keeps.
void ReleaseScratchBlocks() noexcept;

// Owns `count` elements of T in a scratch block (contents undefined until written).
template <class T>
class ScratchArray {
public:
    ScratchArray() = default;
    ~ScratchArray() { Release(); }
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;

    void Allocate(std::size_t count) {
        Release();
        const std::size_t bytes = count * sizeof(T);
        data_ = reinterpret_cast<T*>(TakeScratchBlock(bytes));
        bytes_ = bytes;
    }
    void Release() noexcept {
        if (data_ != nullptr) ReturnScratchBlock(reinterpret_cast<uint8_t*>(data_), bytes_);
        data_ = nullptr;
        bytes_ = 0;
    }
    T* Data() const { return data_; }

private:
    T* data_ = nullptr;
    std::size_t bytes_ = 0;
};

}  // namespace stillpix
