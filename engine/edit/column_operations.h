// Columns of a sheet inserted, deleted, cleared, copied and pasted, with everything that
// holds a column: cells (runs split at the edges), formula references, column ranges,
// merged ranges and keyword entries. A refused call leaves the sheet as it was.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// n columns at c: -32 for a column outside 0-255, -1 for a count below 1, -2 when a cell
// would be pushed past the last column, -4 for a formula of the sheet that cannot be walked
// (and for a delete cutting an array formula's range in part), and the common codes of
// structure_sheet. A count reaching past the last column stops there.
int32_t insert_columns(const BookRef &ref, int32_t sheet, int32_t column, int32_t count);
int32_t delete_columns(const BookRef &ref, int32_t sheet, int32_t column, int32_t count);
// Works on Excel 95 workbooks too.
int32_t clear_columns(const BookRef &ref, int32_t sheet, int32_t column, int32_t count);

// Copies the column into the sheet's buffer and, when `target` is not -1 and not the
// source, pastes it there.
int32_t copy_column(const BookRef &ref, int32_t sheet, int32_t source, int32_t target);
// Pastes a column buffer at the column (-1 for another kind).
int32_t paste_column(const BookRef &ref, int32_t sheet, int32_t column);

}  // namespace tabrix::engine
