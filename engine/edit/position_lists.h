// The sheet's lists that hold positions besides its cells, kept in step when rows or columns
// move or cells are cleared: row settings, column ranges, merged ranges, keyword entries, page
// breaks, and the window's frozen panes and selection.
#pragma once

#include <cstdint>

#include "engine/edit/references/reference_moves.h"
#include "engine/model/sheet.h"

namespace tabrix::engine {

struct CellRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 1;
    int32_t height = 1;

    int32_t last_x() const { return x + width - 1; }
    int32_t last_y() const { return y + height - 1; }
};

// Rows moved (inserted or deleted): row settings and keyword entries follow or go; a merged
// range follows, grows over inserted rows inside it, shrinks by deleted ones, and goes when
// nothing or a single cell of it is left; page breaks, the panes and the selection follow.
void move_rows_in_lists(Sheet &sheet, const AxisMove &move);
// The same for columns, with the column ranges instead of the row settings.
void move_columns_in_lists(Sheet &sheet, const AxisMove &move);
// Cells cleared: merged ranges lying wholly inside go, and the keyword entries inside. A
// merged range reaching outside stays whole: its other cells keep their place in it.
void clear_block_in_lists(Sheet &sheet, const CellRect &rect);

}  // namespace tabrix::engine
