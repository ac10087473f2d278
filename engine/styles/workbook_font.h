// The workbook's default font: FONT records 0 (and font number 5 in Excel 97) rewritten in
// place, and the name and size later nameless font requests and width conversions use.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Sets the workbook's default font. An empty name keeps the current name, the size -1.0 the
// current size; the size is clamped as for FONT records. 0; -3/-2 without a workbook; -31
// for a name over 32 bytes (nothing changed). Widths set earlier keep their stored value.
int32_t set_workbook_font(const BookRef &ref, std::string_view narrow_name, double size);

}  // namespace tabrix::engine
