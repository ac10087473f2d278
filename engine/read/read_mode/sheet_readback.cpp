#include "engine/read/read_mode/sheet_readback.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/cell_fetch.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

namespace {

constexpr int32_t kStandardColumnWidth = 2208;
constexpr double kStandardRowPoints = 13.5;
constexpr uint16_t kHiddenColumn = 0x0001;
constexpr uint16_t kRowHeightBits = 0x7FFF;  // bit 15 marks a row of the default height
constexpr uint16_t kNoPrinterSettings = 0x0004;
constexpr uint16_t kPortrait = 0x0002;
constexpr std::array<int32_t, 4> kDefaultMargins{20, 25, 20, 25};  // left, top, right, bottom

// Sheets are counted as in the file the answers come from.
int32_t sheet_count_of(const Workbook &book) {
    return book.source ? static_cast<int32_t>(book.source->sheets().size()) : book.sheet_count();
}

bool starts_cells(uint16_t number) {
    return number == rec::kRow || number == rec::kBlank ||
           cell_record_of(number) != CellRecord::none;
}

void read_row_heights(Workbook &book, size_t sheet, SheetReadState &state) {
    state.heights_read = true;
    auto take = [&](const RawRecord &record) {
        if (record.number == rec::kRow && record.data.size() >= 8) {
            state.row_heights.emplace_back(load_u16(record.data.data()),
                                           load_u16(record.data.data() + 6) & kRowHeightBits);
        } else if (record.number == rec::kDefaultRowHeight && record.data.size() >= 4 &&
                   state.default_row_height < 0) {
            state.default_row_height = load_u16(record.data.data() + 2);
        }
    };
    SheetScan scan(*book.source, sheet);
    RawRecord record;
    if (state.indexed) {
        // The records before the first row block, then the ROW records each block starts
        // with; the cells are never read.
        while (scan.next(record) && !starts_cells(record.number)) take(record);
        for (const RowBlockPlace &block : state.blocks) {
            RecordReader records(book.source->stream(), block.start);
            while (records.offset() < block.end && records.next(record) &&
                   record.number == rec::kRow) {
                take(record);
            }
        }
    } else {
        while (scan.next(record)) take(record);
    }
    std::stable_sort(state.row_heights.begin(), state.row_heights.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
}

// A margin record's inches in whole millimetres. The small allowance keeps a margin written
// from whole millimetres (20 mm is 0.7874... inches) from truncating to one less.
std::optional<int32_t> margin_millimetres(const RawRecord &record) {
    if (record.data.size() < 8) return std::nullopt;
    const double inches = load_f64(record.data.data());
    const double millimetres = inches * 25.4;
    if (!(millimetres > -1e9 && millimetres < 1e9)) return std::nullopt;
    return static_cast<int32_t>(std::trunc(millimetres + (millimetres < 0 ? -1e-6 : 1e-6)));
}

}  // namespace

int32_t read_used_area(Workbook &book, int32_t sheet, int32_t *columns, int32_t *rows) {
    if (sheet < 0 || sheet >= sheet_count_of(book)) return 1;
    int32_t column_bound = 0;
    int32_t row_bound = 0;
    if (book.source) {
        SheetScan scan(*book.source, static_cast<size_t>(sheet));
        RawRecord record;
        bool found = false;
        while (!found && scan.next(record)) found = record.number == rec::kDimensions;
        if (!found) return -1;
        const std::span<const uint8_t> data = record.data;
        if (book.source->biff8()) {
            if (data.size() < 12) return -1;
            row_bound =
                static_cast<int32_t>(std::min<uint32_t>(load_u32(data.data() + 4), INT32_MAX));
            column_bound = load_u16(data.data() + 10);
        } else {
            if (data.size() < 8) return -1;
            row_bound = load_u16(data.data() + 2);
            column_bound = load_u16(data.data() + 6);
        }
    }
    if (columns) *columns = column_bound;
    if (rows) *rows = row_bound;
    return 0;
}

int32_t read_column_width(Workbook &book, int32_t sheet, int32_t column) {
    if (sheet < 0) return 0;
    if (sheet >= sheet_count_of(book)) return 1;
    uint16_t *known =
        sheet < book.sheet_count() ? &book.sheets[sheet]->rows_columns.standard_width : nullptr;
    if (book.source) {
        SheetScan scan(*book.source, static_cast<size_t>(sheet));
        RawRecord record;
        while (scan.next(record)) {
            const std::span<const uint8_t> data = record.data;
            if (record.number == rec::kColInfo && data.size() >= 10) {
                if (load_u16(data.data()) <= column && column <= load_u16(data.data() + 2)) {
                    return (load_u16(data.data() + 8) & kHiddenColumn) ? 0
                                                                       : load_u16(data.data() + 4);
                }
            } else if (record.number == rec::kStandardWidth && data.size() >= 2) {
                const uint16_t width = load_u16(data.data());
                if (known) *known = width;
                return width;
            } else if (record.number == rec::kRow && known && *known != 0) {
                break;
            }
        }
    }
    return known && *known != 0 ? *known : kStandardColumnWidth;
}

double read_row_height(Workbook &book, int32_t sheet, int32_t row) {
    if (sheet < 0 || sheet >= sheet_count_of(book)) return 0.0;
    if (!book.source) return kStandardRowPoints;
    SheetReadState &state = located_rows(book, static_cast<size_t>(sheet));
    if (!state.heights_read) read_row_heights(book, static_cast<size_t>(sheet), state);
    if (row >= 0 && row <= UINT16_MAX) {
        auto found = std::lower_bound(
            state.row_heights.begin(), state.row_heights.end(), static_cast<uint16_t>(row),
            [](const auto &entry, uint16_t wanted) { return entry.first < wanted; });
        if (found != state.row_heights.end() && found->first == row) return found->second / 20.0;
    }
    return state.default_row_height >= 0 ? state.default_row_height / 20.0 : kStandardRowPoints;
}

int32_t read_page_setup(Workbook &book, int32_t sheet, PageSetupReadback &out) {
    out = PageSetupReadback{};
    if (sheet < 0 || sheet >= sheet_count_of(book)) return err::kSheetNo;
    if (!book.source) return 0;
    std::array<std::optional<int32_t>, 4> margins;  // left, top, right, bottom
    SheetScan scan(*book.source, static_cast<size_t>(sheet));
    RawRecord record;
    while (scan.next(record)) {
        switch (record.number) {
            case rec::kLeftMargin:
                margins[0] = margin_millimetres(record);
                break;
            case rec::kTopMargin:
                margins[1] = margin_millimetres(record);
                break;
            case rec::kRightMargin:
                margins[2] = margin_millimetres(record);
                break;
            case rec::kBottomMargin:
                margins[3] = margin_millimetres(record);
                break;
            case rec::kSetup: {
                if (record.data.size() < 12) break;
                const uint16_t options = load_u16(record.data.data() + 10);
                const bool no_settings = (options & kNoPrinterSettings) != 0;
                out.paper_size = no_settings ? 9 : load_u16(record.data.data());
                out.scale = no_settings ? 100 : load_u16(record.data.data() + 2);
                out.orientation = options & kPortrait;
                for (size_t i = 0; i < margins.size(); ++i) {
                    out.margins[i] = margins[i].value_or(kDefaultMargins[i]);
                }
                return 0;
            }
            default:
                break;
        }
    }
    return 0;
}

}  // namespace tabrix::engine
