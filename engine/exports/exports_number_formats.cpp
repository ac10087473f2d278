// C entry points: what a workbook's numbers show as, its attributes' number formats and its
// date system, for readers that turn serial numbers into dates.
#include "engine/exports/boundary.h"
#include "engine/read/number_format_lookup.h"
#include "engine/read/read_mode/cell_values.h"
#include "tabrix.h"

using namespace tabrix::engine;

extern "C" {

TABRIX_API int32_t XM_GetXfFormatW(int32_t h, int32_t xf, char16_t *buffer, int32_t size) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        if (!buffer || size < 1) return err::kParam;
        const std::optional<std::u16string> format = xf_number_format(*ref.book, xf);
        if (!format) return err::kParam;
        TextBuffer{nullptr, buffer, size}.put(*format);
        return 0;
    });
}

TABRIX_API int32_t XM_GetDateMode(int32_t h) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        return uses_1904_dates(*ref.book) ? 1 : 0;
    });
}

}  // extern "C"
