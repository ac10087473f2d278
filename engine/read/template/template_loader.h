// Turning a template file into the in-memory workbook that a later close writes out again:
// the workbook globals, each sheet's cells, settings and carried-over records, and the keyword
// cells.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

// Loads a template's records into a workbook just created for it on the copy of the file:
// made by the normal create with the template's sheet count and format, without the default
// font/format/XF/style tables (its header list holds the create's header records, its sheets
// default names). Afterwards the workbook is the template's: its header, fonts, formats, XFs
// (those from 21 on also as attributes), styles, external references and drawing group; its
// sheets with their names, visibility, cells (shared formulas expanded), rows and columns,
// page and window settings, merged ranges and carried-over records; chart sheets as they are.
// Each cell whose text starts with the keyword prefix becomes a keyword entry of its sheet.
// keep_keywords: the keyword texts stay in their cells (an in-place open) instead of becoming
// blanks. 0, or err::kOpen when the template's records cannot be loaded (the workbook is then
// to be cancelled).
int32_t load_template(Workbook &book, const WorkbookReader &reader, bool keep_keywords);

}  // namespace tabrix::engine
