// Formula cells: the text compiled for the cell's sheet, the FORMULA record (and the STRING
// record of a text result) stored in the cell store, and the EXTERNSHEET entries the formula
// needs taken into the workbook.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/formula/formula_record.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// Writes the formula at (x, y) with the XF argument of every write (15 default, -n replaces).
// `result` is the cached value or null. Returns 0; -3, -32, -4 for the workbook, the
// position and the sheet; -100 to -199 for a malformed formula; -34 or -31 for a bad result;
// or the cell store's error. On any failure the cell and the workbook stay as they were.
int32_t write_formula(BookRef ref, int32_t sheet, int32_t x, int32_t y, std::u16string_view text,
                      int32_t xf, const CachedResult *result);

// The same at every cell of the keyword, shifted by (dx, dy); without `xf` each cell takes
// the attribute stored with its keyword occurrence. Stops at the first failure; -37 when the
// sheet has no such keyword.
int32_t write_formula_at_keyword(BookRef ref, int32_t sheet, std::u16string_view keyword,
                                 int32_t dx, int32_t dy, std::u16string_view text,
                                 std::optional<int32_t> xf, const CachedResult *result);

}  // namespace tabrix::engine
