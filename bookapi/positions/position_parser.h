// Position texts: "B2", "B2:D4", lists "A1,C3", defined names, keywords ("**name"), each part
// optionally followed by an offset "_[dx:dy]".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bookapi/books/book_registry.h"

namespace tabrix::bookapi {

// One part of a position. A cell or range has its corners in x1..y2 (upper left first, the
// offset added; `range` false for a single cell); a name that is not found gives the cell
// (-1, -1), which every write refuses. A keyword part has its text (prefix included) and
// its offset.
struct PositionItem {
    bool keyword = false;
    bool range = false;
    int32_t x1 = -1;
    int32_t y1 = -1;
    int32_t x2 = -1;
    int32_t y2 = -1;
    std::string keyword_text;
    int32_t dx = 0;
    int32_t dy = 0;
};

// Splits a position into its parts, looking names up among the book's defined names for its
// current sheet. Keyword parts are recognised only when `keywords` is set. -34 (nothing
// parsed) for an offset that is not "_[dx:dy]" with two 32-bit numbers (blanks may precede
// each), an offset not at the end of its part, or a part read as a cell that holds other
// characters than "$", letters, digits and ":" in cell order ("A1;C3", " B2") and is no
// defined name either.
int32_t parse_position(const BookRecord &book, std::string_view text, bool keywords,
                       std::vector<PositionItem> &items);

// The first part of a position, for the calls that act on one cell; fails as parse_position.
int32_t first_position_item(const BookRecord &book, std::string_view text, bool keywords,
                            PositionItem &item);

// The Book API's copy of the keyword prefix, "**" until XlsSetKeyWord changes it.
const std::string &keyword_prefix_text();
void set_keyword_prefix_text(std::string_view prefix);

// The longest position a book keeps as its current one.
inline constexpr size_t kMaxPositionLength = 255;

}  // namespace tabrix::bookapi
