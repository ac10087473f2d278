// C entry points: a sheet's grid lines, zoom and page mode, and the older layer's forms.
#include "engine/edit/value_writes.h"
#include "engine/exports/boundary.h"
#include "engine/layout/page_setup.h"
#include "engine/layout/window_settings.h"
#include "engine/model/workbook.h"
#include "tabrix.h"

using namespace tabrix::engine;

extern "C" {

TABRIX_API int32_t XM_SetGridMode(int32_t h, int32_t s, int32_t flag) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        if (int32_t rc = select_sheet(book, s); rc != 0) return rc;
        return set_grid_shown(*book.book, s, flag != 0);
    });
}

TABRIX_API int32_t XM_SetZoom(int32_t h, int32_t s, int32_t zoom) {
    return guarded([&] {
        if (!zoom_in_range(zoom)) return err::kParam;
        // Any missing workbook reads as not open here, a negative handle included.
        Workbook *book = book_ref(h).book;
        if (!book) return err::kNotOpen;
        return set_zoom(*book, s, zoom);
    });
}

TABRIX_API int32_t XM_SetPageMode(int32_t h, int32_t s, int32_t paper_size, int32_t scale,
                                  int32_t orientation, double header_margin, double footer_margin) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        if (!book.book) return book.missing;
        return set_page_mode(
            *book.book, s, PageMode{paper_size, scale, orientation, header_margin, footer_margin});
    });
}

TABRIX_API int32_t XL_SetGridMode(int32_t flag) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SetGridMode(0, s, flag); }); });
}

TABRIX_API int32_t XL_SetZoom(int32_t zoom) {
    return guarded([&] {
        if (!zoom_in_range(zoom)) return err::kOpen;  // this layer's own answer, before -3
        return on_xl_sheet([&](int32_t s) { return XM_SetZoom(0, s, zoom); });
    });
}

TABRIX_API int32_t XL_SetPageMode(int32_t paper_size, int32_t scale, int32_t orientation,
                                  double header_margin, double footer_margin) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) {
            return XM_SetPageMode(0, s, paper_size, scale, orientation, header_margin,
                                  footer_margin);
        });
    });
}

}  // extern "C"
