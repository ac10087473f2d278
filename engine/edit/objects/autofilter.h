// The autofilter's column settings kept in step with columns inserted or deleted inside the
// filtered range (the range itself is the sheet's filter-database name, moved with the other
// names): AUTOFILTERINFO counts the range's columns, each AUTOFILTER names its column by its
// place in the range and goes with a deleted column.
#pragma once

#include <cstdint>

#include "engine/edit/objects/cell_ranges.h"

namespace tabrix::engine {

// 0, or kUnwalkableFormula when an AUTOFILTERINFO or AUTOFILTER is too short.
int32_t check_autofilter(const RecordList &records);
// Call before the names move: the filter range is read from the filter-database name.
void move_autofilter(Workbook &book, const GridMove &move);

}  // namespace tabrix::engine
