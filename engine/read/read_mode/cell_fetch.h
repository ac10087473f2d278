// Single cells read back by sheet, column and row: from the file of a read-mode workbook,
// or from the cell store of a workbook in memory.
//
// In a file, the row is looked up through the sheet's INDEX record: each DBCELL it names
// leads back to the first ROW record of its block, which gives the block's first row, and
// the cell is looked for among the records from there to the DBCELL. A sheet without an
// INDEX, or with one whose positions do not all lead to a DBCELL and its block, is searched
// from its BOF to its EOF instead. The cells of the block (or sheet) read last are kept in
// the workbook's read state, so that reading a sheet cell by cell reads each block once.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"
#include "engine/read/read_mode/cell_values.h"

namespace tabrix::engine {

// The read state of a sheet of the workbook's file (the workbook has one); located_rows()
// with the sheet's INDEX looked up.
SheetReadState &read_state_of(Workbook &book, size_t sheet);
SheetReadState &located_rows(Workbook &book, size_t sheet);

// The cell (x, y) of a sheet of the workbook's file: 0, or -7 when there is none (also for
// a single BLANK record, a chart sheet, a row outside the rows the INDEX names and a
// position off the sheet) or it cannot be read.
int32_t fetch_cell(Workbook &book, size_t sheet, int32_t x, int32_t y, CellValue &out);

// The cell (x, y) of any workbook: a read-mode workbook's from its file, another's from its
// cell store. 0; -7 when there is none (or it cannot be read), -34 for a sheet outside the
// workbook.
int32_t cell_value_at(Workbook &book, int32_t sheet, int32_t x, int32_t y, CellValue &out);

// XM_Read on a workbook: kind 0 with the number (an integer as a double) or a blank cell,
// 1 with the text, 2 with -1.0 or 0.0 for a boolean and 1-7 for an error (#NULL! to #N/A).
// 0, or -6 for a workbook not in read mode, -34 for a sheet outside it, -7 for a missing
// cell, -8 for an error code that is none of the seven.
int32_t read_cell(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *kind, double *value,
                  const TextBuffer &text);

// XM_GetCellData: the kind of the cell as result. A read-mode workbook answers through the
// file: 0 blank (MULBLANK), 1 integer (in `integer`), 2 number, 3 boolean or error (the
// value as for read_cell), 4 text (put into the buffer) or 5 text when no buffer is given;
// -34 for a sheet outside it, -7 and -8 as for read_cell. Any other workbook answers from
// its cell store: -1 when there is no cell, 0 BLANK or MULBLANK, 1 RK or MULRK integer, 2
// NUMBER, other RK and numeric formula results, 4 text (LABEL, LABELSST, RSTRING, a
// formula's text result) and -1 for a text without a buffer, a boolean or an error; -4 for
// a sheet outside it. `xf` takes the cell's attribute whenever there is a cell.
int32_t cell_data(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *integer,
                  double *value, const TextBuffer &text, int32_t *xf);

}  // namespace tabrix::engine
