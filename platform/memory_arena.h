// Memory for many small blocks that live and die with one owner (the rows of a sheet's cells).
// Blocks are carved from large chunks, mapped as the owner grows; a chunk of several megabytes
// asks for huge pages, so filling a large sheet costs a few page faults instead of thousands,
// and the owner's end gives all of it back at once. A freed block is kept for the next block
// of its size; a block larger than kLargestBlock comes from the general heap.
//
// Under AddressSanitizer every block comes from the general heap, where the sanitizer checks
// each one; a block never given back is then reported as a leak.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

namespace tabrix::platform {

class MemoryArena {
  public:
    static constexpr size_t kLargestBlock = 4096;

    MemoryArena() = default;
    ~MemoryArena();
    MemoryArena(const MemoryArena &) = delete;
    MemoryArena &operator=(const MemoryArena &) = delete;

    // A block of at least `bytes` bytes, aligned for any scalar; throws std::bad_alloc.
    void *allocate(size_t bytes);
    // Gives back a block allocate() made with the same `bytes`.
    void deallocate(void *block, size_t bytes) noexcept;
    // The owner is going: blocks given back from here on are not kept for reuse, which would
    // touch each of them once more, as the chunks go with the arena anyway.
    void closing() noexcept { closing_ = true; }

  private:
    static constexpr size_t kGrain = 16;
    struct FreeBlock {
        FreeBlock *next;
    };

    void *carve(size_t bytes);
    void map_chunk(size_t at_least);

    std::array<FreeBlock *, kLargestBlock / kGrain> free_{};  // by size, in grains less one
    std::vector<std::pair<void *, size_t>> chunks_;
    uint8_t *next_ = nullptr;
    uint8_t *end_ = nullptr;
    size_t next_chunk_size_ = size_t{64} << 10;
    bool closing_ = false;
};

// The standard containers' allocator over an arena; containers that share an arena may swap
// and move their memory.
template <class T>
class ArenaAllocator {
  public:
    static_assert(alignof(T) <= 16);
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    explicit ArenaAllocator(MemoryArena &arena) noexcept : arena_(&arena) {}
    template <class U>
    ArenaAllocator(const ArenaAllocator<U> &other) noexcept : arena_(other.arena()) {}

    T *allocate(size_t n) { return static_cast<T *>(arena_->allocate(n * sizeof(T))); }
    void deallocate(T *block, size_t n) noexcept { arena_->deallocate(block, n * sizeof(T)); }
    MemoryArena *arena() const noexcept { return arena_; }

    friend bool operator==(const ArenaAllocator &a, const ArenaAllocator &b) noexcept {
        return a.arena_ == b.arena_;
    }

  private:
    MemoryArena *arena_;
};

}  // namespace tabrix::platform
