#include "engine/edit/cell_checks.h"

#include <algorithm>

namespace tabrix::engine {

int32_t check_cells(const BookRef &ref, int32_t sheet, std::initializer_list<int32_t> columns,
                    std::initializer_list<int32_t> rows, CheckOrder order, SheetPlace *out) {
    const bool columns_ok =
        std::all_of(columns.begin(), columns.end(), [](int32_t x) { return x >= 0 && x <= 255; });
    if (order == CheckOrder::kCellInsert && !columns_ok) return err::kPosition;
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    const bool rows_ok = std::all_of(rows.begin(), rows.end(), [&](int32_t y) {
        return y >= 0 && static_cast<uint32_t>(y) < book->max_rows;
    });
    if (!rows_ok || !columns_ok) return err::kPosition;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    *out = {book, book->sheets[sheet].get()};
    return 0;
}

}  // namespace tabrix::engine
