// Where each row's cell records lie in a sheet of a workbook's file, so that a cell read by
// row and column goes straight to its row, whatever order the cells are asked for in.
//
// A region (a row block, or the whole sheet when it has no usable INDEX) is indexed the
// first time one of its rows is asked for: one pass over its records notes where each row's
// cell records begin and end. That holds when the region's cell records come in row and
// column order, as every writer puts them; a region out of that order (or a whole sheet with
// an embedded chart among its records) is left to the sorted list of cell_fetch.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/biff/le_bytes.h"
#include "engine/model/read_state.h"
#include "engine/read/read_mode/cell_values.h"

namespace tabrix::engine {

class WorkbookReader;

// Indexes the region's rows unless it has been; whether the region is in order (and its rows
// are indexed). `region` is a block number of the sheet's INDEX, or kWholeSheetRegion.
inline constexpr int64_t kWholeSheetRegion = -2;
bool rows_in_order(const WorkbookReader &reader, size_t sheet, SheetReadState &state,
                   int64_t region);

// The offset of the cell record that answers (row, column) in an indexed region: the first
// record of the row starting at the column, else the record before it if it covers the
// column; false when there is none. Reading a row left to right goes on from the last answer.
bool find_in_row(std::span<const uint8_t> stream, SheetReadState &state, uint16_t row,
                 uint8_t column, uint32_t *offset);

// The record at the row cursor, when a read of (row, column) further along the row of the
// sheet's last read may take it: a cell record starting at the column. The cursor stays on
// record boundaries of its row, whose records were found whole inside the stream when the row
// was indexed.
inline bool record_at_cursor(std::span<const uint8_t> stream, const RowCursor &cursor, uint16_t row,
                             uint8_t column, uint32_t *offset) {
    if (cursor.row != row || column < cursor.column || cursor.next >= cursor.end) return false;
    const uint8_t *record = stream.data() + cursor.next;
    CellRecordPlace place;
    if (!cell_place_of(cell_record_of(load_u16(record)),
                       stream.subspan(cursor.next + 4, load_u16(record + 2)), place) ||
        place.first_column != column) {
        return false;
    }
    *offset = cursor.next;
    return true;
}

// The same answer for a read further along the row of the sheet's last read, the cursor moved
// past it: reading a row cell after cell finds no row again.
bool find_at_cursor(std::span<const uint8_t> stream, SheetReadState &state, uint16_t row,
                    uint8_t column, uint32_t *offset);

// Moves the cursor past the record at `at` (of `length` data bytes), which answered `column`:
// the next column goes on behind it, and it comes before that column.
inline void advance_cursor(RowCursor &cursor, uint8_t column, uint32_t at, size_t length) {
    if (column == 255) {
        cursor.column = column;
        cursor.next = at;
        return;
    }
    cursor.column = static_cast<uint8_t>(column + 1);
    cursor.next = at + static_cast<uint32_t>(4 + length);
    cursor.has_before = true;
    cursor.before = at;
}

}  // namespace tabrix::engine
