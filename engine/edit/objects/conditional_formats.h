// Conditional formats (CONDFMT and the CF records of its rules) kept on their cells: the
// ranges and their bounds move with rows or columns, a CONDFMT left without cells goes with
// its rules, and the references of the rules' formulas follow the cells they name.
#pragma once

#include <cstdint>

#include "engine/edit/objects/cell_ranges.h"

namespace tabrix::engine {

// 0, or kUnwalkableFormula when a CONDFMT or CF cannot be read through.
int32_t check_conditional_formats(const RecordList &records);
void move_conditional_formats(Sheet &sheet, const GridMove &move);

}  // namespace tabrix::engine
