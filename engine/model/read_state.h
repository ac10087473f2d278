// What the calls that read a workbook's file keep between calls, per workbook: where each
// sheet's rows lie in the file, the cells of the row block read last, the row heights, and
// the place of a sequential walk inside a MULRK or MULBLANK run. All of it is derived from
// the file, which never changes while the workbook is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tabrix::engine {

// What is known of a region's order (row_index.h).
enum class RegionOrder : uint8_t { unknown, in_order, out_of_order };

// One cell record of a sheet in the file: its row, the columns it covers and where it lies.
struct CellRecordPlace {
    uint16_t row = 0;
    uint8_t first_column = 0;
    uint8_t last_column = 0;
    uint32_t offset = 0;  // of the record header in the workbook stream
};

// One row block named by the sheet's INDEX: its first ROW record up to its DBCELL.
struct RowBlockPlace {
    uint32_t first_row = 0;
    uint32_t start = 0;
    uint32_t end = 0;  // the DBCELL's offset
};

// Where a row's cell records lie in the stream: from the first one's header to the end of
// the last one. End 0 for a row without cell records.
struct RowSpan {
    uint32_t start = 0;
    uint32_t end = 0;
};

// How far the last cell read got in its row: the first record from `column` on (or the
// row's end) and the last record before it, if any, and where the row's records end.
struct RowCursor {
    int32_t row = -1;
    uint8_t column = 0;
    uint32_t next = 0;
    bool has_before = false;
    uint32_t before = 0;
    uint32_t end = 0;
};

struct SheetReadState {
    bool located = false;  // the INDEX has been looked for
    bool indexed = false;  // it was found and every position in it led to a row block
    uint32_t first_row = 0;
    uint32_t row_end = 0;
    std::vector<RowBlockPlace> blocks;  // by first row
    int64_t last_block = -1;            // the block the last row read lies in

    // The cell records of one region, sorted by row and first column (stream order among
    // equals): a row block, or the whole sheet when it has no usable INDEX.
    int64_t region = -1;  // block number, -2 for the whole sheet, -1 for none yet
    std::vector<CellRecordPlace> cells;
    size_t last_lookup = 0;  // where the last cell was looked for in `cells`

    // The regions whose cell records are in row and column order, indexed by row instead.
    std::vector<RegionOrder> region_order;  // by block; the whole sheet: 0
    uint32_t rows_base = 0;                 // the row of rows[0]
    std::vector<RowSpan> rows;
    RowCursor cursor;

    // Row heights in twips by row, and the sheet's DEFAULTROWHEIGHT height (-1: none).
    bool heights_read = false;
    int32_t default_row_height = -1;
    std::vector<std::pair<uint16_t, uint16_t>> row_heights;

    // A MULRK or MULBLANK record the sequential walk is part way through.
    uint32_t walk_record = 0;
    uint16_t walk_next_element = 0;  // 0: no run in progress
};

struct ReadState {
    std::vector<SheetReadState> sheets;  // by the file's sheet number, made on first use
};

}  // namespace tabrix::engine
