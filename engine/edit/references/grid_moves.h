// Rows or columns of one sheet inserted or deleted, with everything in the workbook that
// refers to their cells kept in step: the formulas of the sheet (every coordinate), the 3-D
// references of every sheet's formulas and of the defined names that name the sheet alone, and
// the array and table formulas of the sheet.
#pragma once

#include <cstdint>

#include "engine/edit/objects/notes.h"
#include "engine/edit/references/reference_moves.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

struct GridMove {
    int32_t sheet = 0;
    bool rows = true;  // else columns
    AxisMove axis;
};

// 0 when every reference the move touches can be moved; kUnwalkableFormula for a formula, a
// name or a carried record that cannot be stepped through, an array or table formula whose
// range the move would cut in part, or a table's input cell it would delete. Changes nothing;
// `objects` receives the sheet's comment and drawing records as the move leaves them.
int32_t check_grid_move(const Workbook &book, const GridMove &move, ObjectRecords &objects);

// Moves the references (checked first, with the objects the check gave), once the sheet's
// cells have moved.
void move_grid_references(Workbook &book, const GridMove &move, ObjectRecords &objects);

}  // namespace tabrix::engine
