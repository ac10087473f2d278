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
#include "engine/read/read_mode/row_index.h"
#include "engine/read/reader/workbook_reader.h"

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
// read_cell through the sheets' row cursors and indexes, for any cell.
int32_t read_any_cell(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *kind,
                      double *value, const TextBuffer &text);

// Reading a row cell after cell meets the record at the row's cursor: a plain number or shared
// text there (RK, NUMBER, LABELSST) is answered inline, with no copy of the cell; anything
// else, the general path answers, the cursor untouched.
inline int32_t read_cell(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *kind,
                         double *value, const TextBuffer &text) {
    if (!book.read_only || !book.source || sheet < 0 ||
        static_cast<size_t>(sheet) >= book.read_state.sheets.size()) {
        return read_any_cell(book, sheet, x, y, kind, value, text);
    }
    RowCursor &cursor = book.read_state.sheets[static_cast<size_t>(sheet)].cursor;
    uint32_t offset = 0;
    if (x < 0 || x > 255 || y != cursor.row ||
        !record_at_cursor(book.source->stream(), cursor, static_cast<uint16_t>(y),
                          static_cast<uint8_t>(x), &offset)) {
        return read_any_cell(book, sheet, x, y, kind, value, text);
    }
    const uint8_t *record = book.source->stream().data() + offset;
    const size_t length = load_u16(record + 2);
    const uint8_t *data = record + 4;
    if (length < 10) return read_any_cell(book, sheet, x, y, kind, value, text);
    switch (cell_record_of(load_u16(record))) {
        case CellRecord::rk:
            if (value) *value = rk_value(load_u32(data + 6));
            if (kind) *kind = 0;
            break;
        case CellRecord::number:
            if (length < 14) return read_any_cell(book, sheet, x, y, kind, value, text);
            if (value) *value = load_f64(data + 6);
            if (kind) *kind = 0;
            break;
        case CellRecord::label_sst: {
            const std::vector<std::u16string> &strings = book.source->shared_strings();
            const uint32_t index = load_u32(data + 6);
            if (index >= strings.size()) return read_any_cell(book, sheet, x, y, kind, value, text);
            text.put(strings[index]);
            if (kind) *kind = 1;
            break;
        }
        default:
            return read_any_cell(book, sheet, x, y, kind, value, text);
    }
    advance_cursor(cursor, static_cast<uint8_t>(x), offset, length);
    return 0;
}

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
