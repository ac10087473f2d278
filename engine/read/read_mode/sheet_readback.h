// A sheet's used area, column widths, row heights and page setup read back from the file a
// workbook was read or loaded from (not from the workbook in memory). Sheets are numbered
// as in that file. A workbook read from no file answers as a sheet without any of these
// records would: a used area of 0 columns and 0 rows, every column its standard width
// (2208), every row 13.5 points high, and a page setup left cleared.
#pragma once

#include <array>
#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The sheet's DIMENSIONS record: one past the last used column and row. 0; 1 for a sheet
// number outside the workbook; -1 when the sheet has no DIMENSIONS record (or it is cut
// short).
int32_t read_used_area(Workbook &book, int32_t sheet, int32_t *columns, int32_t *rows);

// The width of a column in 1/256 characters: that of the first COLINFO covering it (0 when
// it hides the column), or the sheet's STANDARDWIDTH when that comes first (the value is
// kept as the sheet's standard width, so that later calls stop at the first ROW record),
// else the known standard width or 2208. 0 for a negative sheet, 1 for a sheet number
// outside the workbook.
int32_t read_column_width(Workbook &book, int32_t sheet, int32_t column);

// The height of a row in points: its ROW record's height / 20, else the sheet's
// DEFAULTROWHEIGHT / 20, else 13.5. 0.0 for a sheet number outside the workbook. The heights
// of a sheet are read once, following the row blocks its INDEX names, and kept in the
// workbook's read state, so rows may be asked for in any order.
double read_row_height(Workbook &book, int32_t sheet, int32_t row);

struct PageSetupReadback {
    int32_t paper_size = 0;
    int32_t scale = 0;
    int32_t orientation = 0;           // 2 portrait, 0 landscape
    std::array<int32_t, 4> margins{};  // left, top, right, bottom, whole millimetres
};

// The page setup from the sheet's records up to its SETUP record: the four margins (20 mm
// left and right, 25 mm top and bottom where a margin record is missing), the paper size
// and scale (9 and 100 when SETUP says the printer settings are not valid) and the
// orientation bit. Everything stays cleared without a SETUP record. 0, or -4 for a sheet
// outside the workbook.
int32_t read_page_setup(Workbook &book, int32_t sheet, PageSetupReadback &out);

}  // namespace tabrix::engine
