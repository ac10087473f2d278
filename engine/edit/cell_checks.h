// The checks a write makes before it touches a sheet: coordinates, workbook and sheet, each
// family of calls in its own fixed order, the first failure reported.
#pragma once

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
// (the reference's own error when there is none) and the sheet number, in `order`.
int32_t check_cells(const BookRef &ref, int32_t sheet, std::initializer_list<int32_t> columns,
                    std::initializer_list<int32_t> rows, CheckOrder order, SheetPlace *out);

// check_cells for one cell in the kCellInsert order, cheap enough for every value write.
inline int32_t check_cell_insert(const BookRef &ref, int32_t sheet, int32_t x, int32_t y,
                                 SheetPlace *out) {
    if (x < 0 || x > 255) return err::kPosition;
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (y < 0 || static_cast<uint32_t>(y) >= book->max_rows) return err::kPosition;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    *out = {book, book->sheets[static_cast<size_t>(sheet)].get()};
    return 0;
}

}  // namespace tabrix::engine
