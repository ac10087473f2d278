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

}  // namespace tabrix::engine
