// Loads a template's records into a workbook just created for it on the copy of the file.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"
#include "engine/read/workbook_reader.h"

namespace tabrix::engine {

// Loads a template's records into a workbook just created for it on the copy of the file:
// made by the normal create with the template's sheet count and format, without the default
// font/format/XF/style tables (its header list holds the create's header records, its sheets
// default names). keep_keywords: the keyword texts stay in their cells (an in-place open)
// instead of becoming blanks. 0, or err::kOpen when the template's records cannot be loaded.
int32_t load_template(Workbook &book, const WorkbookReader &reader, bool keep_keywords);

}  // namespace tabrix::engine
