// Rows of a sheet inserted, deleted, cleared, copied and pasted, with everything that holds
// a row: cells, formula references, row settings, merged ranges and keyword entries. Each
// call checks all it can before the first change, so a refused call leaves the sheet as it
// was.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// n rows at r; -32 unless n >= 1 and r + n <= 65536 (insert: below), -3 when a cell would
// be pushed past the last row, -4 for a formula of the sheet that cannot be walked (and for a
// delete cutting an array formula's range in part), and the common codes of structure_sheet.
int32_t insert_rows(const BookRef &ref, int32_t sheet, int32_t row, int32_t count);
int32_t delete_rows(const BookRef &ref, int32_t sheet, int32_t row, int32_t count);
int32_t clear_rows(const BookRef &ref, int32_t sheet, int32_t row, int32_t count);

// Copies the row into the sheet's buffer and, when `target` is not -1 and not the source,
// pastes it there.
int32_t copy_row(const BookRef &ref, int32_t sheet, int32_t source, int32_t target);
// Pastes a rows buffer at the row (-1 for another kind), the rows taking the copied settings.
int32_t paste_rows(const BookRef &ref, int32_t sheet, int32_t row);
// Copies `count` rows from `first` (below 0: the buffer as it is, which must hold rows) of
// `sheet` into its buffer and, when `target_row` is not negative, pastes them into
// `target_sheet` (negative: the same sheet; -6 when there is no such sheet).
int32_t copy_rows_to_sheet(const BookRef &ref, int32_t sheet, int32_t first, int32_t count,
                           int32_t target_sheet, int32_t target_row);

}  // namespace tabrix::engine
