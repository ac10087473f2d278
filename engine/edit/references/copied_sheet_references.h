// What a copied sheet takes over from its source besides its cells (Excel 97): its formulas'
// references to the source sheet alone name the copy, the source's local names (print area,
// print titles, filter range among them) get twins local to the copy, and the global names that
// name the source sheet alone get local twins naming the copy, so that the copy's formulas and
// settings work on the copy's cells.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// 0; -34 when the workbook's reference table has no room for the copy's entry; -115 when a
// formula of the source or a name cannot be stepped through. Call before the copy is made.
int32_t check_copied_sheet_references(const Workbook &book, int32_t source);

// After the copy was inserted and the sheet numbers shifted: `source` and `copy` are the
// present numbers of both sheets.
void take_over_sheet_references(Workbook &book, int32_t source, int32_t copy);

}  // namespace tabrix::engine
