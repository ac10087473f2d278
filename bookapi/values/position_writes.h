// Writing one value at every part of a position: a cell or range at its first cell, a
// keyword at every cell carrying it.
#pragma once

#include <cstdint>
#include <vector>

#include "bookapi/books/book_call.h"
#include "bookapi/books/book_registry.h"
#include "bookapi/positions/position_parser.h"

namespace tabrix::bookapi {

// Parses the position (null: the book's current one) and calls `cell(x, y)` for each cell
// part and `keyword(text, dx, dy)` for each keyword part, stopping at the first failure.
// Returns the last engine result; a book opened for reading is refused (-6).
template <class CellWrite, class KeywordWrite>
int32_t write_at_position(BookRecord &book, const char *position, CellWrite &&cell,
                          KeywordWrite &&keyword) {
    if (read_only(book)) return -errMode;
    // Kept between calls so that a put per cell allocates nothing; the Book API runs on one
    // thread at a time and the writes below do not come back here.
    static std::vector<PositionItem> items;
    if (int32_t rc = parse_position(book, position_or_current(book, position), true, items);
        rc != 0) {
        return rc;
    }
    int32_t rc = 0;
    for (const PositionItem &item : items) {
        rc = item.keyword ? keyword(item.keyword_text.c_str(), item.dx, item.dy)
                          : cell(item.x1, item.y1);
        if (rc != 0) break;
    }
    return rc;
}

}  // namespace tabrix::bookapi
