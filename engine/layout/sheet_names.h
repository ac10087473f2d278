// Names the sheet list gives its sheets, and the rules a name given by a caller must meet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The longest sheet name readers accept, in UTF-16 units.
inline constexpr size_t kMaxSheetNameChars = 31;

// Appends a sheet named "Sheet%d" with the next free counter value.
void add_sheet(Workbook &book);

// Whether a name may stand in the workbook as it is given: no character a reader refuses in a
// sheet name (: \ / ? * [ ]), fewer than 32 UTF-16 units, and in Excel 95 nothing the
// workbook's code page lacks.
bool sheet_name_acceptable(const Workbook &book, std::u16string_view name);

// The name of a copy of the sheet `source`: the source name with " (2)", " (3)", ... , the
// first that no sheet has. The source name is cut, at a character boundary, so that the
// whole stays within kMaxSheetNameChars. `next`, when given, is the first number tried and
// is left at the one after the number taken: a caller naming many copies of one name keeps it
// for that name, so that each search starts where the last one ended.
std::u16string copy_name(const SheetList &sheets, std::u16string_view source,
                         uint32_t *next = nullptr);

}  // namespace tabrix::engine
