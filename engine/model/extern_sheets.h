// The workbook's EXTERNSHEET table as formulas index it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tabrix::engine {

// One entry of the BIFF8 EXTERNSHEET table: which SUPBOOK, and the sheets it spans.
struct ExternSheetEntry {
    uint16_t supporting_book = 0;
    uint16_t first_sheet = 0;
    uint16_t last_sheet = 0;

    bool operator==(const ExternSheetEntry &) const = default;
};

inline constexpr size_t kExternSheetCapacity = 256;

}  // namespace tabrix::engine
