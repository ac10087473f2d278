// C entry points: attributes read back. The XF, FONT and FORMAT calls answer from the file the
// book was read or opened from and leave the last error alone; the attribute number of a cell
// comes from the workbook in memory.

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "engine/exports/book_services/book_services.h"
#include "platform/interface_text.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace services = tabrix::engine::services;

namespace {

constexpr int32_t kDefaultAttribute = 15;

// Runs a read on the current book and returns 1; without one, records error 3 and returns 0.
template <class Read>
int32_t read_from_file(Read &&read) noexcept {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);
            read(book->engine_handle);
            return 1;
        },
        0);
}

// The attribute number of the position's first cell on the current sheet; 0 or the failure.
int32_t cell_attribute_number(BookRecord &book, const char *position, int32_t &xf) {
    PositionItem first;
    if (int32_t rc = first_position_item(book, position_or_current(book, position), true, first);
        rc != 0) {
        return rc;
    }
    if (first.keyword) return -errPosition;
    if (int32_t rc = services::select_current_sheet(book.engine_handle, book.current_sheet);
        rc != 0) {
        return rc;
    }
    return XM_GetCellAttr(book.engine_handle, first.x1, first.y1, &xf);
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsGetAttr(int32_t number, XLATTR *attr) {
    return read_from_file([&](int32_t h) {
        if (attr) services::file_xf(h, number == -1 ? kDefaultAttribute : number, *attr);
    });
}

TABRIX_API int32_t XlsGetFont(int32_t number, char *name, int32_t size, double *point,
                              int32_t *colour, int32_t *style, int32_t *underline) {
    return read_from_file([&](int32_t h) {
        put_narrow("", name, size);
        services::FileFont font;
        if (!services::file_font(h, number, font)) return;
        put_narrow(tabrix::platform::utf16_to_narrow(font.name), name, size);
        if (point) *point = font.size;
        if (colour) *colour = font.colour;
        if (style) *style = font.style;
        if (underline) *underline = font.underline;
    });
}

TABRIX_API int32_t XlsGetFormat(int32_t number, char *buffer, int32_t size) {
    return read_from_file([&](int32_t h) {
        put_narrow("", buffer, size);
        std::u16string format;
        if (services::file_format(h, number, format))
            put_narrow(tabrix::platform::utf16_to_narrow(format), buffer, size);
    });
}

TABRIX_API int32_t XlsGetAttrCnt(int32_t *xf_count, int32_t *format_count, int32_t *font_count) {
    return read_from_file([&](int32_t h) {
        services::FileRecordCounts counts;
        services::file_record_counts(h, counts);
        if (xf_count) *xf_count = counts.xfs;
        if (format_count) *format_count = counts.formats;
        if (font_count) *font_count = counts.fonts;
    });
}

TABRIX_API int32_t XlsGetAttrNo(const char *position) {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) {
                record_result(-errNotOpen);
                return -1;
            }
            int32_t xf = -1;
            const int32_t rc = cell_attribute_number(*book, position, xf);
            record_result(rc);
            return rc == 0 ? xf : -1;
        },
        -1);
}

}  // extern "C"
