#include "platform/memory_arena.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tabrix::platform {
namespace {

struct Block {
    uint8_t *data;
    size_t size;
    uint8_t mark;
};

bool intact(const Block &block) {
    for (size_t i = 0; i < block.size; ++i) {
        if (block.data[i] != block.mark) return false;
    }
    return true;
}

// Blocks of every size, across several chunks and past the largest arena block, freed and
// taken again: each is aligned and none overlaps another that is alive.
TEST(MemoryArena, BlocksStayApartThroughReuse) {
    MemoryArena arena;
    std::vector<Block> live;
    auto take = [&](size_t size) {
        auto *data = static_cast<uint8_t *>(arena.allocate(size));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u) << size;
        const auto mark = static_cast<uint8_t>(live.size() * 7 + 1);
        std::memset(data, mark, size);
        live.push_back({data, size, mark});
    };
    for (size_t i = 0; i < 8000; ++i) take(1 + (i * 37) % (MemoryArena::kLargestBlock + 600));
    for (size_t i = 0; i < live.size(); i += 2) arena.deallocate(live[i].data, live[i].size);
    std::vector<Block> kept;
    for (size_t i = 1; i < live.size(); i += 2) kept.push_back(live[i]);
    live = kept;
    for (size_t i = 0; i < 4000; ++i) take(1 + (i * 53) % 2048);
    size_t damaged = 0;
    for (const Block &block : live) damaged += intact(block) ? 0 : 1;
    EXPECT_EQ(damaged, 0u);
    for (const Block &block : live) arena.deallocate(block.data, block.size);
}

// A container over the arena grows, is copied and shrinks like any other.
TEST(MemoryArena, ServesAVector) {
    MemoryArena arena;
    std::vector<int, ArenaAllocator<int>> numbers{ArenaAllocator<int>(arena)};
    for (int i = 0; i < 5000; ++i) numbers.push_back(i);
    std::vector<int, ArenaAllocator<int>> copy(numbers);
    numbers.resize(10);
    numbers.shrink_to_fit();
    ASSERT_EQ(copy.size(), 5000u);
    EXPECT_EQ(copy[4999], 4999);
    EXPECT_EQ(numbers.back(), 9);
}

}  // namespace
}  // namespace tabrix::platform
