#include "engine/read/sequential_walk.h"

#include <climits>
#include <utility>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/cell_fetch.h"
#include "engine/read/sheet_scan.h"
#include "engine/read/workbook_reader.h"

namespace tabrix::engine {

namespace {

// A BOOLERR cell's text is padded to these widths.
constexpr size_t kBooleanWidth = 5;
constexpr size_t kErrorWidth = 7;

bool ends_walk(uint16_t number) {
    return number == rec::kObj || number == rec::kImData || number == rec::kMsoDrawing;
}

int32_t position_of(size_t offset) {
    return offset > INT32_MAX ? kWalkEnd : static_cast<int32_t>(offset);
}

void take_value(const CellValue &value, bool boolerr, WalkedCell &cell) {
    cell.xf = value.xf;
    cell.number = 0;
    cell.text.clear();
    switch (value.kind) {
        case CellKind::blank:
            cell.kind = kWalkBlank;
            return;
        case CellKind::integer:
        case CellKind::number:
            cell.kind = kWalkNumber;
            cell.number = value.number;
            return;
        case CellKind::text:
            cell.kind = kWalkText;
            cell.text = value.text_view();
            return;
        case CellKind::boolean:
            cell.kind = kWalkText;
            cell.text = value.code ? u"TRUE" : u"FALSE";
            if (boolerr) cell.text.resize(kBooleanWidth, u' ');
            return;
        case CellKind::error:
            // A code that is no error reads as an empty text.
            cell.kind = kWalkText;
            cell.text = error_text(value.code);
            if (boolerr && !cell.text.empty()) cell.text.resize(kErrorWidth, u' ');
            return;
    }
}

}  // namespace

int32_t walk_sheet(Workbook &book, int32_t sheet, int32_t position, WalkedCell &cell) {
    if (!book.source) return kWalkEnd;
    const WorkbookReader &reader = *book.source;
    if (sheet < 0 || static_cast<size_t>(sheet) >= reader.sheets().size()) return kWalkNoSheet;
    const size_t index = static_cast<size_t>(sheet);
    const SheetEntry &entry = reader.sheets()[index];
    if (entry.is_chart() || !sheet_starts_with_bof(reader, index)) return kWalkEnd;
    SheetReadState &state = read_state_of(book, index);

    RecordReader records(reader.stream(), entry.bof_offset);
    RawRecord record;
    if (position <= static_cast<int64_t>(entry.bof_offset)) {
        records.next(record);  // the sheet's own BOF
    } else {
        records.seek(static_cast<size_t>(position));
    }
    // The next element of a run only when the call goes on at that run.
    uint16_t element = state.walk_next_element != 0 && records.offset() == state.walk_record
                           ? state.walk_next_element
                           : 0;
    state.walk_next_element = 0;

    const FileTexts texts(reader);
    size_t depth = 0;  // inside an embedded chart's substream
    while (records.next(record)) {
        const uint16_t first_element = std::exchange(element, 0);
        if (record.number == rec::kBof) {
            ++depth;
            continue;
        }
        if (record.number == rec::kEof) {
            if (depth == 0) return kWalkEnd;
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (ends_walk(record.number)) return kWalkObjects;

        if (record.number == rec::kBlank) {
            // Off the grid, as for the other cell records.
            if (record.data.size() < 6 || load_u16(record.data.data() + 2) > 255) continue;
            cell = WalkedCell{};
            cell.row = load_u16(record.data.data());
            cell.column = load_u16(record.data.data() + 2);
            cell.xf = load_u16(record.data.data() + 4);
            return position_of(records.offset());
        }
        const CellRecord kind = cell_record_of(record.number);
        CellRecordPlace place;
        if (!cell_place_of(kind, record.data, place)) continue;
        CellValue value;
        if (kind == CellRecord::mulrk || kind == CellRecord::mulblank) {
            const size_t count = static_cast<size_t>(place.last_column - place.first_column) + 1;
            if (first_element >= count) continue;
            const auto column = static_cast<uint8_t>(place.first_column + first_element);
            if (!decode_cell(texts, kind, record.data, column, nullptr, value)) continue;
            take_value(value, false, cell);
            cell.row = place.row;
            cell.column = column;
            if (first_element + 1u < count) {
                state.walk_record = static_cast<uint32_t>(record.offset);
                state.walk_next_element = static_cast<uint16_t>(first_element + 1);
                return position_of(record.offset);
            }
            return position_of(records.offset());
        }
        RawRecord string;
        const bool has_string = kind == CellRecord::formula && formula_has_string(record.data) &&
                                next_string_record(records, string);
        if (!decode_cell(texts, kind, record.data, place.first_column,
                         has_string ? &string.data : nullptr, value)) {
            continue;
        }
        take_value(value, kind == CellRecord::boolerr, cell);
        cell.row = place.row;
        cell.column = place.first_column;
        return position_of(records.offset());
    }
    return kWalkEnd;
}

int32_t walk_sheet_into(Workbook &book, int32_t sheet, int32_t position, int32_t *column,
                        int32_t *row, int32_t *xf, int32_t *kind, double *number,
                        const TextBuffer &text) {
    WalkedCell cell;
    const int32_t next = walk_sheet(book, sheet, position, cell);
    if (next == kWalkEnd || next == kWalkObjects || next == kWalkNoSheet) return next;
    if (column) *column = cell.column;
    if (row) *row = cell.row;
    if (xf) *xf = cell.xf;
    if (kind) *kind = cell.kind;
    if (number) *number = cell.number;
    text.put(cell.text);
    return next;
}

}  // namespace tabrix::engine
