// The checks a write makes before it touches a sheet: coordinates, workbook and sheet, each
// family of calls in its own fixed order, the first failure reported.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// A sheet of a workbook that passed the checks.
struct SheetPlace {
    Workbook *book = nullptr;
    Sheet *sheet = nullptr;
};

enum class CheckOrder {
    kCellInsert,  // columns, workbook, rows, sheet: value writes and applying attributes
    kFormula,     // workbook, rows, columns, sheet: checked before the text is compiled
};

// Checks every column (0-255) and row (below the format's row count) given, the workbook
// (the reference's own error when there is none) and the sheet number, in `order`. Inline:
// every value write makes these checks for its one cell.
inline int32_t check_cells(const BookRef &ref, int32_t sheet,
                           std::initializer_list<int32_t> columns,
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
    *out = {book, book->sheets[static_cast<size_t>(sheet)].get()};
    return 0;
}

}  // namespace tabrix::engine
