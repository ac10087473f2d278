// Column widths: snapping to the widths a spreadsheet shows, the file's 1/256-character unit,
// and the sheet's COLINFO list, kept sorted and free of overlapping ranges.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// A width in hundredths of a character snapped to a shown width (in hundredths). Negative
// widths come back unchanged, so the range check refuses them.
int64_t snap_column_width(int64_t hundredths);

// A snapped width above 0 in hundredths as stored in COLINFO, for the workbook's default font
// size in points. Sizes of 5 points or less convert as 6 points.
uint16_t column_width_units(int64_t snapped, double default_font_size);

// XM_SetColWidth: columns first..last (either order) of a sheet get `width` whole characters,
// 0 hiding them. 0, or -2/-3/-4, -32, -6, -34, -1; a failure changes nothing.
int32_t set_column_width(const BookRef &ref, int32_t sheet, int32_t first, int32_t last,
                         int32_t width);

}  // namespace tabrix::engine
