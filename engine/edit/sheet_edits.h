// Deleting and copying sheets as the C calls do: the sheet list and the workbook's tables
// (layout/sheet_operations.h), and in Excel 95 the sheet numbers that 3-D references carry
// inside formula tokens.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/layout/sheet_references.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// delete_sheets with the formulas kept in step: the same codes, and -115 (a formula code)
// when a formula on a sheet that stays cannot be walked; nothing changes then.
int32_t delete_sheets_with_formulas(BookRef ref, int32_t first, int32_t count);

// copy_sheet with the formulas kept in step: the same codes, and -115 when the copy goes
// before other sheets and a formula of the workbook cannot be walked; nothing changes then.
// The copy takes over its source's references (see copied_sheet_references.h).
int32_t copy_sheet_with_formulas(BookRef ref, int32_t source, int32_t position,
                                 std::u16string_view name);

// Excel 95: 0 when every NAME and every FORMULA on the sheets outside
// [skip_first, skip_first + skip_count) can be walked, else -115.
int32_t check_formula_sheets(const Workbook &book, int32_t skip_first, int32_t skip_count);

// Excel 95: renumbers the sheet numbers of every 3-D reference (ptgRef3d, ptgArea3d, their
// deleted forms, every class) in every NAME and FORMULA of the workbook after the shift. A
// reference left with no sheet becomes the deleted form of its class with sheets 0xFFFF, which
// readers show as #REF!. Formulas it cannot walk are left as they are (check first). Nothing to do
// in Excel 97, whose tokens index the EXTERNSHEET table.
void shift_formula_sheets(Workbook &book, SheetShift shift);

}  // namespace tabrix::engine
