// Row heights: snapping to the heights a spreadsheet shows, and the ROW settings a height call
// stores for the row writer.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// A height in points snapped to a shown height (quarter points). Negative heights (but for a
// fraction that truncates to 0) and values that are not finite come back unchanged.
double snap_row_height(double points);

// XM_SetRowHeight: the row gets `points` (0 hides it). 0, or -2/-3, -32, -4, -6, -34; a
// failure changes nothing.
int32_t set_row_height(const BookRef &ref, int32_t sheet, int32_t row, double points);

}  // namespace tabrix::engine
