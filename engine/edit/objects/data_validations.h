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

}  // namespace tabrix::engine
