// Value writes: BLANK, RK, NUMBER, BOOLERR, LABEL and LABELSST cells, caller records, writes at
// keyword cells, and the write cursor of the older single-workbook layer.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <variant>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// A cell text: none (the cell becomes blank), narrow (code page 932) or UTF-16.
using CellText = std::variant<std::monostate, std::string_view, std::u16string_view>;

// The XF argument of every write: 15 is the default; -n means XF n replacing the cell's
// attribute; any other n means XF n merged over the cell's attribute. An Excel 95 text is
// written in the workbook's code page: one holding a character it lacks is refused with -34.
int32_t write_text(BookRef ref, int32_t sheet, int32_t x, int32_t y, const CellText &text,
                   int32_t xf);
int32_t write_int(BookRef ref, int32_t sheet, int32_t x, int32_t y, int32_t value, int32_t xf);
// A NaN or an infinity is refused with -34.
int32_t write_double(BookRef ref, int32_t sheet, int32_t x, int32_t y, double value, int32_t xf);
int32_t write_bool(BookRef ref, int32_t sheet, int32_t x, int32_t y, bool value, int32_t xf);
// Stores a complete cell record image (header, then row, column and XF; any record that
// belongs to the cell may follow) at (x, y), with the checks and the XF rule above. The
// store may refuse the image (-31).
int32_t write_cell_image(BookRef ref, int32_t sheet, int32_t x, int32_t y, std::span<uint8_t> image,
                         int32_t xf);
// Appends a record unchanged to the sheet's trailer.
int32_t write_bin(BookRef ref, int32_t sheet, uint16_t number, uint16_t length, const void *data);

// A coordinate moved by a caller's offset. A sum beyond 32 bits is held at the nearest 32-bit
// value: it lies outside every sheet either way, so the write it goes to reports -32.
int32_t shifted_coordinate(int64_t coordinate, int64_t offset);

// Calls `write` at every cell carrying the keyword, shifted by (dx, dy); -37 when the sheet
// has no such keyword. Marks the workbook as filled from a template.
using CellWrite = std::function<int32_t(int32_t x, int32_t y)>;
int32_t write_at_keyword(BookRef ref, int32_t sheet, std::u16string_view keyword, int32_t dx,
                         int32_t dy, const CellWrite &write);

// Makes a sheet the workbook's current sheet.
int32_t select_sheet(BookRef ref, int32_t sheet);

// The older layer's write cursor on the current sheet of workbook 0 (null when it is not
// open).
int32_t move_cursor(Workbook *book, int32_t x, int32_t y);
int32_t move_cursor_to_keyword(Workbook *book, std::u16string_view keyword, int32_t dx, int32_t dy);
int32_t cursor_to_next_row(Workbook *book);
// The current sheet and cursor position of workbook 0, for a write at the cursor.
int32_t cursor_target(Workbook *book, int32_t *sheet, int32_t *x, int32_t *y);

}  // namespace tabrix::engine
