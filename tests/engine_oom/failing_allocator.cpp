// Every replaceable form of operator new and delete. The memory comes from malloc, which
// AddressSanitizer intercepts, so a sanitizer build still checks every block.
#include "failing_allocator.h"

#include <stdlib.h>

#include <atomic>
#include <cstddef>
#include <new>

namespace tabrix::test::allocator {
namespace {

// Allocations left before the one that fails; 0 is disarmed. A sticky countdown stays at
// 1 once there, so every later allocation fails too.
std::atomic<uint64_t> g_countdown{0};
std::atomic<bool> g_sticky{false};
std::atomic<bool> g_failed{false};
std::atomic<uint64_t> g_count{0};

bool should_fail() {
    g_count.fetch_add(1, std::memory_order_relaxed);
    const uint64_t left = g_countdown.load(std::memory_order_relaxed);
    if (left == 0) return false;
    if (left > 1) {
        g_countdown.store(left - 1, std::memory_order_relaxed);
        return false;
    }
    if (!g_sticky.load(std::memory_order_relaxed)) {
        g_countdown.store(0, std::memory_order_relaxed);
    }
    g_failed.store(true, std::memory_order_relaxed);
    return true;
}

void arm(uint64_t n, bool sticky) {
    g_failed.store(false, std::memory_order_relaxed);
    g_sticky.store(sticky, std::memory_order_relaxed);
    g_countdown.store(n, std::memory_order_relaxed);
}

void *allocate(std::size_t size) {
    if (should_fail()) return nullptr;
    return ::malloc(size == 0 ? 1 : size);
}

void *allocate(std::size_t size, std::align_val_t alignment) {
    if (should_fail()) return nullptr;
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void *)) align = sizeof(void *);
    void *block = nullptr;
    if (::posix_memalign(&block, align, size == 0 ? 1 : size) != 0) return nullptr;
    return block;
}

}  // namespace

void fail_nth(uint64_t n) {
    arm(n == 0 ? 1 : n, false);
}
void fail_from(uint64_t n) {
    arm(n == 0 ? 1 : n, true);
}
void disarm() {
    g_countdown.store(0, std::memory_order_relaxed);
    g_sticky.store(false, std::memory_order_relaxed);
}
uint64_t allocation_count() {
    return g_count.load(std::memory_order_relaxed);
}
bool failure_happened() {
    return g_failed.load(std::memory_order_relaxed);
}

}  // namespace tabrix::test::allocator

using tabrix::test::allocator::allocate;

void *operator new(std::size_t size) {
    if (void *block = allocate(size)) return block;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
    if (void *block = allocate(size)) return block;
    throw std::bad_alloc();
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    return allocate(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return allocate(size);
}
void *operator new(std::size_t size, std::align_val_t alignment) {
    if (void *block = allocate(size, alignment)) return block;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size, std::align_val_t alignment) {
    if (void *block = allocate(size, alignment)) return block;
    throw std::bad_alloc();
}
void *operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept {
    return allocate(size, alignment);
}
void *operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t &) noexcept {
    return allocate(size, alignment);
}

void operator delete(void *block) noexcept {
    ::free(block);
}
void operator delete[](void *block) noexcept {
    ::free(block);
}
void operator delete(void *block, const std::nothrow_t &) noexcept {
    ::free(block);
}
void operator delete[](void *block, const std::nothrow_t &) noexcept {
    ::free(block);
}
void operator delete(void *block, std::size_t) noexcept {
    ::free(block);
}
void operator delete[](void *block, std::size_t) noexcept {
    ::free(block);
}
void operator delete(void *block, std::align_val_t) noexcept {
    ::free(block);
}
void operator delete[](void *block, std::align_val_t) noexcept {
    ::free(block);
}
void operator delete(void *block, std::size_t, std::align_val_t) noexcept {
    ::free(block);
}
void operator delete[](void *block, std::size_t, std::align_val_t) noexcept {
    ::free(block);
}
void operator delete(void *block, std::align_val_t, const std::nothrow_t &) noexcept {
    ::free(block);
}
void operator delete[](void *block, std::align_val_t, const std::nothrow_t &) noexcept {
    ::free(block);
}
