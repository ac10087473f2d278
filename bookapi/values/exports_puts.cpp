// C entry points: values and formulas written at positions.
#include "bookapi/books/book_call.h"
#include "bookapi/values/position_writes.h"
#include "bookapi/values/variant_values.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

// 15 is the engine's default attribute: the forms without an attribute number use it.
constexpr int32_t kDefaultAttribute = 15;

int32_t put_text(BookRecord &book, const char *text, const char *position, int32_t attr) {
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position, [&](int32_t x, int32_t y) { return XM_WriteStr2(h, s, x, y, text, attr); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteStr2h(h, s, kw, dx, dy, text, attr);
        });
}

int32_t put_wide_text(BookRecord &book, const char16_t *text, const char *position, int32_t attr) {
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position, [&](int32_t x, int32_t y) { return XM_WriteStr2W(h, s, x, y, text, attr); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteStr2hW(h, s, wide_of(kw).c_str(), dx, dy, text, attr);
        });
}

int32_t put_integer(BookRecord &book, int32_t value, const char *position, int32_t attr) {
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position, [&](int32_t x, int32_t y) { return XM_WriteInt2(h, s, x, y, value, attr); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteInt2h(h, s, kw, dx, dy, value, attr);
        });
}

int32_t put_number(BookRecord &book, double value, const char *position, int32_t attr) {
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position,
        [&](int32_t x, int32_t y) { return XM_WriteDouble2(h, s, x, y, value, attr); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteDouble2h(h, s, kw, dx, dy, value, attr);
        });
}

int32_t put_boolean(BookRecord &book, int32_t value, const char *position, int32_t attr) {
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position,
        [&](int32_t x, int32_t y) { return XM_WriteBool2(h, s, x, y, value, attr); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteBool2h(h, s, kw, dx, dy, value, attr);
        });
}

// A formula at every part, with the default attribute and no cached result, so that it is
// calculated when the file is opened.
int32_t put_formula(BookRecord &book, const char16_t *formula, const char *position) {
    if (!formula || !*formula) return -errParam;
    const int32_t h = book.engine_handle, s = book.current_sheet;
    return write_at_position(
        book, position, [&](int32_t x, int32_t y) { return XM_WriteFuncW(h, s, x, y, formula); },
        [&](const char *kw, int32_t dx, int32_t dy) {
            return XM_WriteFunchW(h, s, wide_of(kw).c_str(), dx, dy, formula);
        });
}

int32_t put_variant(BookRecord &book, const VARIANT &value, const char *position, int32_t attr) {
    const VariantValue written = variant_value(value);
    switch (written.kind) {
        case VariantValue::Kind::integer:
            return put_integer(book, written.integer, position, attr);
        case VariantValue::Kind::number:
            return put_number(book, written.number, position, attr);
        case VariantValue::Kind::formula:
            return put_formula(book, written.text.c_str(), position);
        case VariantValue::Kind::text:
            break;
    }
    return put_wide_text(book, written.text.c_str(), position, attr);
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsPutStr(const char *text, const char *position) {
    return on_current_book(
        [&](BookRecord &book) { return put_text(book, text, position, kDefaultAttribute); });
}

TABRIX_API int32_t XlsPutValue(const char *text, const char *position) {
    return XlsPutStr(text, position);
}

TABRIX_API int32_t XlsPutStr2(const char *text, const char *position, int32_t attr) {
    return on_current_book([&](BookRecord &book) { return put_text(book, text, position, attr); });
}

TABRIX_API int32_t XlsPutStrW(const char16_t *text, const char16_t *position) {
    return XlsPutStr2W(text, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutStr2W(const char16_t *text, const char16_t *position, int32_t attr) {
    return on_current_book([&](BookRecord &book) {
        return put_wide_text(book, text, NarrowText(position).get(), attr);
    });
}

TABRIX_API int32_t XlsPutLong(int32_t value, const char *position) {
    return XlsPutLong2(value, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutLong2(int32_t value, const char *position, int32_t attr) {
    return on_current_book(
        [&](BookRecord &book) { return put_integer(book, value, position, attr); });
}

TABRIX_API int32_t XlsPutDouble(double value, const char *position) {
    return XlsPutDouble2(value, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutDouble2(double value, const char *position, int32_t attr) {
    return on_current_book(
        [&](BookRecord &book) { return put_number(book, value, position, attr); });
}

TABRIX_API int32_t XlsPutBool(int32_t value, const char *position) {
    return XlsPutBool2(value, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutBool2(int32_t value, const char *position, int32_t attr) {
    return on_current_book(
        [&](BookRecord &book) { return put_boolean(book, value, position, attr); });
}

TABRIX_API int32_t XlsPutValueV(VARIANT value, const char *position) {
    return XlsPutValue2(value, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutValue2(VARIANT value, const char *position, int32_t attr) {
    return on_current_book(
        [&](BookRecord &book) { return put_variant(book, value, position, attr); });
}

TABRIX_API int32_t XlsPutValueVW(VARIANT value, const char16_t *position) {
    return XlsPutValue2W(value, position, kDefaultAttribute);
}

TABRIX_API int32_t XlsPutValue2W(VARIANT value, const char16_t *position, int32_t attr) {
    return on_current_book([&](BookRecord &book) {
        return put_variant(book, value, NarrowText(position).get(), attr);
    });
}

// The value given with a formula is not stored: the formula is calculated on opening.
TABRIX_API int32_t XlsPutFunc(const char *formula, const char *, const char *position) {
    return on_current_book(
        [&](BookRecord &book) { return put_formula(book, wide_of(formula).c_str(), position); });
}

TABRIX_API int32_t XlsPutFuncV(const char *formula, VARIANT, const char *position) {
    return XlsPutFunc(formula, nullptr, position);
}

TABRIX_API int32_t XlsPutFuncW(const char16_t *formula, const char16_t *,
                               const char16_t *position) {
    return on_current_book(
        [&](BookRecord &book) { return put_formula(book, formula, NarrowText(position).get()); });
}

TABRIX_API int32_t XlsPutFuncVW(const char16_t *formula, VARIANT, const char16_t *position) {
    return XlsPutFuncW(formula, nullptr, position);
}

}  // extern "C"
