#include "platform/memory_arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TABRIX_ARENA_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABRIX_ARENA_FROM_HEAP 1
#endif
#endif

namespace tabrix::platform {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kLargestChunk = size_t{8} << 20;

}  // namespace

MemoryArena::~MemoryArena() {
    for (const auto &[base, size] : chunks_) munmap(base, size);
}

void *MemoryArena::allocate(size_t bytes) {
#ifdef TABRIX_ARENA_FROM_HEAP
    return ::operator new(bytes);
#else
    if (bytes > kLargestBlock || bytes == 0) return ::operator new(bytes);
    const size_t grains = (bytes + kGrain - 1) / kGrain;
    if (FreeBlock *block = free_[grains - 1]) {
        free_[grains - 1] = block->next;
        return block;
    }
    return carve(grains * kGrain);
#endif
}

void MemoryArena::deallocate(void *block, size_t bytes) noexcept {
#ifdef TABRIX_ARENA_FROM_HEAP
    ::operator delete(block, bytes);
#else
    if (bytes > kLargestBlock || bytes == 0) {
        ::operator delete(block);
        return;
    }
    if (closing_) return;
    const size_t grains = (bytes + kGrain - 1) / kGrain;
    auto *freed = static_cast<FreeBlock *>(block);
    freed->next = free_[grains - 1];
    free_[grains - 1] = freed;
#endif
}

void *MemoryArena::carve(size_t bytes) {
    if (static_cast<size_t>(end_ - next_) < bytes) map_chunk(bytes);
    void *block = next_;
    next_ += bytes;
    return block;
}

// Each chunk doubles the last, up to kLargestChunk, so that a small sheet takes little. A
// chunk of whole huge pages is mapped at a huge-page boundary (the slack around it given
// back) and asks to be backed by them; what is left of the previous chunk stays unused.
void MemoryArena::map_chunk(size_t at_least) {
    size_t size = std::max(next_chunk_size_, at_least);
    next_chunk_size_ = std::min(size * 2, kLargestChunk);
    chunks_.reserve(chunks_.size() + 1);  // may throw: nothing is mapped yet
    const bool huge = size % kHugePage == 0;
    const size_t mapped = huge ? size + kHugePage : size;
    void *base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    auto *start = static_cast<uint8_t *>(base);
    if (huge) {
        auto *aligned = reinterpret_cast<uint8_t *>(
            (reinterpret_cast<uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1));
        if (aligned > start) munmap(start, static_cast<size_t>(aligned - start));
        const size_t tail = static_cast<size_t>(start + mapped - (aligned + size));
        if (tail > 0) munmap(aligned + size, tail);
        start = aligned;
        madvise(start, size, MADV_HUGEPAGE);
    }
    chunks_.emplace_back(start, size);
    next_ = start;
    end_ = start + size;
}

}  // namespace tabrix::platform
