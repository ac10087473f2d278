#include "engine/read/read_mode/row_index.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

namespace {

constexpr size_t kHeader = 4;
constexpr uint32_t kRowCount = 0x10000;

// The cell record at `at` (its header known to lie inside the stream): its place, or false
// for a record that is no cell, as the sorted list leaves such records out.
bool place_at(std::span<const uint8_t> stream, size_t at, CellRecordPlace &place) {
    const size_t length = load_u16(stream.data() + at + 2);
    return cell_place_of(cell_record_of(load_u16(stream.data() + at)),
                         stream.subspan(at + kHeader, length), place);
}

// The records of one region and the rows it answers for.
struct Region {
    size_t start = 0;
    size_t end = 0;
    bool whole_sheet = false;  // ends at the sheet's EOF, embedded charts not allowed
    uint32_t first_row = 0;
    uint32_t row_end = kRowCount;
};

Region region_of(const WorkbookReader &reader, size_t sheet, const SheetReadState &state,
                 int64_t number) {
    Region region;
    if (number == kWholeSheetRegion) {
        region.whole_sheet = true;
        RecordReader records = reader.sheet_records(sheet);
        RawRecord bof;
        // A sheet that does not start with its BOF has no cells to read.
        if (records.next(bof) && bof.number == rec::kBof) {
            region.start = records.offset();
            region.end = reader.stream().size();
        }
        return region;
    }
    const auto block = static_cast<size_t>(number);
    region.start = state.blocks[block].start;
    region.end = state.blocks[block].end;
    region.first_row = std::max(state.blocks[block].first_row, state.first_row);
    region.row_end = std::min(state.row_end, kRowCount);
    if (block + 1 < state.blocks.size()) {
        region.row_end = std::min(region.row_end, state.blocks[block + 1].first_row);
    }
    return region;
}

// Notes where the region's rows lie; false when its cell records are out of order (or a
// whole sheet holds an embedded chart), leaving the rows noted so far unused. Every record of
// the region passes here once, so the loop keeps to plain loads and one order key.
bool index_rows(std::span<const uint8_t> stream, const Region &region, SheetReadState &state) {
    const uint8_t *const bytes = stream.data();
    const size_t size = std::min<size_t>(stream.size(), UINT32_MAX);
    const size_t end = std::min(region.end, size);
    uint32_t previous = 0;  // (row << 8 | first column) + 1 of the last cell record; 0: none
    for (size_t at = region.start; at < end && size - at >= kHeader;) {
        const uint16_t number = load_u16(bytes + at);
        const size_t length = load_u16(bytes + at + 2);
        if (length > size - at - kHeader) break;
        if (region.whole_sheet && (number == rec::kBof || number == rec::kEof)) {
            if (number == rec::kBof) return false;
            break;
        }
        const size_t next = at + kHeader + length;
        CellRecordPlace place;
        if (cell_place_of(cell_record_of(number), {bytes + at + kHeader, length}, place)) {
            const uint32_t key = (uint32_t{place.row} << 8 | place.first_column) + 1;
            if (key < previous) return false;
            previous = key;
            if (place.row >= region.first_row && place.row < region.row_end) {
                const size_t index = place.row - state.rows_base;
                if (index >= state.rows.size()) state.rows.resize(index + 1);
                RowSpan &span = state.rows[index];
                if (span.end == 0) span.start = static_cast<uint32_t>(at);
                span.end = static_cast<uint32_t>(next);
            }
        }
        at = next;
    }
    return true;
}

}  // namespace

bool rows_in_order(const WorkbookReader &reader, size_t sheet, SheetReadState &state,
                   int64_t region) {
    if (state.region_order.empty()) {
        state.region_order.assign(std::max<size_t>(1, state.blocks.size()), RegionOrder::unknown);
        state.rows_base = state.indexed ? std::min(state.first_row, kRowCount) : 0;
    }
    RegionOrder &order = state.region_order[region < 0 ? 0 : static_cast<size_t>(region)];
    if (order == RegionOrder::unknown) {
        const bool in_order =
            index_rows(reader.stream(), region_of(reader, sheet, state, region), state);
        order = in_order ? RegionOrder::in_order : RegionOrder::out_of_order;
    }
    return order == RegionOrder::in_order;
}

bool find_at_cursor(std::span<const uint8_t> stream, SheetReadState &state, uint16_t row,
                    uint8_t column, uint32_t *offset) {
    if (!record_at_cursor(stream, state.cursor, row, column, offset)) return false;
    advance_cursor(state.cursor, column, *offset, load_u16(stream.data() + *offset + 2));
    return true;
}

bool find_in_row(std::span<const uint8_t> stream, SheetReadState &state, uint16_t row,
                 uint8_t column, uint32_t *offset) {
    if (row < state.rows_base || row - state.rows_base >= state.rows.size()) return false;
    const RowSpan &span = state.rows[row - state.rows_base];
    if (span.end == 0) return false;
    // Every record before the cursor starts left of its column: a read further right in the
    // same row goes on from there.
    RowCursor &cursor = state.cursor;
    if (cursor.row != row || column < cursor.column) {
        cursor = RowCursor{row, column, span.start, false, 0, span.end};
    }
    uint32_t at = cursor.next;
    CellRecordPlace place;
    while (at < span.end) {
        if (place_at(stream, at, place)) {
            if (place.first_column == column) {
                advance_cursor(cursor, column, at, load_u16(stream.data() + at + 2));
                *offset = at;
                return true;
            }
            if (place.first_column > column) break;
            cursor.has_before = true;
            cursor.before = at;
        }
        at += static_cast<uint32_t>(kHeader + load_u16(stream.data() + at + 2));
    }
    cursor.column = column;
    cursor.next = at;
    if (cursor.has_before && place_at(stream, cursor.before, place) &&
        place.last_column >= column) {
        *offset = cursor.before;
        return true;
    }
    return false;
}

}  // namespace tabrix::engine
