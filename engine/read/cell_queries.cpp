#include "engine/read/cell_queries.h"

#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

namespace {

// The current sheet, or null when the sheets changed under it.
const Sheet *current_sheet(const Workbook &book) {
    if (book.current_sheet < 0 || book.current_sheet >= book.sheet_count()) return nullptr;
    return book.sheets[static_cast<size_t>(book.current_sheet)].get();
}

}  // namespace

int32_t cell_attribute(BookRef ref, int32_t x, int32_t y, int32_t *xf) {
    const Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (book->read_only) return err::of(errMode);
    if (!xf) return err::kParam;
    const Sheet *sheet = current_sheet(*book);
    if (!sheet) return err::kSheetNo;
    if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) >= book->max_rows) {
        return err::kPosition;
    }
    CellView cell;
    const auto column = static_cast<uint8_t>(x);
    if (!sheet->cells.find(static_cast<uint16_t>(y), column, &cell)) return err::of(errNoData);
    *xf = cell.xf_at(column);
    return 0;
}

int32_t last_cell(BookRef ref, bool values_only, LastCell *out) {
    const Workbook *book = ref.book;
    if (!book) return ref.missing;
    const Sheet *sheet = current_sheet(*book);
    if (!sheet) return err::kSheetNo;
    LastCell last;
    sheet->cells.for_each([&](const CellView &cell) {
        // A BOOLERR or RSTRING holds a value as much as a NUMBER or LABEL does, so every
        // record but the blank ones counts.
        if (values_only && (cell.number == rec::kBlank || cell.number == rec::kMulBlank)) {
            return true;
        }
        last.row = cell.row;
        last.column = cell.last_column;
        if (last.column > last.widest_column) last.widest_column = last.column;
        return true;
    });
    *out = last;
    return last.row < 0 ? kEmptySheet : 0;
}

}  // namespace tabrix::engine
