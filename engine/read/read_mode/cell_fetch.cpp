#include "engine/read/read_mode/cell_fetch.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/row_index.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

constexpr int32_t kMissing = err::of(errDataKind);
constexpr int32_t kErrorValue = err::of(errValue);
constexpr int32_t kNoCell = -1;  // a workbook in memory has no cell there
constexpr uint32_t kLastRow = 0xFFFF;

// The texts of a workbook in memory: narrow texts are in the workbook's code page, as it
// writes them, and LABELSST cells index its own table.
class ModelTexts final : public CellTexts {
  public:
    explicit ModelTexts(const Workbook &book) : book_(book) {}
    bool biff8() const override { return book_.biff8(); }
    std::u16string narrow(std::span<const uint8_t> bytes) const override {
        return decode_narrow(bytes, book_.code_page);
    }
    const std::u16string *shared(uint32_t index) const override {
        return book_.strings.text(index);
    }

  private:
    const Workbook &book_;
};

bool place_before(const CellRecordPlace &a, const CellRecordPlace &b) {
    return a.row != b.row ? a.row < b.row : a.first_column < b.first_column;
}

// The row block closed by the DBCELL at `position`: its first field leads back to the
// block's first ROW record, which must lie inside the sheet and before the DBCELL.
std::optional<RowBlockPlace> block_of(std::span<const uint8_t> stream, size_t sheet_start,
                                      uint32_t position) {
    RawRecord dbcell;
    if (position < sheet_start || !RecordReader(stream, position).peek(dbcell) ||
        dbcell.number != rec::kDbCell || dbcell.data.size() < 4) {
        return std::nullopt;
    }
    const uint32_t back = load_u32(dbcell.data.data());
    if (back == 0 || back > position - sheet_start) return std::nullopt;
    RawRecord row;
    if (!RecordReader(stream, position - back).peek(row) || row.number != rec::kRow ||
        row.data.size() < 2 || row.offset + 4 + row.data.size() > position) {
        return std::nullopt;
    }
    return RowBlockPlace{load_u16(row.data.data()), position - back, position};
}

// Whether no two blocks share records. A sound file's never do; blocks that did would have
// their records read again for each block, a thousand times over for a crafted INDEX.
bool blocks_apart(std::vector<RowBlockPlace> blocks) {
    std::sort(blocks.begin(), blocks.end(),
              [](const RowBlockPlace &a, const RowBlockPlace &b) { return a.start < b.start; });
    for (size_t i = 1; i < blocks.size(); ++i) {
        if (blocks[i].start < blocks[i - 1].end) return false;
    }
    return true;
}

// Takes the row range and blocks of an INDEX record; leaves the sheet unindexed when any of
// its positions does not lead to a block, or two of its blocks overlap.
void read_index(const WorkbookReader &reader, size_t sheet, std::span<const uint8_t> data,
                SheetReadState &state) {
    const bool biff8 = reader.biff8();
    const size_t first = biff8 ? 16 : 12;
    if (data.size() < first) return;
    const uint32_t first_row = biff8 ? load_u32(data.data() + 4) : load_u16(data.data() + 4);
    const uint32_t row_end = biff8 ? load_u32(data.data() + 8) : load_u16(data.data() + 6);
    const size_t sheet_start = reader.sheets()[sheet].bof_offset;
    std::vector<RowBlockPlace> blocks;
    blocks.reserve((data.size() - first) / 4);
    for (size_t at = first; at + 4 <= data.size(); at += 4) {
        auto block = block_of(reader.stream(), sheet_start, load_u32(data.data() + at));
        if (!block) return;
        blocks.push_back(*block);
    }
    if (!blocks_apart(blocks)) return;
    std::stable_sort(
        blocks.begin(), blocks.end(),
        [](const RowBlockPlace &a, const RowBlockPlace &b) { return a.first_row < b.first_row; });
    state.first_row = first_row;
    state.row_end = row_end;
    state.blocks = std::move(blocks);
    state.indexed = true;
}

void add_place(uint16_t number, std::span<const uint8_t> data, size_t offset,
               std::vector<CellRecordPlace> &cells) {
    CellRecordPlace place;
    if (offset > UINT32_MAX || !cell_place_of(cell_record_of(number), data, place)) return;
    place.offset = static_cast<uint32_t>(offset);
    cells.push_back(place);
}

// Lists the cell records from `at` to `end`. With `nested`, the list ends at the sheet's
// EOF and the substreams of embedded charts are stepped over. This is the one pass over
// every record of a sheet, so it reads the record headers itself.
void list_cells(std::span<const uint8_t> stream, size_t at, size_t end, bool nested,
                std::vector<CellRecordPlace> &cells) {
    size_t depth = 0;
    end = std::min(end, stream.size());
    while (at < end && stream.size() - at >= 4) {
        const uint16_t number = load_u16(stream.data() + at);
        const size_t length = load_u16(stream.data() + at + 2);
        if (length > stream.size() - at - 4) break;
        if (nested && number == rec::kBof) {
            ++depth;
        } else if (nested && number == rec::kEof) {
            if (depth == 0) break;
            --depth;
        } else if (depth == 0) {
            add_place(number, stream.subspan(at + 4, length), at, cells);
        }
        at += 4 + length;
    }
}

// Lists the cell records of a row block, or of the whole sheet.
void load_region(const WorkbookReader &reader, size_t sheet, SheetReadState &state,
                 int64_t region) {
    state.region = -1;
    state.cells.clear();
    state.last_lookup = 0;
    if (region == kWholeSheetRegion) {
        RecordReader records = reader.sheet_records(sheet);
        RawRecord bof;
        if (records.next(bof) && bof.number == rec::kBof) {
            list_cells(reader.stream(), records.offset(), SIZE_MAX, true, state.cells);
        }
    } else {
        const RowBlockPlace &block = state.blocks[static_cast<size_t>(region)];
        list_cells(reader.stream(), block.start, block.end, false, state.cells);
    }
    if (!std::is_sorted(state.cells.begin(), state.cells.end(), place_before)) {
        std::stable_sort(state.cells.begin(), state.cells.end(), place_before);
    }
    state.region = region;
}

// Where `key` would go in `cells`. Reading a sheet in order asks for the place of the last
// lookup or the one after it, so those two are tried before a search.
size_t lower_place(const std::vector<CellRecordPlace> &cells, size_t hint,
                   const CellRecordPlace &key) {
    for (size_t place : {hint, hint + 1}) {
        if (place <= cells.size() && (place == 0 || place_before(cells[place - 1], key)) &&
            (place == cells.size() || !place_before(cells[place], key))) {
            return place;
        }
    }
    return std::lower_bound(cells.begin(), cells.end(), key, place_before) - cells.begin();
}

// The first record in stream order that starts at the column, else one that covers it.
const CellRecordPlace *find_place(SheetReadState &state, uint16_t row, uint8_t column) {
    const std::vector<CellRecordPlace> &cells = state.cells;
    const size_t place =
        lower_place(cells, state.last_lookup, CellRecordPlace{row, column, column, 0});
    state.last_lookup = place;
    if (place < cells.size() && cells[place].row == row && cells[place].first_column == column) {
        return &cells[place];
    }
    if (place == 0) return nullptr;
    const CellRecordPlace &before = cells[place - 1];
    if (before.row == row && before.first_column <= column && column <= before.last_column) {
        return &before;
    }
    return nullptr;
}

// Whether a row lies in a block: from its first row up to the next block's.
bool in_block(const SheetReadState &state, size_t block, uint32_t row) {
    return state.blocks[block].first_row <= row &&
           (block + 1 == state.blocks.size() || row < state.blocks[block + 1].first_row);
}

// The cell data answer of a decoded cell. A file's cells answer booleans and errors (3, the
// value as the read table has it) and a text without a buffer (5); a workbook in memory
// answers neither.
int32_t cell_data_answer(const CellValue &cell, bool from_file, int32_t *integer, double *value,
                         const TextBuffer &text) {
    switch (cell.kind) {
        case CellKind::blank:
            return 0;
        case CellKind::integer:
            if (integer) *integer = cell.integer;
            return 1;
        case CellKind::number:
            if (value) *value = cell.number;
            return 2;
        case CellKind::boolean:
            if (!from_file) return kNoCell;
            if (value) *value = cell.code ? -1.0 : 0.0;
            return 3;
        case CellKind::error: {
            if (!from_file) return kNoCell;
            const int32_t number = error_number(cell.code);
            if (number == 0) return kErrorValue;
            if (value) *value = number;
            return 3;
        }
        case CellKind::text:
            if (!text.given()) return from_file ? 5 : kNoCell;
            text.put(cell.text_view());
            return 4;
    }
    return kNoCell;
}

int32_t file_cell_data(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *integer,
                       double *value, const TextBuffer &text, int32_t *xf) {
    if (sheet < 0 || static_cast<size_t>(sheet) >= book.source->sheets().size()) {
        return err::kParam;
    }
    CellValue cell;
    if (int32_t rc = fetch_cell(book, static_cast<size_t>(sheet), x, y, cell); rc != 0) {
        return rc;
    }
    if (xf) *xf = cell.xf;
    return cell_data_answer(cell, true, integer, value, text);
}

// The cell (x, y) of a sheet in memory (a valid sheet number): false when there is none or
// it cannot be decoded. A blank cell decodes as blank with its attribute.
bool model_cell(const Workbook &book, int32_t sheet, int32_t x, int32_t y, CellValue &out) {
    if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) > kLastRow) return false;
    CellView view;
    const uint8_t column = static_cast<uint8_t>(x);
    if (!book.sheets[sheet]->cells.find(static_cast<uint16_t>(y), column, &view)) return false;
    if (view.number == rec::kBlank) {
        out = CellValue{};
        out.xf = view.xf_at(column);
        return true;
    }
    // A FORMULA with a text result carries its STRING record behind it.
    RecordReader records(view.image, 0);
    RawRecord record;
    if (!records.next(record)) return false;
    const WholeCellRecord whole(records, record, book.biff8());
    if (!decode_cell(ModelTexts(book), cell_record_of(view.number), whole.data(), column,
                     whole.string(), out)) {
        return false;
    }
    out.xf = view.xf_at(column);
    return true;
}

int32_t model_cell_data(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *integer,
                        double *value, const TextBuffer &text, int32_t *xf) {
    if (sheet < 0 || sheet >= book.sheet_count()) return err::kSheetNo;
    CellValue cell;
    if (!model_cell(book, sheet, x, y, cell)) return kNoCell;
    if (xf) *xf = cell.xf;
    return cell_data_answer(cell, false, integer, value, text);
}

// The cell of the record at `offset` (found inside the stream), in `column`.
int32_t cell_at(const WorkbookReader &reader, uint32_t offset, uint8_t column, CellValue &out) {
    const std::span<const uint8_t> stream = reader.stream();
    if (offset > stream.size() || stream.size() - offset < 4) return kMissing;
    const size_t length = load_u16(stream.data() + offset + 2);
    if (length > stream.size() - offset - 4) return kMissing;
    const FileTexts texts(reader);
    const CellRecord kind = cell_record_of(load_u16(stream.data() + offset));
    if (kind != CellRecord::label && kind != CellRecord::rstring && kind != CellRecord::formula) {
        // Nothing to join from the records behind it: decoded where it lies.
        return decode_cell(texts, kind, stream.subspan(offset + 4, length), column, nullptr, out)
                   ? 0
                   : kMissing;
    }
    RecordReader records(stream, offset);
    RawRecord record;
    if (!records.next(record)) return kMissing;
    const WholeCellRecord whole(records, record, reader.biff8());
    return decode_cell(texts, kind, whole.data(), column, whole.string(), out) ? 0 : kMissing;
}

}  // namespace

SheetReadState &read_state_of(Workbook &book, size_t sheet) {
    std::vector<SheetReadState> &sheets = book.read_state.sheets;
    if (sheets.size() < book.source->sheets().size()) sheets.resize(book.source->sheets().size());
    return sheets[sheet];
}

SheetReadState &located_rows(Workbook &book, size_t sheet) {
    SheetReadState &state = read_state_of(book, sheet);
    if (state.located) return state;
    state.located = true;
    // The INDEX comes before the sheet's rows and cells.
    SheetScan scan(*book.source, sheet);
    RawRecord record;
    while (scan.next(record)) {
        if (record.number == rec::kIndex) {
            read_index(*book.source, sheet, record.data, state);
            break;
        }
        if (record.number == rec::kRow || record.number == rec::kBlank ||
            cell_record_of(record.number) != CellRecord::none) {
            break;
        }
    }
    return state;
}

int32_t fetch_cell(Workbook &book, size_t sheet, int32_t x, int32_t y, CellValue &out) {
    const WorkbookReader &reader = *book.source;
    if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) > kLastRow) return kMissing;
    const auto row = static_cast<uint16_t>(y);
    const auto column = static_cast<uint8_t>(x);
    uint32_t offset = 0;
    // A sheet's cursor is set only by a read that passed every check below.
    std::vector<SheetReadState> &states = book.read_state.sheets;
    if (sheet < states.size() &&
        find_at_cursor(reader.stream(), states[sheet], row, column, &offset)) {
        return cell_at(reader, offset, column, out);
    }
    if (sheet >= reader.sheets().size() || reader.sheets()[sheet].is_chart()) return kMissing;
    SheetReadState &state = located_rows(book, sheet);
    int64_t region = kWholeSheetRegion;
    if (state.indexed) {
        if (row < state.first_row || row >= state.row_end) return kMissing;
        if (state.last_block >= 0 && in_block(state, static_cast<size_t>(state.last_block), row)) {
            region = state.last_block;
        } else {
            auto after = std::upper_bound(state.blocks.begin(), state.blocks.end(), row,
                                          [](uint32_t wanted, const RowBlockPlace &block) {
                                              return wanted < block.first_row;
                                          });
            if (after == state.blocks.begin()) return kMissing;
            region = after - state.blocks.begin() - 1;
            state.last_block = region;
        }
    }
    if (rows_in_order(reader, sheet, state, region)) {
        if (!find_in_row(reader.stream(), state, row, column, &offset)) return kMissing;
    } else {
        if (state.region != region) load_region(reader, sheet, state, region);
        const CellRecordPlace *place = find_place(state, row, column);
        if (!place) return kMissing;
        offset = place->offset;
    }
    return cell_at(reader, offset, column, out);
}

int32_t cell_value_at(Workbook &book, int32_t sheet, int32_t x, int32_t y, CellValue &out) {
    if (book.read_only && book.source) {
        if (sheet < 0 || static_cast<size_t>(sheet) >= book.source->sheets().size()) {
            return err::kParam;
        }
        return fetch_cell(book, static_cast<size_t>(sheet), x, y, out);
    }
    if (sheet < 0 || sheet >= book.sheet_count()) return err::kParam;
    return model_cell(book, sheet, x, y, out) ? 0 : kMissing;
}

int32_t read_any_cell(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *kind,
                      double *value, const TextBuffer &text) {
    if (!book.read_only || !book.source) return err::of(errMode);
    if (sheet < 0 || static_cast<size_t>(sheet) >= book.source->sheets().size()) {
        return err::kParam;
    }
    CellValue cell;
    if (int32_t rc = fetch_cell(book, static_cast<size_t>(sheet), x, y, cell); rc != 0) {
        return rc;
    }
    int32_t read_kind = 0;
    switch (cell.kind) {
        case CellKind::blank:
            break;
        case CellKind::integer:
        case CellKind::number:
            if (value) *value = cell.number;
            break;
        case CellKind::boolean:
            read_kind = 2;
            if (value) *value = cell.code ? -1.0 : 0.0;
            break;
        case CellKind::error: {
            const int32_t number = error_number(cell.code);
            if (number == 0) return kErrorValue;
            read_kind = 2;
            if (value) *value = number;
            break;
        }
        case CellKind::text:
            read_kind = 1;
            text.put(cell.text_view());
            break;
    }
    if (kind) *kind = read_kind;
    return 0;
}

int32_t cell_data(Workbook &book, int32_t sheet, int32_t x, int32_t y, int32_t *integer,
                  double *value, const TextBuffer &text, int32_t *xf) {
    if (book.read_only && book.source) {
        return file_cell_data(book, sheet, x, y, integer, value, text, xf);
    }
    return model_cell_data(book, sheet, x, y, integer, value, text, xf);
}

}  // namespace tabrix::engine
