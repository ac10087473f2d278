// Keyword cells: template cells whose text starts with the keyword prefix, used as named
// positions by the keyword writes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/sheet.h"

namespace tabrix::engine {

// Process-wide prefix, "**" until changed; a prefix must have 1 to 64 characters.
std::u16string keyword_prefix();  // a copy: another thread may change it
bool set_keyword_prefix(std::u16string_view prefix);

// Adds an entry in (text, row, column) order; an entry for the same text and cell is replaced.
void add_keyword(Sheet &sheet, KeywordEntry entry);

// The entries of that exact text, in (row, column) order.
std::span<const KeywordEntry> find_keyword(const Sheet &sheet, std::u16string_view text);

}  // namespace tabrix::engine
