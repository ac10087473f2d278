// Value writes: BLANK, RK, NUMBER, BOOLERR, LABEL and LABELSST cells, caller records, writes at
// keyword cells, and the write cursor of the older single-workbook layer.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <variant>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// A cell text: none (the cell becomes blank), narrow (code page 932) or UTF-16.
using CellText = std::variant<std::monostate, std::string_view, std::u16string_view>;

// The XF argument of every write: 15 is the default; -n means XF n replacing the cell's
// attribute; any other n means XF n merged over the cell's attribute. An Excel 95 text is
// written in the workbook's code page: one holding a character it lacks is refused with -34.
int32_t write_text(BookRef ref, int32_t sheet, int32_t x, int32_t y, const CellText &text,
                   int32_t xf);
inline int32_t write_int(BookRef ref, int32_t sheet, int32_t x, int32_t y, int32_t value,
                         int32_t xf);
// A NaN or an infinity is refused with -34.
inline int32_t write_double(BookRef ref, int32_t sheet, int32_t x, int32_t y, double value,
                            int32_t xf);
int32_t write_bool(BookRef ref, int32_t sheet, int32_t x, int32_t y, bool value, int32_t xf);
// Stores a complete cell record image (header, then row, column and XF; any record that
// belongs to the cell may follow) at (x, y), with the checks and the XF rule above. The
// store may refuse the image (-31).
int32_t write_cell_image(BookRef ref, int32_t sheet, int32_t x, int32_t y, std::span<uint8_t> image,
                         int32_t xf);
// Appends a record unchanged to the sheet's trailer.
int32_t write_bin(BookRef ref, int32_t sheet, uint16_t number, uint16_t length, const void *data);

// The general paths of write_int and write_double, for any cell.
int32_t write_any_int(BookRef ref, int32_t sheet, int32_t x, int32_t y, int32_t value, int32_t xf);
int32_t write_any_double(BookRef ref, int32_t sheet, int32_t x, int32_t y, double value,
                         int32_t xf);

// Where the older layer's write cursor goes after a write at (x, y): the next column, or the
// start of the next row after column 255.
inline void move_write_cursor(Sheet &sheet, uint16_t x, uint16_t y) {
    if (x + 1 > 255) {
        sheet.cursor_column = 0;
        sheet.cursor_row = y + 1;
    } else {
        sheet.cursor_column = x + 1;
        sheet.cursor_row = y;
    }
}

// A sheet filled row by row: a write of the default attribute behind every cell of its sheet
// passes its checks, meets no cell to merge with and no row or column attribute to take, so
// the cell keeps the default. Such writes are answered inline, straight into the cell store.
namespace appending {

// The sheet of such a write, or null when the general path must place the cell (or say what
// is wrong).
inline Sheet *sheet_for(const BookRef &ref, int32_t sheet, int32_t x, int32_t y, int32_t xf) {
    Workbook *book = ref.book;
    if (!book || xf != kDefaultXf || x < 0 || x > 255 || y < 0 ||
        static_cast<uint32_t>(y) >= book->max_rows || sheet < 0 || sheet >= book->sheet_count()) {
        return nullptr;
    }
    Sheet &at = *book->sheets[static_cast<size_t>(sheet)];
    if (static_cast<int64_t>(y) * 256 + x <= at.highest_key ||
        !at.rows_columns.row_settings.empty() || !at.rows_columns.columns.empty()) {
        return nullptr;
    }
    return &at;
}

// A cell record image of the default attribute: header, row, column, XF, then `Size` value
// bytes.
template <size_t Size>
struct Image {
    Image(uint16_t number, uint16_t x, uint16_t y) {
        store_u16(bytes, number);
        store_u16(bytes + 2, static_cast<uint16_t>(6 + Size));
        store_u16(bytes + 4, y);
        store_u16(bytes + 6, x);
        store_u16(bytes + 8, kDefaultXf);
    }
    uint8_t *value() { return bytes + 10; }
    uint8_t bytes[10 + Size];
};

// Stores the image of a cell at (x, y) of the sheet sheet_for() gave, which becomes the
// workbook's current sheet.
inline int32_t store(Workbook &book, int32_t sheet_number, Sheet &sheet, uint16_t x, uint16_t y,
                     std::span<const uint8_t> image) {
    book.current_sheet = sheet_number;
    move_write_cursor(sheet, x, y);
    if (int rc = sheet.cells.insert_plain(image); rc != 0) return rc;
    const uint32_t key = static_cast<uint32_t>(y) * 256 + x;
    sheet.lowest_key = std::min(sheet.lowest_key, key);
    sheet.highest_key = std::max<int64_t>(sheet.highest_key, key);
    return 0;
}

}  // namespace appending

// An integer an RK record holds (30 bits); beyond, it is written as a NUMBER.
inline constexpr int32_t kRkLimit = 1 << 29;

inline int32_t write_int(BookRef ref, int32_t sheet, int32_t x, int32_t y, int32_t value,
                         int32_t xf) {
    if (value >= -kRkLimit && value < kRkLimit) {
        if (Sheet *at = appending::sheet_for(ref, sheet, x, y, xf)) {
            appending::Image<4> image(rec::kRk, static_cast<uint16_t>(x), static_cast<uint16_t>(y));
            store_u32(image.value(), (static_cast<uint32_t>(value) << 2) | 2u);
            return appending::store(*ref.book, sheet, *at, static_cast<uint16_t>(x),
                                    static_cast<uint16_t>(y), image.bytes);
        }
    }
    return write_any_int(ref, sheet, x, y, value, xf);
}

inline int32_t write_double(BookRef ref, int32_t sheet, int32_t x, int32_t y, double value,
                            int32_t xf) {
    if (std::isfinite(value)) {
        if (Sheet *at = appending::sheet_for(ref, sheet, x, y, xf)) {
            appending::Image<8> image(rec::kNumber, static_cast<uint16_t>(x),
                                      static_cast<uint16_t>(y));
            store_f64(image.value(), value == 0.0 ? 0.0 : value);  // -0.0 is stored as +0.0
            return appending::store(*ref.book, sheet, *at, static_cast<uint16_t>(x),
                                    static_cast<uint16_t>(y), image.bytes);
        }
    }
    return write_any_double(ref, sheet, x, y, value, xf);
}

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
