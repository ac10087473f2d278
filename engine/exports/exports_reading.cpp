// C entry points: workbooks opened for reading, their cells, used areas, column widths and
// row heights, and cell values of any workbook; the older layer's read calls on workbook 0.
#include "engine/exports/boundary.h"
#include "engine/lifecycle/read_workbooks.h"
#include "engine/read/read_mode/block_walk.h"
#include "engine/read/read_mode/cell_fetch.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/read_mode/sheet_readback.h"
#include "tabrix.h"

using namespace tabrix::engine;

extern "C" {

TABRIX_API int32_t XM_ReadOpenW(const char16_t *file_name) {
    return guarded([&] { return open_read_workbook(wide_view(file_name)); });
}

TABRIX_API int32_t XM_ReadOpen(const char *file_name) {
    return guarded([&] { return open_read_workbook(wide_of(file_name)); });
}

TABRIX_API int32_t XM_Read(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *kind, double *value,
                           char *text, int32_t size) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return read_cell(*ref.book, s, x, y, kind, value, TextBuffer{text, nullptr, size});
    });
}

TABRIX_API int32_t XM_ReadClose(int32_t h) {
    return guarded([&] { return close_read_workbook(h); });
}

TABRIX_API int32_t XM_GetMaxData(int32_t h, int32_t s, int32_t *columns, int32_t *rows) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return read_used_area(*ref.book, s, columns, rows);
    });
}

TABRIX_API int32_t XM_GetCellData(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *integer,
                                  double *value, char *text, int32_t size, int32_t *xf) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return cell_data(*ref.book, s, x, y, integer, value, TextBuffer{text, nullptr, size}, xf);
    });
}

TABRIX_API int32_t XM_GetCellDataW(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *integer,
                                   double *value, char16_t *text, int32_t size, int32_t *xf) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return cell_data(*ref.book, s, x, y, integer, value, TextBuffer{nullptr, text, size}, xf);
    });
}

TABRIX_API int32_t XM_ReadCellW(int32_t h, int32_t s, int32_t x, int32_t y, XLWALKCELL *cell,
                                char16_t *text, int32_t text_size) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        if (!cell) return err::kParam;
        if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) >= ref.book->max_rows) {
            return err::kParam;
        }
        CellValue value;
        if (int32_t rc = cell_value_at(*ref.book, s, x, y, value); rc != 0) return rc;
        const BlockCell walked =
            walked_of(value, static_cast<uint16_t>(y), static_cast<uint8_t>(x));
        *cell = XLWALKCELL{x,
                           y,
                           walked.xf,
                           walked.kind,
                           walked.value,
                           0,
                           static_cast<int32_t>(walked.text.size())};
        TextBuffer{nullptr, text, text_size}.put(walked.text);
        return 0;
    });
}

TABRIX_API int32_t XM_GetColWidth(int32_t h, int32_t s, int32_t x) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return read_column_width(*ref.book, s, x);
    });
}

TABRIX_API double XM_GetRowHeight(int32_t h, int32_t s, int32_t y) {
    // The codes of a missing workbook or a failure come back as doubles.
    const CallScope scope;
    try {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return read_row_height(*ref.book, s, y);
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    } catch (...) {
        return err::kInternal;
    }
}

TABRIX_API int32_t XL_ReadOpen(const char *file_name) {
    return guarded([&] { return create_for_xl([&] { return XM_ReadOpen(file_name); }); });
}

TABRIX_API int32_t XL_Read(int32_t s, int32_t x, int32_t y, int32_t *kind, double *value,
                           char *text, int32_t size) {
    return guarded([&] {
        return xl_current() ? XM_Read(0, s, x, y, kind, value, text, size) : err::kNotOpen;
    });
}

TABRIX_API int32_t XL_ReadClose(void) {
    return guarded([&] {
        Workbook *book = xl_current();
        if (!book) return err::kNotOpen;
        if (!book->read_only) return err::of(errMode);
        set_xl_current(false);
        return close_read_workbook(0);
    });
}

}  // extern "C"
