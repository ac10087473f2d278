// The Book API's page settings, default font and read-back calls: the sheet settings that have
// no engine C call, and the readers of the file a workbook was read from.
#include "engine/exports/book_services/book_services.h"
#include "engine/exports/boundary.h"
#include "engine/layout/page_setup.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/read/read_mode/sequential_walk.h"
#include "engine/read/read_mode/sheet_readback.h"
#include "engine/styles/workbook_font.h"

namespace tabrix::engine::services {

namespace {

// Runs `change` on the workbook under the handle, or answers why there is none.
template <class Change>
int32_t on_workbook(int32_t h, Change &&change) {
    const BookRef ref = book_ref(h);
    if (!ref.book) return ref.missing;
    return change(*ref.book);
}

}  // namespace

int32_t set_sheet_margins(int32_t h, int32_t sheet, int32_t left, int32_t right, int32_t top,
                          int32_t bottom) {
    return on_workbook(
        h, [&](Workbook &book) { return set_margins(book, sheet, left, right, top, bottom); });
}

int32_t set_sheet_header(int32_t h, int32_t sheet, std::u16string_view left,
                         std::u16string_view centre, std::u16string_view right) {
    return on_workbook(h, [&](Workbook &book) {
        return set_page_text(book, sheet, PageText::kHeader, left, centre, right);
    });
}

int32_t set_sheet_footer(int32_t h, int32_t sheet, std::u16string_view left,
                         std::u16string_view centre, std::u16string_view right) {
    return on_workbook(h, [&](Workbook &book) {
        return set_page_text(book, sheet, PageText::kFooter, left, centre, right);
    });
}

int32_t set_sheet_break(int32_t h, int32_t sheet, int32_t x, int32_t y, bool set) {
    return on_workbook(h, [&](Workbook &book) { return set_page_break(book, sheet, x, y, set); });
}

int32_t set_default_font(int32_t h, std::string_view name, double size) {
    // The workbook keeps its default font name in code page 932.
    const std::optional<std::string> cp932 = exact_cp932(platform::narrow_to_utf16(name));
    if (!cp932) return err::kLength;
    return set_workbook_font(book_ref(h), *cp932, size);
}

int32_t read_page_mode(int32_t h, int32_t sheet, int32_t *paper_size, int32_t *scale,
                       int32_t *orientation, int32_t margins[4]) {
    return on_workbook(h, [&](Workbook &book) {
        PageSetupReadback read;
        const int32_t rc = read_page_setup(book, sheet, read);
        // Cleared outputs on a failure, as the reader leaves them.
        if (paper_size) *paper_size = read.paper_size;
        if (scale) *scale = read.scale;
        if (orientation) *orientation = read.orientation;
        if (margins) {
            for (size_t i = 0; i < read.margins.size(); ++i) margins[i] = read.margins[i];
        }
        return rc;
    });
}

int32_t walk_cells(int32_t h, int32_t sheet, int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                   int32_t *kind, double *number, char *narrow, char16_t *wide, int32_t size) {
    return on_workbook(h, [&](Workbook &book) {
        return walk_sheet_into(book, sheet, position, x, y, xf, kind, number,
                               TextBuffer{narrow, wide, size});
    });
}

}  // namespace tabrix::engine::services
