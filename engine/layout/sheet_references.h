// What refers to sheets by number or by name outside the cells, kept in step when sheets are
// renamed, removed or inserted: the Excel 97 EXTERNSHEET table (and carried-over EXTERNSHEET
// records in that form), the sheet numbers of NAME records, the SUPBOOK of the workbook
// itself, and in Excel 95 the EXTERNSHEET records that name a sheet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Sheets removed from, or inserted into, the sheet list at `first`.
struct SheetShift {
    uint16_t first = 0;
    uint16_t count = 0;
    bool removed = false;
};

// The SUPBOOK of the workbook itself: its sheet count, then 01 04.
bool is_self_supbook(const Record &record);

// Which SUPBOOK, by its place among them, is the workbook itself (0 when there is none yet:
// the one a ref-sheet list will add comes first).
uint16_t self_supbook_index(const Workbook &book);

// A sheet number after the shift. A removed sheet's number becomes 0xFFFF, which readers
// take as a reference to a deleted sheet; numbers of 0xFFFE and up mean no sheet and stay.
uint16_t shifted_sheet(uint16_t sheet, SheetShift shift);

// A span of sheets after the shift: an end inside removed sheets moves to the nearest sheet
// left in the span; a span left with no sheet becomes 0xFFFF to 0xFFFF, and the call returns
// false. Spans marked 0xFFFE and up stay.
bool shift_sheet_span(uint16_t &first, uint16_t &last, SheetShift shift);

// Renumbers every sheet reference of the workbook after the shift, and gives the SUPBOOK of
// the workbook itself the present sheet count. Allocates nothing.
void shift_sheet_references(Workbook &book, SheetShift shift);

// Excel 95: points every EXTERNSHEET record naming `old_name` (as sheet names compare) at
// `new_name`, which the workbook's code page must hold, in the workbook globals and in every
// sheet (only in `only` when it is given), together with the names the formula compiler
// keeps for them. Everything is built before anything changes, so a failure leaves the
// workbook as it was.
void rename_sheet_references(Workbook &book, std::u16string_view old_name,
                             std::u16string_view new_name, Sheet *only = nullptr);

}  // namespace tabrix::engine
