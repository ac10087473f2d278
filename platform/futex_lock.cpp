#include "platform/futex_lock.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tabrix::platform {

namespace {

void futex(std::atomic<uint32_t> &word, int operation, uint32_t value) {
    static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
    syscall(SYS_futex, reinterpret_cast<uint32_t *>(&word), operation | FUTEX_PRIVATE_FLAG, value,
            nullptr, nullptr, 0);
}

}  // namespace

// A thread that finds the lock held marks it waited for and sleeps while it stays so; the
// mark makes the holder's unlock wake one sleeper. A woken thread marks it again when it
// takes it, as other sleepers may remain.
void FutexLock::lock_contended() noexcept {
    while (state_.exchange(kWaitedFor, std::memory_order_acquire) != kFree) {
        futex(state_, FUTEX_WAIT, kWaitedFor);
    }
}

void FutexLock::wake_one() noexcept {
    futex(state_, FUTEX_WAKE, 1);
}

}  // namespace tabrix::platform
