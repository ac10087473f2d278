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

// The formats of the copied cells (checked), with their ranges inside `copied`.
void copy_conditional_formats(const Sheet &sheet, const CellRange &copied,
                              std::vector<CopiedRule> &out);
// Pasted at `target`, moved by (dx, dy): the target's cells leave the sheet's formats, and the
// copied formats that the sheet holds extend over the pasted cells (checked).
void paste_conditional_formats(Sheet &sheet, const std::vector<CopiedRule> &copied,
                               const CellRange &target, int32_t dx, int32_t dy);

}  // namespace tabrix::engine
