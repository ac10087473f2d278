// The sheet's carried records that name cells (hyperlinks, data validations, conditional
// formats, the autofilter's columns), kept in step with rows or columns that move.
#pragma once

#include <cstdint>

#include "engine/edit/references/grid_moves.h"

namespace tabrix::engine {

// 0 when every such record of the sheet can be read through and moved, else
// kUnwalkableFormula. Changes nothing.
int32_t check_attached_ranges(const Sheet &sheet);
// Moves them (checked); before the names move, since the autofilter reads its range there.
void move_attached_ranges(Workbook &book, const GridMove &move);

}  // namespace tabrix::engine
