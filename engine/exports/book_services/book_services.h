// What the Book API asks of the engine beyond the C calls, by workbook handle: the one header
// through which bookapi/ reaches the engine. Results follow the engine's rule: 0 (or a value)
// for success, a negative error number otherwise; -2 for a negative handle, -3 for an empty
// one. Narrow texts are in the interface's code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tabrix/types.h"

namespace tabrix::engine::services {

// Held for a whole Book API call: the workbooks the call reaches stay locked to its end, as
// for a C call of the engine (which nests inside it).
class CallHold {
  public:
    CallHold() noexcept;
    ~CallHold();
    CallHold(const CallHold &) = delete;
    CallHold &operator=(const CallHold &) = delete;
};

// 1 for an Excel 97 workbook, 0 for Excel 95.
int32_t workbook_biff8(int32_t h);
// One past the last row a sheet of the workbook may use (16384 or 65536).
int32_t workbook_max_rows(int32_t h);

// Makes the sheet the workbook's current sheet: 0, or -4 for a sheet outside the workbook.
int32_t select_current_sheet(int32_t h, int32_t sheet);

struct CellPoint {
    int32_t x = 0;
    int32_t y = 0;
};
// The cells of the sheet that carry the keyword, in descending (row, column) order; -37 when
// none does, -4 for a sheet outside the workbook.
int32_t keyword_cells(int32_t h, int32_t sheet, std::string_view keyword,
                      std::vector<CellPoint> &cells);

// The cell or area a defined name of the workbook refers to (a NAME record taken over from a
// template): global, or belonging to the sheet; matched without regard to ASCII case. A name
// of one cell gives x2 = y2 = -1. False when no such name refers to a cell or an area.
struct CellArea {
    int32_t x1 = -1;
    int32_t y1 = -1;
    int32_t x2 = -1;
    int32_t y2 = -1;
};
bool defined_name_area(int32_t h, int32_t sheet, std::string_view name, CellArea &area);

// The font a cell shows now, through its attribute's font number. A cell without a record or
// with attribute 15 has none: empty name, size -1.0, colour, style and underline -1.
struct PresentFont {
    std::string name;
    double size = -1.0;
    int32_t colour = -1;
    int32_t style = -1;  // XLFONTSTYLE bits
    int32_t underline = -1;
};
// 0; -33 when the cell's font number names no FONT record; -4, -32 as for a write.
int32_t present_font(int32_t h, int32_t sheet, int32_t x, int32_t y, PresentFont &font);

// Page settings that have no engine C call.
int32_t set_sheet_margins(int32_t h, int32_t sheet, int32_t left, int32_t right, int32_t top,
                          int32_t bottom);
int32_t set_sheet_header(int32_t h, int32_t sheet, std::u16string_view left,
                         std::u16string_view centre, std::u16string_view right);
int32_t set_sheet_footer(int32_t h, int32_t sheet, std::u16string_view left,
                         std::u16string_view centre, std::u16string_view right);
// -34 when a break list is full.
int32_t set_sheet_break(int32_t h, int32_t sheet, int32_t x, int32_t y, bool set);
// Rewrites the workbook's default font (FONT 0, and FONT 5 in Excel 97); -31 for a name
// code page 932 lacks a character of.
int32_t set_default_font(int32_t h, std::string_view name, double size);

// Read back from the file the workbook was read or opened from.
int32_t read_page_mode(int32_t h, int32_t sheet, int32_t *paper_size, int32_t *scale,
                       int32_t *orientation, int32_t margins[4]);
// The sequential cell walk; the text goes to whichever buffer is given.
int32_t walk_cells(int32_t h, int32_t sheet, int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                   int32_t *kind, double *number, char *narrow, char16_t *wide, int32_t size);

// The workbook-globals records of that file, walked from the start of its workbook stream.
// False when the record is not there (or the workbook came from no file).
bool file_xf(int32_t h, int32_t number, XLATTR &attr);
struct FileFont {
    std::u16string name;
    double size = 0;
    int32_t colour = 0;
    int32_t style = 0;
    int32_t underline = 0;
};
bool file_font(int32_t h, int32_t number, FileFont &font);
bool file_format(int32_t h, int32_t number, std::u16string &format);
struct FileRecordCounts {
    int32_t xfs = 0;
    int32_t formats = 0;
    int32_t fonts = 0;
};
bool file_record_counts(int32_t h, FileRecordCounts &counts);

}  // namespace tabrix::engine::services
