#include "engine/read/read_mode/sequential_walk.h"

#include <climits>
#include <utility>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/cell_fetch.h"
#include "engine/read/read_mode/cell_walk_records.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

namespace {

// A BOOLERR cell's text is padded to these widths.
constexpr size_t kBooleanWidth = 5;
constexpr size_t kErrorWidth = 7;

int32_t position_of(size_t offset) {
    return offset > INT32_MAX ? kWalkEnd : static_cast<int32_t>(offset);
}

int32_t walk_kind(const CellValue &value) {
    switch (value.kind) {
        case CellKind::blank:
            return kWalkBlank;
        case CellKind::integer:
        case CellKind::number:
            return kWalkNumber;
        default:
            return kWalkText;
    }
}

// The text a cell is delivered as: its own, or its boolean or error value's (a BOOLERR cell's
// padded). `padded` holds the latter, which fit its short-string room.
std::u16string_view walk_text(const CellValue &value, bool boolerr, std::u16string &padded) {
    switch (value.kind) {
        case CellKind::text:
            return value.text_view();
        case CellKind::boolean:
            padded = value.code ? u"TRUE" : u"FALSE";
            if (boolerr) padded.resize(kBooleanWidth, u' ');
            return padded;
        case CellKind::error:
            // A code that is no error reads as an empty text.
            padded = error_text(value.code);
            if (boolerr && !padded.empty()) padded.resize(kErrorWidth, u' ');
            return padded;
        default:
            return {};
    }
}

// One step of the walk: hands the next cell to deliver(value, boolerr, row, column) and
// returns the position to go on from, or what ends the walk.
template <class Deliver>
int32_t walk_step(Workbook &book, int32_t sheet, int32_t position, Deliver &&deliver) {
    if (!book.source) return kWalkEnd;
    const WorkbookReader &reader = *book.source;
    if (sheet < 0 || static_cast<size_t>(sheet) >= reader.sheets().size()) return kWalkNoSheet;
    const size_t index = static_cast<size_t>(sheet);
    RecordReader records;
    if (!open_cell_walk(reader, index, position, records)) return kWalkEnd;
    SheetReadState &state = read_state_of(book, index);
    RawRecord record;
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
        if (ends_cell_walk(record.number)) return kWalkObjects;

        if (record.number == rec::kBlank) {
            // Off the grid, as for the other cell records.
            if (record.data.size() < 6 || load_u16(record.data.data() + 2) > 255) continue;
            CellValue blank;
            blank.xf = load_u16(record.data.data() + 4);
            deliver(blank, false, load_u16(record.data.data()), load_u16(record.data.data() + 2));
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
            deliver(value, false, place.row, column);
            if (first_element + 1u < count) {
                state.walk_record = static_cast<uint32_t>(record.offset);
                state.walk_next_element = static_cast<uint16_t>(first_element + 1);
                return position_of(record.offset);
            }
            return position_of(records.offset());
        }
        const WholeCellRecord whole(records, record, reader.biff8());
        if (!decode_cell(texts, kind, whole.data(), place.first_column, whole.string(), value)) {
            continue;
        }
        deliver(value, kind == CellRecord::boolerr, place.row, place.first_column);
        return position_of(records.offset());
    }
    return kWalkEnd;
}

}  // namespace

int32_t walk_sheet(Workbook &book, int32_t sheet, int32_t position, WalkedCell &cell) {
    return walk_step(book, sheet, position,
                     [&](const CellValue &value, bool boolerr, int32_t row, int32_t column) {
                         std::u16string padded;
                         cell.kind = walk_kind(value);
                         cell.xf = value.xf;
                         cell.row = row;
                         cell.column = column;
                         cell.number = cell.kind == kWalkNumber ? value.number : 0;
                         cell.text = walk_text(value, boolerr, padded);
                     });
}

int32_t walk_sheet_into(Workbook &book, int32_t sheet, int32_t position, int32_t *column,
                        int32_t *row, int32_t *xf, int32_t *kind, double *number,
                        const TextBuffer &text) {
    // Straight from the decoded cell into the outputs: no text is copied on the way.
    return walk_step(
        book, sheet, position,
        [&](const CellValue &value, bool boolerr, int32_t cell_row, int32_t cell_column) {
            std::u16string padded;
            const int32_t cell_kind = walk_kind(value);
            if (column) *column = cell_column;
            if (row) *row = cell_row;
            if (xf) *xf = value.xf;
            if (kind) *kind = cell_kind;
            if (number) *number = cell_kind == kWalkNumber ? value.number : 0;
            text.put(walk_text(value, boolerr, padded));
        });
}

}  // namespace tabrix::engine
