// Keeps C++ exceptions inside the library: every export runs its body through guarded().
#pragma once

#include <cstdint>
#include <new>

#include "engine/workbook.h"

namespace tabrix::engine {

template <class Body>
int32_t guarded(Body &&body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    } catch (...) {
        return err::kInternal;
    }
}

}  // namespace tabrix::engine
