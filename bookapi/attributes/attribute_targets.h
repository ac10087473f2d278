// The rectangles of cells an attribute call styles: every part of the position, each checked
// to lie on the sheet before any cell changes, so that a refused call changes nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "bookapi/books/book_registry.h"

namespace tabrix::bookapi {

// Corners, upper left first; a single cell has equal corners.
struct CellRect {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
};

enum class TargetRule {
    cells,   // cells, ranges and keywords (one cell per keyword cell, moved by the offset)
    merges,  // ranges only: a single cell or a keyword is -34
    boxes,   // ranges only: a single cell is -32; keywords are not looked up
};

// The rectangles of a position on the book's current sheet, in the order of its parts (a
// keyword's cells in descending row and column order). 0; -32 for a part reaching off the
// sheet (columns 0-255, rows of the format), -37 for a keyword no cell carries, -34 for a
// malformed offset, or as the rule says.
int32_t target_rectangles(const BookRecord &book, std::string_view position, TargetRule rule,
                          std::vector<CellRect> &rects);

}  // namespace tabrix::bookapi
