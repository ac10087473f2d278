// C entry points: formula writes at a cell, at keyword cells and at the older layer's write
// cursor, and the sheets that formulas may name.
#include <algorithm>
#include <optional>
#include <string>

#include "engine/edit/formula_writes.h"
#include "engine/edit/value_writes.h"
#include "engine/exports/boundary.h"
#include "engine/formula/external_references.h"
#include "engine/model/workbook.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

// The wide result block in the engine's form; its text is taken only when its length is in
// range, so that the record builder refuses the rest.
std::optional<CachedResult> cached_of_wide(const FormulaResultW *result) {
    if (!result) return std::nullopt;
    CachedResult cached{result->kind, result->value, result->length, {}};
    if (result->length >= 0 && static_cast<size_t>(result->length) <= std::size(result->text)) {
        cached.text.assign(result->text, static_cast<size_t>(result->length));
    }
    return cached;
}

const CachedResult *or_null(const std::optional<CachedResult> &cached) {
    return cached ? &*cached : nullptr;
}

}  // namespace

namespace tabrix::engine {

std::optional<CachedResult> cached_of(const FormulaResult *result) {
    if (!result) return std::nullopt;
    CachedResult cached{result->kind, result->value, result->length, {}};
    if (result->length >= 0 && static_cast<size_t>(result->length) <= sizeof result->text) {
        cached.text = tabrix::platform::narrow_to_utf16(
            std::string_view(result->text, static_cast<size_t>(result->length)));
    }
    return cached;
}

}  // namespace tabrix::engine

extern "C" {

TABRIX_API int32_t XM_WriteFunc3W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                  int32_t xf, const FormulaResultW *result) {
    return guarded([&] {
        return write_formula(book_ref(h), s, x, y, wide_view(text), xf,
                             or_null(cached_of_wide(result)));
    });
}

TABRIX_API int32_t XM_WriteFunc2W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                  int32_t xf) {
    return XM_WriteFunc3W(h, s, x, y, text, xf, nullptr);
}

TABRIX_API int32_t XM_WriteFuncW(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text) {
    return XM_WriteFunc2W(h, s, x, y, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteFunc3(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf, const FormulaResult *result) {
    return guarded([&] {
        return write_formula(book_ref(h), s, x, y, wide_of(text), xf, or_null(cached_of(result)));
    });
}

TABRIX_API int32_t XM_WriteFunc2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf) {
    return XM_WriteFunc3(h, s, x, y, text, xf, nullptr);
}

TABRIX_API int32_t XM_WriteFunc(int32_t h, int32_t s, int32_t x, int32_t y, const char *text) {
    return XM_WriteFunc2(h, s, x, y, text, kDefaultXf);
}

TABRIX_API int32_t XM_WriteFunchW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text) {
    return guarded([&] {
        return write_formula_at_keyword(book_ref(h), s, wide_view(keyword), dx, dy, wide_view(text),
                                        kDefaultXf, nullptr);
    });
}

TABRIX_API int32_t XM_WriteFunch(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 const char *text) {
    return guarded([&] {
        return write_formula_at_keyword(book_ref(h), s, wide_of(keyword), dx, dy, wide_of(text),
                                        kDefaultXf, nullptr);
    });
}

TABRIX_API int32_t XM_SetRefSheet(int32_t h, int32_t s, const char *names) {
    return guarded([&] {
        const BookRef book = book_ref(h);
        if (int32_t rc = select_sheet(book, s); rc != 0) return rc;
        return set_ref_sheets(*book.book, *book.book->sheets[s], wide_of(names));
    });
}

// The older layer: workbook 0 and its current sheet.

TABRIX_API int32_t XL_WriteFunc3(int32_t x, int32_t y, const char *text, int32_t xf,
                                 const FormulaResult *result) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_WriteFunc3(0, s, x, y, text, xf, result); });
    });
}

TABRIX_API int32_t XL_WriteFunc2(int32_t x, int32_t y, const char *text, int32_t xf) {
    return XL_WriteFunc3(x, y, text, xf, nullptr);
}

TABRIX_API int32_t XL_WriteFunc(int32_t x, int32_t y, const char *text) {
    return XL_WriteFunc2(x, y, text, kDefaultXf);
}

TABRIX_API int32_t XL_WrtFunc2(const char *text, int32_t xf) {
    return guarded([&] {
        int32_t s = 0, x = 0, y = 0;
        if (int32_t rc = cursor_target(xl_current(), &s, &x, &y); rc != 0) return rc;
        return XM_WriteFunc2(0, s, x, y, text, xf);
    });
}

TABRIX_API int32_t XL_WrtFunc(const char *text) {
    return XL_WrtFunc2(text, kDefaultXf);
}

TABRIX_API int32_t XL_WriteFunc3h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                  int32_t xf, const FormulaResult *result) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) {
            return write_formula_at_keyword(book_ref(0), s, wide_of(keyword), dx, dy, wide_of(text),
                                            xf, or_null(cached_of(result)));
        });
    });
}

TABRIX_API int32_t XL_WriteFunc2h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                  int32_t xf) {
    return XL_WriteFunc3h(keyword, dx, dy, text, xf, nullptr);
}

TABRIX_API int32_t XL_WriteFunch(const char *keyword, int32_t dx, int32_t dy, const char *text) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) {
            return write_formula_at_keyword(book_ref(0), s, wide_of(keyword), dx, dy, wide_of(text),
                                            std::nullopt, nullptr);
        });
    });
}

TABRIX_API int32_t XL_SetRefSheet(const char *names) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SetRefSheet(0, s, names); }); });
}

}  // extern "C"
