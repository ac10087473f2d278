// C entry points: column widths and row heights, by handle and on the older layer's workbook.
#include "engine/exports/boundary.h"
#include "engine/layout/columns.h"
#include "engine/layout/rows.h"
#include "tabrix.h"

using namespace tabrix::engine;

extern "C" {

TABRIX_API int32_t XM_SetColWidth(int32_t h, int32_t s, int32_t x1, int32_t x2, int32_t width) {
    return guarded([&] { return set_column_width(book_ref(h), s, x1, x2, width); });
}

TABRIX_API int32_t XM_SetRowHeight(int32_t h, int32_t s, int32_t y, double height) {
    return guarded([&] { return set_row_height(book_ref(h), s, y, height); });
}

TABRIX_API int32_t XL_SetColWidth(int32_t x1, int32_t x2, int32_t width) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_SetColWidth(0, s, x1, x2, width); });
    });
}

TABRIX_API int32_t XL_SetRowHeight(int32_t y, double height) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SetRowHeight(0, s, y, height); }); });
}

}  // extern "C"
