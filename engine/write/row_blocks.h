// The cell area of a sheet at close: ROW records in blocks of 32, each block followed by
// the cell records of its rows and one DBCELL.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/model/sheet.h"

namespace tabrix::engine {

// The cell record bytes of one row, a view into the sheet's cell store.
struct RowCells {
    uint16_t row = 0;
    std::span<const uint8_t> bytes;
};

struct RowBlock {
    std::vector<uint8_t> rows;    // ROW records, headers included
    std::vector<RowCells> cells;  // the rows that hold cells, in order
    std::vector<uint8_t> dbcell;  // the DBCELL record, header included
};

struct CellArea {
    std::vector<RowBlock> blocks;
    std::vector<uint32_t> dbcell_positions;  // from the start of the cell area
    // Rows and columns that got a ROW record: first and one past the last (0, 0 if none).
    uint32_t first_row = 0;
    uint32_t row_end = 0;
    uint16_t first_column = 0;
    uint16_t column_end = 0;
    size_t byte_total = 0;
};

// Merges the sheet's cells with its stored row settings into row blocks. The cell bytes are
// views into the sheet's cell store; stored settings are marked written.
CellArea build_cell_area(Sheet &sheet);

}  // namespace tabrix::engine
