// A lock of one word for locks taken once per call on a hot path: taking and giving back a
// free lock is one atomic instruction each, inline, and only a contended lock enters the
// kernel (a futex). While the process has a single thread (as the C library tells), no other
// thread can see the word, so plain loads and stores do, as the C library's own mutex does.
// Not recursive; no owner is recorded.
#pragma once

#include <atomic>
#include <cstdint>

#if __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#define TABRIX_SINGLE_THREADED() (__libc_single_threaded != 0)
#else
#define TABRIX_SINGLE_THREADED() false
#endif

namespace tabrix::platform {

class FutexLock {
  public:
    FutexLock() = default;
    FutexLock(const FutexLock &) = delete;
    FutexLock &operator=(const FutexLock &) = delete;

    void lock() noexcept {
        if (TABRIX_SINGLE_THREADED() && state_.load(std::memory_order_relaxed) == kFree) {
            state_.store(kHeld, std::memory_order_relaxed);
            return;
        }
        uint32_t expected = kFree;
        if (!state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire,
                                            std::memory_order_relaxed)) {
            lock_contended();
        }
    }
    void unlock() noexcept {
        // Only a thread that waits marks the lock waited for: with one thread, none does.
        if (TABRIX_SINGLE_THREADED()) {
            state_.store(kFree, std::memory_order_relaxed);
            return;
        }
        if (state_.exchange(kFree, std::memory_order_release) == kWaitedFor) wake_one();
    }

  private:
    static constexpr uint32_t kFree = 0;
    static constexpr uint32_t kHeld = 1;
    static constexpr uint32_t kWaitedFor = 2;  // held, and a thread may sleep on it

    void lock_contended() noexcept;
    void wake_one() noexcept;

    std::atomic<uint32_t> state_ = kFree;
};

}  // namespace tabrix::platform
