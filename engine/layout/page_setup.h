// How a sheet prints: paper and scale, margins, header and footer texts, manual page breaks,
// printed headings and grid lines, centring and fit to page. Each call checks the sheet
// number (-4) and its own arguments; a refused call changes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The arguments of a page-mode call as a caller gives them; out-of-range values become the
// defaults rather than errors.
struct PageMode {
    int32_t paper_size = 9;
    int32_t scale = 100;
    int32_t orientation = 2;  // 0 landscape, anything else portrait
    double header_margin_mm = 12.7;
    double footer_margin_mm = 12.7;
};
int32_t set_page_mode(Workbook &book, int32_t sheet, const PageMode &mode);

// Margins in millimetres, each taken as a signed 16-bit number; a negative value is the
// default (20, 20, 25, 25); above 1000 gives -34.
int32_t set_margins(Workbook &book, int32_t sheet, int32_t left, int32_t right, int32_t top,
                    int32_t bottom);

enum class PageText { kHeader, kFooter };
// Replaces the given sections ("&L", "&C", "&R") of the sheet's header or footer; an empty
// section text keeps that section. -34 when the result is too long for the record, or holds a
// character the workbook's code page (Excel 95) lacks.
int32_t set_page_text(Workbook &book, int32_t sheet, PageText which, std::u16string_view left,
                      std::u16string_view centre, std::u16string_view right);
// The text a HEADER or FOOTER body holds in the workbook's format; empty when it is cut short.
std::u16string page_text_of(const Workbook &book, const std::vector<uint8_t> &body);

// Sets or removes a manual break before the cell's row and before its column. Setting gives
// -34 when either list is already full (1026 rows, 256 columns); -32 for a cell off the grid.
int32_t set_page_break(Workbook &book, int32_t sheet, int32_t column, int32_t row, bool set);
inline constexpr size_t kMaxRowBreaks = 1026;
inline constexpr size_t kMaxColumnBreaks = 256;

int32_t set_print_headings(Workbook &book, int32_t sheet, bool on);
int32_t set_print_gridlines(Workbook &book, int32_t sheet, bool on);
int32_t set_centring(Workbook &book, int32_t sheet, bool horizontal, bool vertical);
int32_t set_fit_to_page(Workbook &book, int32_t sheet, bool on);

}  // namespace tabrix::engine
