// Queries on the cells of a workbook in memory: the attribute stored with one cell of the
// current sheet, and where the current sheet's cells end.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// XM_GetCellAttr: the XF index stored for cell (x, y) of the current sheet (a MULRK or
// MULBLANK element's own). 0, or -2/-3; -6 for a workbook opened for reading, whose cells are
// not in memory; -34 no place for the answer; -4 no current sheet; -32 a cell off the sheet;
// -35 no cell record there.
int32_t cell_attribute(BookRef ref, int32_t x, int32_t y, int32_t *xf);

// Where the counted cell records of the current sheet end, in stored (row-major) order.
struct LastCell {
    int32_t row = -1;            // row of the last counted record
    int32_t column = -1;         // last column that record covers
    int32_t widest_column = -1;  // last column any counted record covers
};

// XM_GetLastX, XM_GetLastPos: every cell record counts with its last column, BLANK and
// MULBLANK only when `values_only` is false. 0; kEmptySheet when no record counts (the
// answer then holds -1 throughout); -2/-3; -4 no current sheet.
inline constexpr int32_t kEmptySheet = -1;
int32_t last_cell(BookRef ref, bool values_only, LastCell *out);

}  // namespace tabrix::engine
