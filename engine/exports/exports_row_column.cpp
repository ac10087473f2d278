// C entry points: rows, columns and blocks of a sheet inserted, deleted, cleared, copied and
// pasted, by handle and on the older layer's workbook 0.
#include "engine/edit/column_operations.h"
#include "engine/edit/copy_buffer.h"
#include "engine/edit/row_operations.h"
#include "engine/exports/boundary.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

// The older layer's twins name no handle: they act on workbook 0, -3 when it is not the
// older layer's.
template <class Call>
int32_t on_xl_book(Call &&call) {
    return guarded([&] { return xl_current() ? call() : err::kNotOpen; });
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_RowDelete(int32_t h, int32_t s, int32_t row, int32_t count) {
    return guarded([&] { return delete_rows(book_ref(h), s, row, count); });
}

TABRIX_API int32_t XM_RowClear(int32_t h, int32_t s, int32_t row, int32_t count) {
    return guarded([&] { return clear_rows(book_ref(h), s, row, count); });
}

TABRIX_API int32_t XM_RowInsert(int32_t h, int32_t s, int32_t row, int32_t count) {
    return guarded([&] { return insert_rows(book_ref(h), s, row, count); });
}

TABRIX_API int32_t XM_RowCopy(int32_t h, int32_t s, int32_t source, int32_t target) {
    return guarded([&] { return copy_row(book_ref(h), s, source, target); });
}

TABRIX_API int32_t XM_RowCopyOnly(int32_t h, int32_t s, int32_t source) {
    return guarded([&] { return copy_row(book_ref(h), s, source, -1); });
}

TABRIX_API int32_t XM_RowPaste(int32_t h, int32_t s, int32_t row) {
    return guarded([&] { return paste_rows(book_ref(h), s, row); });
}

TABRIX_API int32_t XM_RowCopyEx(int32_t h, int32_t s, int32_t first, int32_t count,
                                int32_t target_sheet, int32_t target_row) {
    return guarded(
        [&] { return copy_rows_to_sheet(book_ref(h), s, first, count, target_sheet, target_row); });
}

TABRIX_API int32_t XM_ColumnDelete(int32_t h, int32_t s, int32_t column, int32_t count) {
    return guarded([&] { return delete_columns(book_ref(h), s, column, count); });
}

TABRIX_API int32_t XM_ColumnClear(int32_t h, int32_t s, int32_t column, int32_t count) {
    return guarded([&] { return clear_columns(book_ref(h), s, column, count); });
}

TABRIX_API int32_t XM_ColumnInsert(int32_t h, int32_t s, int32_t column, int32_t count) {
    return guarded([&] { return insert_columns(book_ref(h), s, column, count); });
}

TABRIX_API int32_t XM_ColumnCopy(int32_t h, int32_t s, int32_t source, int32_t target) {
    return guarded([&] { return copy_column(book_ref(h), s, source, target); });
}

TABRIX_API int32_t XM_ColumnCopyOnly(int32_t h, int32_t s, int32_t source) {
    return guarded([&] { return copy_column(book_ref(h), s, source, -1); });
}

TABRIX_API int32_t XM_ColumnPaste(int32_t h, int32_t s, int32_t column) {
    return guarded([&] { return paste_column(book_ref(h), s, column); });
}

TABRIX_API int32_t XM_BlockClear(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                 int32_t height) {
    return guarded([&] { return clear_cells(book_ref(h), s, CellRect{x, y, width, height}); });
}

TABRIX_API int32_t XM_BlockCopy(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                int32_t height, int32_t target_x, int32_t target_y) {
    return guarded([&] {
        return copy_cells(book_ref(h), s, CellRect{x, y, width, height}, target_x, target_y);
    });
}

TABRIX_API int32_t XM_BlockCopyOnly(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                    int32_t height) {
    return guarded([&] {
        return copy_cells(book_ref(h), s, CellRect{x, y, width, height}, -1, -1);
    });
}

TABRIX_API int32_t XM_BlockPaste(int32_t h, int32_t s, int32_t x, int32_t y) {
    return guarded([&] { return paste_cells(book_ref(h), s, x, y); });
}

TABRIX_API int32_t XL_RowDelete(int32_t s, int32_t row, int32_t count) {
    return on_xl_book([&] { return XM_RowDelete(0, s, row, count); });
}

TABRIX_API int32_t XL_RowClear(int32_t s, int32_t row, int32_t count) {
    return on_xl_book([&] { return XM_RowClear(0, s, row, count); });
}

TABRIX_API int32_t XL_RowInsert(int32_t s, int32_t row, int32_t count) {
    return on_xl_book([&] { return XM_RowInsert(0, s, row, count); });
}

TABRIX_API int32_t XL_RowCopy(int32_t s, int32_t source, int32_t target) {
    return on_xl_book([&] { return XM_RowCopy(0, s, source, target); });
}

TABRIX_API int32_t XL_RowCopyOnly(int32_t s, int32_t source) {
    return on_xl_book([&] { return XM_RowCopyOnly(0, s, source); });
}

TABRIX_API int32_t XL_RowPaste(int32_t s, int32_t row) {
    return on_xl_book([&] { return XM_RowPaste(0, s, row); });
}

TABRIX_API int32_t XL_ColumnDelete(int32_t s, int32_t column, int32_t count) {
    return on_xl_book([&] { return XM_ColumnDelete(0, s, column, count); });
}

TABRIX_API int32_t XL_ColumnClear(int32_t s, int32_t column, int32_t count) {
    return on_xl_book([&] { return XM_ColumnClear(0, s, column, count); });
}

TABRIX_API int32_t XL_ColumnInsert(int32_t s, int32_t column, int32_t count) {
    return on_xl_book([&] { return XM_ColumnInsert(0, s, column, count); });
}

TABRIX_API int32_t XL_ColumnCopy(int32_t s, int32_t source, int32_t target) {
    return on_xl_book([&] { return XM_ColumnCopy(0, s, source, target); });
}

TABRIX_API int32_t XL_ColumnCopyOnly(int32_t s, int32_t source) {
    return on_xl_book([&] { return XM_ColumnCopyOnly(0, s, source); });
}

TABRIX_API int32_t XL_ColumnPaste(int32_t s, int32_t column) {
    return on_xl_book([&] { return XM_ColumnPaste(0, s, column); });
}

TABRIX_API int32_t XL_BlockClear(int32_t s, int32_t x, int32_t y, int32_t width, int32_t height) {
    return on_xl_book([&] { return XM_BlockClear(0, s, x, y, width, height); });
}

TABRIX_API int32_t XL_BlockCopy(int32_t s, int32_t x, int32_t y, int32_t width, int32_t height,
                                int32_t target_x, int32_t target_y) {
    return on_xl_book([&] { return XM_BlockCopy(0, s, x, y, width, height, target_x, target_y); });
}

TABRIX_API int32_t XL_BlockCopyOnly(int32_t s, int32_t x, int32_t y, int32_t width,
                                    int32_t height) {
    return on_xl_book([&] { return XM_BlockCopyOnly(0, s, x, y, width, height); });
}

TABRIX_API int32_t XL_BlockPaste(int32_t s, int32_t x, int32_t y) {
    return on_xl_book([&] { return XM_BlockPaste(0, s, x, y); });
}

}  // extern "C"
