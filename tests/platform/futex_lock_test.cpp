#include "platform/futex_lock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tabrix::platform {
namespace {

// Threads that keep taking one lock lose no update of what it guards: both the waits that
// sleep and the wakes that end them are reached, and every increment under the lock counts.
TEST(FutexLock, ExcludesThreadsThatContendForIt) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    FutexLock lock;
    long guarded = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                lock.lock();
                const long seen = guarded;
                if (i % 64 == 0)
                    std::this_thread::yield();  // holds it long enough to be waited for
                guarded = seen + 1;
                lock.unlock();
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(guarded, long{kThreads} * kRounds);
}

}  // namespace
}  // namespace tabrix::platform
