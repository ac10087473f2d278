// A caller's number taken as a 32-bit integer, the one rule for every call that does so.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tabrix::bookapi {

// The number without its fraction; beyond the 32-bit limits it is held at them and NaN gives
// 0, where a plain conversion is undefined (and on x86 turns 3e9 into -2147483648).
inline int32_t held_int32(double value) {
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    if (value <= kLowest) return std::numeric_limits<int32_t>::min();
    if (value >= kHighest) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

}  // namespace tabrix::bookapi
