// A global operator new that can be told to fail, so that tests reach the out-of-memory
// paths on purpose. Disarmed it only counts; armed it fails a chosen allocation (throwing
// std::bad_alloc, or returning null from the nothrow forms). The test program is single
// threaded: arm just around the call under test, never across an assertion.
#pragma once

#include <cstdint>

namespace tabrix::test::allocator {

// The n-th allocation from now (n >= 1) fails, and only that one.
void fail_nth(uint64_t n);
// The n-th allocation from now and every later one fail, until disarmed.
void fail_from(uint64_t n);
// Back to counting only.
void disarm();

// Allocations made since the program started, failed ones included.
uint64_t allocation_count();
// Whether an armed failure has happened since the last fail_nth or fail_from.
bool failure_happened();

}  // namespace tabrix::test::allocator
