// C entry points: value writes, writes at keyword cells, caller records, and the older
// layer's writes at a position or at its write cursor.
#include <cstdint>
#include <string>

#include "engine/edit/value_writes.h"
#include "engine/exports/boundary.h"
#include "engine/model/workbook.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

// A caller's narrow cell text; a null pointer writes a blank cell.
CellText cell_text(const NarrowArgument &text) {
    if (!text.given()) return CellText();
    return std::visit([](auto view) { return CellText(view); }, text.text());
}

CellText wide_text(const char16_t *text) {
    return text ? CellText(std::u16string_view(text)) : CellText();
}

// Runs a write at the older layer's write cursor.
template <class Write>
int32_t at_cursor(Write &&write) {
    int32_t sheet = 0, x = 0, y = 0;
    if (int32_t rc = cursor_target(xl_current(), &sheet, &x, &y); rc != 0) return rc;
    return write(sheet, x, y);
}

}  // namespace

extern "C" {

// Workbook handle, sheet and cell.

TABRIX_API int32_t XM_WriteStr2W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                 int32_t xf) {
    return guarded([&] { return write_text(book_ref(h), s, x, y, wide_text(text), xf); });
}

TABRIX_API int32_t XM_WriteStrW(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text) {
    return XM_WriteStr2W(h, s, x, y, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteStr2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                int32_t xf) {
    return guarded([&] {
        const NarrowArgument given(text);
        return write_text(book_ref(h), s, x, y, cell_text(given), xf);
    });
}

TABRIX_API int32_t XM_WriteStr(int32_t h, int32_t s, int32_t x, int32_t y, const char *text) {
    return XM_WriteStr2(h, s, x, y, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteInt2(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value,
                                int32_t xf) {
    return guarded([&] { return write_int(book_ref(h), s, x, y, value, xf); });
}

TABRIX_API int32_t XM_WriteInt(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value) {
    return XM_WriteInt2(h, s, x, y, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteDouble2(int32_t h, int32_t s, int32_t x, int32_t y, double value,
                                   int32_t xf) {
    return guarded([&] { return write_double(book_ref(h), s, x, y, value, xf); });
}

TABRIX_API int32_t XM_WriteDouble(int32_t h, int32_t s, int32_t x, int32_t y, double value) {
    return XM_WriteDouble2(h, s, x, y, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteBool2(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value,
                                 int32_t xf) {
    return guarded([&] { return write_bool(book_ref(h), s, x, y, value != 0, xf); });
}

TABRIX_API int32_t XM_WriteBool(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value) {
    return XM_WriteBool2(h, s, x, y, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteCellsW(int32_t h, int32_t s, int32_t count, const int32_t *xs,
                                  const int32_t *ys, const int32_t *kinds, const double *values,
                                  const char16_t *texts, const int32_t *attrs, int32_t *written) {
    if (written) *written = 0;
    return guarded([&] {
        if (count < 0 || (count > 0 && (!xs || !ys || !kinds))) return err::kParam;
        const BookRef book = book_ref(h);
        const char16_t *next_text = texts;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t xf = attrs ? attrs[i] : kDefaultXf;
            const double value = values ? values[i] : 0.0;
            int32_t rc = err::kParam;
            switch (kinds[i]) {
                case 0:
                    rc = write_text(book, s, xs[i], ys[i], CellText(), xf);
                    break;
                case 1:
                    // Only a whole number in range is an integer; anything else is refused.
                    if (values && value >= INT32_MIN && value <= INT32_MAX &&
                        value == static_cast<double>(static_cast<int32_t>(value))) {
                        rc = write_int(book, s, xs[i], ys[i], static_cast<int32_t>(value), xf);
                    }
                    break;
                case 2:
                    if (values) rc = write_double(book, s, xs[i], ys[i], value, xf);
                    break;
                case 3:
                    if (values) rc = write_bool(book, s, xs[i], ys[i], value != 0.0, xf);
                    break;
                case 4:
                    if (next_text) {
                        const std::u16string_view text(next_text);
                        next_text += text.size() + 1;
                        rc = write_text(book, s, xs[i], ys[i], CellText(text), xf);
                    }
                    break;
            }
            if (rc != 0) return rc;
            if (written) *written = i + 1;
        }
        return 0;
    });
}

TABRIX_API int32_t XM_WriteBin(int32_t h, int32_t s, uint16_t number, uint16_t length,
                               const void *data) {
    return guarded([&] { return write_bin(book_ref(h), s, number, length, data); });
}

// At every cell of a keyword.

TABRIX_API int32_t XM_WriteStr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text, int32_t xf) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        return write_at_keyword(book, s, wide_view(keyword), dx, dy, [&](int32_t x, int32_t y) {
            return write_text(book, s, x, y, wide_text(text), xf);
        });
    });
}

TABRIX_API int32_t XM_WriteStrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const char16_t *text) {
    return XM_WriteStr2hW(h, s, keyword, dx, dy, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteStr2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 const char *text, int32_t xf) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        const NarrowArgument given(text);
        return write_at_keyword(book, s, wide_of(keyword), dx, dy, [&](int32_t x, int32_t y) {
            return write_text(book, s, x, y, cell_text(given), xf);
        });
    });
}

TABRIX_API int32_t XM_WriteStrh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                const char *text) {
    return XM_WriteStr2h(h, s, keyword, dx, dy, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteInt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, int32_t value, int32_t xf) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        return write_at_keyword(book, s, wide_view(keyword), dx, dy, [&](int32_t x, int32_t y) {
            return write_int(book, s, x, y, value, xf);
        });
    });
}

TABRIX_API int32_t XM_WriteInthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, int32_t value) {
    return XM_WriteInt2hW(h, s, keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteInt2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 int32_t value, int32_t xf) {
    return guarded(
        [&] { return XM_WriteInt2hW(h, s, wide_of(keyword).c_str(), dx, dy, value, xf); });
}

TABRIX_API int32_t XM_WriteInth(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                int32_t value) {
    return XM_WriteInt2h(h, s, keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteDouble2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                     int32_t dy, double value, int32_t xf) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        return write_at_keyword(book, s, wide_view(keyword), dx, dy, [&](int32_t x, int32_t y) {
            return write_double(book, s, x, y, value, xf);
        });
    });
}

TABRIX_API int32_t XM_WriteDoublehW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                    int32_t dy, double value) {
    return XM_WriteDouble2hW(h, s, keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteDouble2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                    int32_t dy, double value, int32_t xf) {
    return guarded(
        [&] { return XM_WriteDouble2hW(h, s, wide_of(keyword).c_str(), dx, dy, value, xf); });
}

TABRIX_API int32_t XM_WriteDoubleh(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                   int32_t dy, double value) {
    return XM_WriteDouble2h(h, s, keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteBool2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                   int32_t dy, int32_t value, int32_t xf) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        return write_at_keyword(book, s, wide_view(keyword), dx, dy, [&](int32_t x, int32_t y) {
            return write_bool(book, s, x, y, value != 0, xf);
        });
    });
}

TABRIX_API int32_t XM_WriteBoolhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, int32_t value) {
    return XM_WriteBool2hW(h, s, keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XM_WriteBool2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                  int32_t value, int32_t xf) {
    return guarded(
        [&] { return XM_WriteBool2hW(h, s, wide_of(keyword).c_str(), dx, dy, value, xf); });
}

TABRIX_API int32_t XM_WriteBoolh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 int32_t value) {
    return XM_WriteBool2h(h, s, keyword, dx, dy, value, kDefaultXf);
}

// The older layer: workbook 0 and its current sheet.

TABRIX_API int32_t XL_WriteStr2(int32_t x, int32_t y, const char *text, int32_t xf) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_WriteStr2(0, s, x, y, text, xf); }); });
}

TABRIX_API int32_t XL_WriteStr(int32_t x, int32_t y, const char *text) {
    return XL_WriteStr2(x, y, text, kDefaultXf);
}

TABRIX_API int32_t XL_WriteInt2(int32_t x, int32_t y, int32_t value, int32_t xf) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_WriteInt2(0, s, x, y, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteInt(int32_t x, int32_t y, int32_t value) {
    return XL_WriteInt2(x, y, value, kDefaultXf);
}

TABRIX_API int32_t XL_WriteDouble2(int32_t x, int32_t y, double value, int32_t xf) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_WriteDouble2(0, s, x, y, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteDouble(int32_t x, int32_t y, double value) {
    return XL_WriteDouble2(x, y, value, kDefaultXf);
}

TABRIX_API int32_t XL_WriteBool2(int32_t x, int32_t y, int32_t value, int32_t xf) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_WriteBool2(0, s, x, y, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteBool(int32_t x, int32_t y, int32_t value) {
    return XL_WriteBool2(x, y, value, kDefaultXf);
}

TABRIX_API int32_t XL_WriteStr2h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                 int32_t xf) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_WriteStr2h(0, s, keyword, dx, dy, text, xf); });
    });
}

TABRIX_API int32_t XL_WriteStrh(const char *keyword, int32_t dx, int32_t dy, const char *text) {
    return XL_WriteStr2h(keyword, dx, dy, text, kDefaultXf);
}

TABRIX_API int32_t XL_WriteInt2h(const char *keyword, int32_t dx, int32_t dy, int32_t value,
                                 int32_t xf) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_WriteInt2h(0, s, keyword, dx, dy, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteInth(const char *keyword, int32_t dx, int32_t dy, int32_t value) {
    return XL_WriteInt2h(keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XL_WriteDouble2h(const char *keyword, int32_t dx, int32_t dy, double value,
                                    int32_t xf) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_WriteDouble2h(0, s, keyword, dx, dy, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteDoubleh(const char *keyword, int32_t dx, int32_t dy, double value) {
    return XL_WriteDouble2h(keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XL_WriteBool2h(const char *keyword, int32_t dx, int32_t dy, int32_t value,
                                  int32_t xf) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_WriteBool2h(0, s, keyword, dx, dy, value, xf); });
    });
}

TABRIX_API int32_t XL_WriteBoolh(const char *keyword, int32_t dx, int32_t dy, int32_t value) {
    return XL_WriteBool2h(keyword, dx, dy, value, kDefaultXf);
}

TABRIX_API int32_t XL_MovePos(int32_t x, int32_t y) {
    return guarded([&] { return move_cursor(xl_current(), x, y); });
}

TABRIX_API int32_t XL_MovePosh(const char *keyword, int32_t dx, int32_t dy) {
    return guarded([&] { return move_cursor_to_keyword(xl_current(), wide_of(keyword), dx, dy); });
}

TABRIX_API int32_t XL_WrtCR(void) {
    return guarded([&] { return cursor_to_next_row(xl_current()); });
}

TABRIX_API int32_t XL_WrtStr2(const char *text, int32_t xf) {
    return guarded([&] {
        return at_cursor(
            [&](int32_t s, int32_t x, int32_t y) { return XM_WriteStr2(0, s, x, y, text, xf); });
    });
}

TABRIX_API int32_t XL_WrtStr(const char *text) {
    return XL_WrtStr2(text, kDefaultXf);
}

TABRIX_API int32_t XL_WrtInt2(int32_t value, int32_t xf) {
    return guarded([&] {
        return at_cursor(
            [&](int32_t s, int32_t x, int32_t y) { return XM_WriteInt2(0, s, x, y, value, xf); });
    });
}

TABRIX_API int32_t XL_WrtInt(int32_t value) {
    return XL_WrtInt2(value, kDefaultXf);
}

TABRIX_API int32_t XL_WrtDouble2(double value, int32_t xf) {
    return guarded([&] {
        return at_cursor([&](int32_t s, int32_t x, int32_t y) {
            return XM_WriteDouble2(0, s, x, y, value, xf);
        });
    });
}

TABRIX_API int32_t XL_WrtDouble(double value) {
    return XL_WrtDouble2(value, kDefaultXf);
}

TABRIX_API int32_t XL_WrtBool2(int32_t value, int32_t xf) {
    return guarded([&] {
        return at_cursor(
            [&](int32_t s, int32_t x, int32_t y) { return XM_WriteBool2(0, s, x, y, value, xf); });
    });
}

TABRIX_API int32_t XL_WrtBool(int32_t value) {
    return XL_WrtBool2(value, kDefaultXf);
}

}  // extern "C"
