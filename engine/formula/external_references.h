// References from formulas to other sheets of the workbook: the sheets a sheet's formulas may
// name, the records that let a reader resolve them (Excel 95: the sheet's EXTERNCOUNT and
// EXTERNSHEET records; Excel 97: SUPBOOK and the workbook's EXTERNSHEET table), and the
// compiler's view of both.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/formula/formula_context.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// Sets the sheets, "/"-separated, that formulas on the sheet may name; at most the
// workbook's sheet count of names are taken. Returns 0, or -34 for an empty list, an empty
// name or one of 32 characters or more (nothing changes then).
int32_t set_ref_sheets(Workbook &book, Sheet &sheet, std::u16string_view names);

// What the compiler needs to know to compile a formula on `sheet`.
FormulaContext formula_context(const Workbook &book, const Sheet &sheet);

// Takes the EXTERNSHEET entries a stored formula created into the workbook's table.
void add_extern_sheets(Workbook &book, std::span<const ExternSheetEntry> entries);

}  // namespace tabrix::engine
