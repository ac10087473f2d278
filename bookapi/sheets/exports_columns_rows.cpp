// C entry points: column widths and row heights over the parts of a position, and the book's
// default font.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "bookapi/values/held_integers.h"
#include "engine/exports/book_services/book_services.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace services = tabrix::engine::services;

namespace {

constexpr int32_t kDefaultWidth = 8;
constexpr double kDefaultHeight = 13.0;

// Calls `apply` with each part of the position (null: the book's current one), stopping at
// the first failure. A keyword part names cells only once looked up, which a width or height
// call does not do: it is refused as a position error.
template <class Apply>
int32_t for_each_part(BookRecord &book, const char *position, Apply &&apply) {
    std::vector<PositionItem> items;
    if (int32_t rc = parse_position(book, position_or_current(book, position), true, items);
        rc != 0) {
        return rc;
    }
    for (const PositionItem &item : items) {
        const int32_t rc = item.keyword ? -errPosition : apply(item);
        if (rc != 0) return rc;
    }
    return 0;
}

// The size in hundredths of a point the book keeps. Sizes far outside what a font may have
// are held at the 32-bit limits, where the engine's clamp gives the same font; something not
// a number reads as 0 (the engine's 11 points).
int32_t hundredths_of(double size) {
    return held_int32(std::floor(size * 100.0));
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsPutColWidth(int32_t width, const char *position) {
    if (width == -1) width = kDefaultWidth;
    return on_writable_book([&](BookRecord &book) {
        return for_each_part(book, position, [&](const PositionItem &item) {
            const int32_t last = item.range ? item.x2 : item.x1;
            return XM_SetColWidth(book.engine_handle, book.current_sheet, item.x1, last, width);
        });
    });
}

TABRIX_API int32_t XlsPutRowHeight(double height, const char *position) {
    if (height == -1.0) height = kDefaultHeight;
    return on_writable_book([&](BookRecord &book) {
        return for_each_part(book, position, [&](const PositionItem &item) {
            // The first row outside the sheet ends the walk, so even a huge range stops soon.
            const int64_t last = item.range ? item.y2 : item.y1;
            for (int64_t y = item.y1; y <= last; ++y) {
                const int32_t rc = XM_SetRowHeight(book.engine_handle, book.current_sheet,
                                                   static_cast<int32_t>(y), height);
                if (rc != 0) return rc;
            }
            return 0;
        });
    });
}

// The book keeps the name and size only once the engine took them, so that a refused name
// does not make every later size change fail too.
TABRIX_API int32_t XlsPutDefFontName(const char *name) {
    return on_writable_book([&](BookRecord &book) {
        const std::string given(narrow_view(name));
        const int32_t rc =
            services::set_default_font(book.engine_handle, given, book.default_font_size / 100.0);
        if (rc == 0 && !given.empty()) book.default_font_name = given;
        return rc;
    });
}

TABRIX_API int32_t XlsPutDefFontPoint(double size) {
    return on_writable_book([&](BookRecord &book) {
        const int32_t hundredths = hundredths_of(size);
        const int32_t rc = services::set_default_font(book.engine_handle, book.default_font_name,
                                                      hundredths / 100.0);
        if (rc == 0) book.default_font_size = hundredths;
        return rc;
    });
}

}  // extern "C"
