// The built-in worksheet functions the formula compiler knows: BIFF function number, accepted
// argument counts, and the operand class that reference arguments take inside each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tabrix::engine {

// Added to ptgRef (0x24) or ptgArea (0x25) to give the class an argument needs.
inline constexpr uint8_t kReferenceClass = 0x00;
inline constexpr uint8_t kValueClass = 0x20;
inline constexpr uint8_t kArrayClass = 0x40;

// COUNT's BIFF number is 0, which the parser keeps for "no function"; the table holds 65535
// and the emitter writes 0.
inline constexpr uint16_t kCountFunctionNumber = 65535;

struct FunctionInfo {
    const char *name;  // upper case; null marks the end of the table
    uint16_t number;
    int8_t minArgs;
    int8_t maxArgs;
    uint8_t areaClassDelta;  // added to ptgArea arguments
    uint8_t refClassDelta;   // added to ptgRef arguments
};

inline constexpr size_t kFunctionCount = 231;
// kFunctionCount entries, then the end marker.
extern const FunctionInfo FunctionTable[kFunctionCount + 1];

// Searches the table in its own order; `upper_name` must be upper case already.
const FunctionInfo *find_function(std::u16string_view upper_name);

// The number as written to the file.
inline uint16_t biff_function_number(const FunctionInfo &function) {
    return function.number == kCountFunctionNumber ? 0 : function.number;
}

}  // namespace tabrix::engine
