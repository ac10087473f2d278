// C entry points: questions about the cells of a workbook in memory, and the keyword prefix.
#include "engine/exports/boundary.h"
#include "engine/model/keywords.h"
#include "engine/read/cell_queries.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

int32_t last_column(BookRef ref, int32_t *x, int32_t flag) {
    LastCell last;
    const int32_t rc = last_cell(ref, flag != 0, &last);
    if (rc != 0 && rc != kEmptySheet) return rc;
    if (!x) return err::kParam;
    *x = last.widest_column;
    return rc;
}

int32_t last_position(BookRef ref, int32_t *x, int32_t *y, int32_t flag) {
    LastCell last;
    const int32_t rc = last_cell(ref, flag != 0, &last);
    if (rc != 0 && rc != kEmptySheet) return rc;
    if (!x || !y) return err::kParam;
    *x = last.column;
    *y = last.row;
    return rc;
}

// The older layer's workbook 0, when an XL_ call made it current.
BookRef xl_book() {
    return {xl_current(), err::kNotOpen};
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_GetCellAttr(int32_t h, int32_t x, int32_t y, int32_t *xf) {
    return guarded([&] { return cell_attribute(book_ref(h), x, y, xf); });
}

TABRIX_API int32_t XM_GetLastX(int32_t h, int32_t *x, int32_t flag) {
    return guarded([&] { return last_column(book_ref(h), x, flag); });
}

TABRIX_API int32_t XM_GetLastPos(int32_t h, int32_t *x, int32_t *y, int32_t flag) {
    return guarded([&] { return last_position(book_ref(h), x, y, flag); });
}

TABRIX_API int32_t XM_SetKeyWord(const char *prefix) {
    return guarded([&] {
        set_keyword_prefix(wide_of(prefix));
        return 0;
    });
}

TABRIX_API int32_t XL_GetCellAttr(int32_t x, int32_t y, int32_t *xf) {
    return guarded([&] { return cell_attribute(xl_book(), x, y, xf); });
}

TABRIX_API int32_t XL_GetLastX(int32_t *x, int32_t flag) {
    return guarded([&] { return last_column(xl_book(), x, flag); });
}

TABRIX_API int32_t XL_GetLastPos(int32_t *x, int32_t *y, int32_t flag) {
    return guarded([&] { return last_position(xl_book(), x, y, flag); });
}

}  // extern "C"
