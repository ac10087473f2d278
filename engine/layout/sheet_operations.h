// The sheet list as callers change it: renaming, appending, deleting and copying sheets,
// and the active sheet. Each call checks everything before it changes anything, so a
// refused call leaves the workbook as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The number of sheets, or -2/-3.
int32_t sheet_count(BookRef ref);

// The sheet's name: 0, -2, -3 or -4.
int32_t sheet_name(BookRef ref, int32_t sheet, std::u16string *name);

// Renames a sheet: 0, -2, -3; -6 read-only workbook; -31 empty or over 31 UTF-16 units; -4 no
// such sheet; -34 a character a reader refuses (or, in Excel 95, that the workbook's code page
// lacks), or another sheet's name.
int32_t rename_sheet(BookRef ref, int32_t sheet, std::u16string_view name);

// Appends `count` sheets named "Sheet%d": 0, -2, -3; -34 for a count below 1 or more sheets
// than a workbook holds.
int32_t add_sheets(BookRef ref, int32_t count);

// Deletes `count` sheets from `first` (cut at the last sheet): 0, -2, -3; -34 for a
// workbook with a macro project, a first sheet outside the workbook, a count below 1 or one
// that leaves no sheet; -4 when one of them is not a worksheet. Renumbers the workbook's
// tables; formulas are edit/sheet_edits.h's part.
int32_t delete_sheets(BookRef ref, int32_t first, int32_t count);
// The checks of delete_sheets, in its order; cuts `count` at the last sheet.
int32_t check_delete_sheets(const Workbook &book, int32_t first, int32_t *count);

// Inserts a copy of sheet `source` at `position` (the sheet count appends), named `name`,
// or "<source> (n)" when it is empty: 0, -2, -3; -34 for a sheet or position outside the
// workbook, a name a reader refuses or a full workbook; -1 for a name another sheet has.
// Renumbers the workbook's tables; formulas are edit/sheet_edits.h's part.
int32_t copy_sheet(BookRef ref, int32_t source, int32_t position, std::u16string_view name);
// The checks of copy_sheet, in its order.
int32_t check_copy_sheet(const Workbook &book, int32_t source, int32_t position,
                         std::u16string_view name);

// The active sheet, or -2/-3.
int32_t active_sheet(BookRef ref);
// 0, -2, -3, or -34 for a sheet outside the workbook.
int32_t set_active_sheet(BookRef ref, int32_t sheet);

}  // namespace tabrix::engine
