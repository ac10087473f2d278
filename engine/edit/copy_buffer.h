// Block clear, and the sheet's copy buffer: rows, a column or a block copied once and pasted
// any number of times. Shared by the row and column calls, which reach the sheet through
// structure_sheet.
#pragma once

#include <cstdint>

#include "engine/edit/position_lists.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

inline constexpr int32_t kLastRow = 65535;
inline constexpr int32_t kLastColumn = 255;

// The sheet a row, column or block call works on: the workbook's own error when there is
// none, -4 for a sheet outside it, -6 for a workbook opened for reading and, unless
// `excel95_too`, for an Excel 95 workbook.
int32_t structure_sheet(const BookRef &ref, int32_t sheet, bool excel95_too, Sheet **out);

// Sets the sheet's used range to the cells it now holds.
void refresh_used_range(Sheet &sheet);

// Removes the cells inside the rectangle (cut to the sheet), the merged ranges wholly inside
// and the keyword entries inside. Width and height below 1: -1.
int32_t clear_block(Sheet &sheet, CellRect rect);

// Fills the buffer with the cells inside the rectangle (cut to the sheet; -32 for a corner
// off it, -1 for a width or height below 1, the buffer then empty), the merged ranges that
// overlap it and, for rows, their settings.
int32_t copy_to_buffer(Sheet &sheet, CellRect rect, CopyBuffer::Kind kind);

// Pastes `buffer` with its top-left cell at (x, y): -1 for an empty buffer; -2 when a cell
// would leave the columns, -3 the rows, -4 for a formula that cannot be walked, all before
// anything changes. The target rectangle is cleared first; merged ranges are clipped to it
// and replace the sheet's ranges they overlap. Relative references move with the cells; the
// buffer's comments replace those of the target (new ids from the workbook's drawing group).
int32_t paste_buffer(Sheet &sheet, const CopyBuffer &buffer, int32_t x, int32_t y,
                     RecordList &drawing_group);

// The block calls on a workbook's sheet, with the checks of structure_sheet first.
int32_t clear_cells(const BookRef &ref, int32_t sheet, const CellRect &rect);
// Copies the rectangle into the buffer and pastes it at (target_x, target_y) unless either
// is -1.
int32_t copy_cells(const BookRef &ref, int32_t sheet, const CellRect &rect, int32_t target_x,
                   int32_t target_y);
// Pastes whatever the buffer holds.
int32_t paste_cells(const BookRef &ref, int32_t sheet, int32_t x, int32_t y);

}  // namespace tabrix::engine
