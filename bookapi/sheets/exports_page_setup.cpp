// C entry points: how the current sheet shows and prints: grid lines, zoom, paper, margins,
// header and footer, manual page breaks.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "engine/exports/book_services/book_services.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace services = tabrix::engine::services;

namespace {

// The header and footer calls answer 0 without a current book and leave the last error.
template <class Set>
int32_t set_page_text(Set &&set) {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return 0;
            return record_result(read_only(*book) ? -errMode : set(*book));
        },
        0);
}

int32_t shifted(int32_t coordinate, int32_t offset) {
    const int64_t sum = int64_t{coordinate} + offset;
    // Beyond the grid either way, where the engine refuses it.
    return sum < 0 ? -1 : static_cast<int32_t>(std::min<int64_t>(sum, 0x7FFFFFFF));
}

// The cell a break goes before: the first part's first corner, or for a keyword the first
// cell (in row, then column order) carrying it, moved by the part's offset. None when the
// position names no cell; -34 for a malformed position text.
int32_t break_cell(const BookRecord &book, const char *position,
                   std::optional<services::CellPoint> &cell) {
    PositionItem item;
    if (int32_t rc = first_position_item(book, position_or_current(book, position), true, item);
        rc != 0) {
        return rc;
    }
    if (!item.keyword) {
        cell = services::CellPoint{item.x1, item.y1};
        return 0;
    }
    std::vector<services::CellPoint> cells;
    if (services::keyword_cells(book.engine_handle, book.current_sheet, item.keyword_text, cells) !=
            0 ||
        cells.empty()) {
        return 0;
    }
    const services::CellPoint &first = cells.back();  // the list runs from the last cell
    cell = services::CellPoint{shifted(first.x, item.dx), shifted(first.y, item.dy)};
    return 0;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsModeGrid(int32_t flag) {
    return on_writable_book([&](BookRecord &book) {
        return XM_SetGridMode(book.engine_handle, book.current_sheet, flag);
    });
}

TABRIX_API int32_t XlsSetZoom(int32_t zoom) {
    return on_writable_book(
        [&](BookRecord &book) { return XM_SetZoom(book.engine_handle, book.current_sheet, zoom); });
}

TABRIX_API int32_t XlsPageMode(int32_t paper_size, int32_t scale, int32_t orientation,
                               double header_margin, double footer_margin) {
    return on_writable_book([&](BookRecord &book) {
        return XM_SetPageMode(book.engine_handle, book.current_sheet, paper_size, scale,
                              orientation, header_margin, footer_margin);
    });
}

TABRIX_API int32_t XlsSetMargin(int32_t left, int32_t right, int32_t top, int32_t bottom) {
    return on_writable_book([&](BookRecord &book) {
        return services::set_sheet_margins(book.engine_handle, book.current_sheet, left, right, top,
                                           bottom);
    });
}

TABRIX_API int32_t XlsSetHeader(const char *left, const char *centre, const char *right) {
    return set_page_text([&](const BookRecord &book) {
        return services::set_sheet_header(book.engine_handle, book.current_sheet, wide_of(left),
                                          wide_of(centre), wide_of(right));
    });
}

TABRIX_API int32_t XlsSetFooter(const char *left, const char *centre, const char *right) {
    return set_page_text([&](const BookRecord &book) {
        return services::set_sheet_footer(book.engine_handle, book.current_sheet, wide_of(left),
                                          wide_of(centre), wide_of(right));
    });
}

TABRIX_API int32_t XlsSetHeaderW(const char16_t *left, const char16_t *centre,
                                 const char16_t *right) {
    return set_page_text([&](const BookRecord &book) {
        return services::set_sheet_header(book.engine_handle, book.current_sheet, wide_view(left),
                                          wide_view(centre), wide_view(right));
    });
}

TABRIX_API int32_t XlsSetFooterW(const char16_t *left, const char16_t *centre,
                                 const char16_t *right) {
    return set_page_text([&](const BookRecord &book) {
        return services::set_sheet_footer(book.engine_handle, book.current_sheet, wide_view(left),
                                          wide_view(centre), wide_view(right));
    });
}

// Besides a book that takes no change and a malformed position, only a full break list is
// reported; a position that names no cell, or a cell the engine refuses, leaves the call a
// success that changed nothing and the last error as it was.
TABRIX_API int32_t XlsPutBreak(int32_t flag, const char *position) {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);
            if (read_only(*book)) return record_result(-errMode);
            std::optional<services::CellPoint> cell;
            if (int32_t rc = break_cell(*book, position, cell); rc != 0) return record_result(rc);
            if (!cell) return 1;
            const int32_t rc = services::set_sheet_break(book->engine_handle, book->current_sheet,
                                                         cell->x, cell->y, flag != 0);
            if (rc == -errParam) return record_result(-errPageBreaks);
            return 1;
        },
        0);
}

}  // extern "C"
