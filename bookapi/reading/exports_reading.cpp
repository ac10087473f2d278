// C entry points: what a book's file says about a sheet (used area, widths, heights, page
// setup, its cells one by one) and where the current sheet's cells end in memory.
#include <cstdint>

#include "bookapi/books/book_call.h"
#include "engine/exports/book_services/book_services.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace services = tabrix::engine::services;

namespace {

// The engine's answers for a sheet without what was asked for.
constexpr int32_t kNoSheetInFile = 1;
constexpr int32_t kNothingThere = -1;

// An engine answer as the error it means here: a sheet outside the file is a sheet-number
// error, a sheet without the record or the cells asked for has no data.
int32_t reading_result(int32_t rc) {
    if (rc == kNoSheetInFile) return -errSheetNo;
    if (rc == kNothingThere) return -errNoData;
    return rc;
}

template <class T>
void clear(T *out, T value) {
    if (out) *out = value;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsGetMaxData(int32_t *columns, int32_t *rows) {
    clear(columns, 0);
    clear(rows, 0);
    return value_of_current_book(
        [&](BookRecord &book) {
            int32_t c = 0, r = 0;
            const int32_t rc = XM_GetMaxData(book.engine_handle, book.current_sheet, &c, &r);
            if (rc == 0) {
                clear(columns, c);
                clear(rows, r);
            }
            record_result(reading_result(rc));
            return 1;
        },
        0);
}

// The engine answers for its own current sheet: that of the book's last sheet choice or
// write.
TABRIX_API int32_t XlsGetLastPos(int32_t *x, int32_t *y, int32_t values_only, int32_t row_end) {
    clear(x, -1);
    clear(y, -1);
    return guarded_call(
        [&]() -> int32_t {
            const BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);
            int32_t column = -1, row = -1;
            int32_t rc = XM_GetLastPos(book->engine_handle, &column, &row, values_only);
            if (rc == 0 && row_end == 0)
                rc = XM_GetLastX(book->engine_handle, &column, values_only);
            if (rc == 0) {
                clear(x, column);
                clear(y, row);
            }
            record_result(reading_result(rc));
            return 1;  // a book is current: success whatever was found
        },
        0);
}

TABRIX_API int32_t XlsGetReadBin(int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                                 int32_t *kind, double *number, char *text, int32_t size) {
    return value_of_current_book(
        [&](BookRecord &book) {
            return services::walk_cells(book.engine_handle, book.current_sheet, position, x, y, xf,
                                        kind, number, text, nullptr, size);
        },
        0);
}

TABRIX_API int32_t XlsGetReadBinW(int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                                  int32_t *kind, double *number, char16_t *text, int32_t size) {
    return value_of_current_book(
        [&](BookRecord &book) {
            return services::walk_cells(book.engine_handle, book.current_sheet, position, x, y, xf,
                                        kind, number, nullptr, text, size);
        },
        0);
}

TABRIX_API int32_t XlsGetColWidth(int32_t column) {
    return value_of_current_book(
        [&](BookRecord &book) {
            return XM_GetColWidth(book.engine_handle, book.current_sheet, column);
        },
        0);
}

TABRIX_API double XlsGetRowHeight(int32_t row) {
    return value_of_current_book(
        [&](BookRecord &book) {
            return XM_GetRowHeight(book.engine_handle, book.current_sheet, row);
        },
        0.0);
}

TABRIX_API int32_t XlsGetPageMode(int32_t sheet, int32_t *paper_size, int32_t *scale,
                                  int32_t *orientation, int32_t margins[4]) {
    clear(paper_size, 0);
    clear(scale, 0);
    clear(orientation, 0);
    if (margins) {
        for (int i = 0; i < 4; ++i) margins[i] = 0;
    }
    return value_of_current_book(
        [&](BookRecord &book) {
            record_result(services::read_page_mode(book.engine_handle, sheet, paper_size, scale,
                                                   orientation, margins));
            return 1;
        },
        0);
}

}  // extern "C"
