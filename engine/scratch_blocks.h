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

// A block of at least `bytes`, from this thread's kept ones or new (may throw std::bad_alloc);
// `capacity` receives its real size. Tiles of the edge columns and rows are a little smaller
// than the inner ones: a kept block serves requests down to two thirds of its size, and a new
// one is made an eighth larger than asked (pages never written cost no memory), so one set of
// blocks serves every tile of a row.
uint8_t* TakeScratchBlock(std::size_t bytes, std::size_t& capacity);
// Keeps the block for this thread's next TakeScratchBlock, or frees it.
void ReturnScratchBlock(uint8_t* block, std::size_t capacity) noexcept;
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
        data_ = reinterpret_cast<T*>(TakeScratchBlock(count * sizeof(T), bytes_));
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
