// Hyperlinks (HLINK, with the HLINKTOOLTIP that names the same range) kept on their cells:
// moved, grown or shrunk when rows or columns move, gone with their cells, cut out of
// cleared cells, and carried by a copy to where it is pasted.
#pragma once

#include <cstdint>

#include "engine/edit/objects/cell_ranges.h"
#include "engine/edit/position_lists.h"

namespace tabrix::engine {

// 0, or kUnwalkableFormula when a hyperlink record is too short to hold its range.
int32_t check_hyperlinks(const RecordList &records);
void move_hyperlinks(Sheet &sheet, const GridMove &move);
// Takes the cleared cells out of the hyperlinks (checked): one that covered cells around
// them is cut into the rectangles left.
void clear_hyperlinks(Sheet &sheet, const CellRect &rect);
// The hyperlinks of the rectangle's cells, cut to it, as records into `out` (checked).
void copy_hyperlinks(const Sheet &sheet, const CellRect &rect, RecordList &out);
// Adds copied hyperlinks moved by (dx, dy); the target's own were cleared before.
void paste_hyperlinks(Sheet &sheet, const RecordList &copied, int32_t dx, int32_t dy);

}  // namespace tabrix::engine
