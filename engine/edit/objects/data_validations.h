// Data validations (DVAL and its DV records) kept on their cells: each rule's ranges move
// with rows or columns, a rule left without cells goes (and DVAL counts one less), and the
// references of its formulas follow the cells they name.
#pragma once

#include <cstdint>

#include "engine/edit/objects/cell_ranges.h"

namespace tabrix::engine {

// 0, or kUnwalkableFormula when a DVAL or DV cannot be read through (cut short, a length
// that overruns, a text of an unknown form, a formula that cannot be walked).
int32_t check_data_validations(const RecordList &records);
void move_data_validations(Sheet &sheet, const GridMove &move);

// The rules of the copied cells (checked), with their ranges inside `copied`.
void copy_data_validations(const Sheet &sheet, const CellRange &copied,
                           std::vector<CopiedRule> &out);
// Pasted at `target`, moved by (dx, dy): the target's cells leave the sheet's rules, and the
// copied rules that the sheet holds extend over the pasted cells (checked).
void paste_data_validations(Sheet &sheet, const std::vector<CopiedRule> &copied,
                            const CellRange &target, int32_t dx, int32_t dy);

}  // namespace tabrix::engine
