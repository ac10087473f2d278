// C entry points: the sheets of the current book: their names, count, order and the active
// sheet, and the sheets formulas may refer to.
#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>

#include "bookapi/books/book_call.h"
#include "platform/interface_text.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

// The engine's sheet-name buffer: 31 characters and the NUL.
constexpr int32_t kEngineNameUnits = 32;
// The buffers the 2 forms take, in bytes (narrow) or units (UTF-16).
constexpr int32_t kName2Room = 64;

// The sheet's name: 0, or the engine's failure (-4 for a sheet outside the book). A name
// read from a file may run past 31 characters: it comes cut, with the length error.
int32_t sheet_name(const BookRecord &book, int32_t sheet, std::u16string &name) {
    char16_t buffer[kEngineNameUnits] = {};
    const int32_t rc = XM_GetSheetNameW(book.engine_handle, sheet, buffer);
    if (rc == 0 || rc == -errLength) name = buffer;
    return rc;
}

// Writes a sheet's name into a caller's buffer of `size` units through `put(text, size)`. A
// name cut to fit is left cut and reported as a length error.
template <class Text, class Put>
int32_t put_sheet_name(const BookRecord &book, int32_t sheet, int32_t size, Put &&put) {
    std::u16string name;
    const int32_t rc = sheet_name(book, sheet, name);
    if (rc != 0 && rc != -errLength) return rc;
    Text text;
    if constexpr (std::is_same_v<Text, std::string>) {
        text = tabrix::platform::utf16_to_narrow(name);
    } else {
        text = std::move(name);
    }
    put(text, size);
    return rc == 0 && text.size() < static_cast<size_t>(size) ? 0 : -errLength;
}

// The 2 forms refuse a sheet outside the book as a parameter error.
bool in_book(const BookRecord &book, int32_t sheet) {
    return sheet >= 0 && sheet < XM_GetSheetCount(book.engine_handle);
}

char16_t ascii_upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

bool same_name(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(a, b, {}, ascii_upper, ascii_upper);
}

// The first sheet of the current book named so, ASCII letters compared in either case; -1
// when none is (error 3 without a current book).
int32_t sheet_number_of(std::u16string_view wanted) {
    BookRecord *book = current_book();
    if (!book) {
        record_result(-errNotOpen);
        return -1;
    }
    record_result(0);
    const int32_t count = XM_GetSheetCount(book->engine_handle);
    for (int32_t sheet = 0; sheet < count; ++sheet) {
        std::u16string name;
        if (sheet_name(*book, sheet, name) == 0 && same_name(name, wanted)) return sheet;
    }
    return -1;
}

int32_t copy_result(int32_t rc) {
    // The engine's -1 is a name another sheet already has.
    return rc == -1 ? -errCopy : rc;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsGetSheetCount(void) {
    return value_of_current_book(
        [](BookRecord &book) { return XM_GetSheetCount(book.engine_handle); }, -1);
}

TABRIX_API int32_t XlsPutSheetName(const char *name) {
    return on_writable_book([&](BookRecord &book) {
        return XM_SheetName(book.engine_handle, book.current_sheet, name);
    });
}

TABRIX_API int32_t XlsGetSheetName(int32_t sheet, char *buffer, int32_t size) {
    return on_current_book([&](BookRecord &book) {
        if (!buffer || size < 1) return -errParam;
        return put_sheet_name<std::string>(
            book, sheet, size,
            [&](const std::string &text, int32_t room) { put_narrow(text, buffer, room); });
    });
}

TABRIX_API int32_t XlsGetSheetNameW(int32_t sheet, char16_t *buffer, int32_t size) {
    return on_current_book([&](BookRecord &book) {
        if (!buffer || size < 1) return -errParam;
        return put_sheet_name<std::u16string>(
            book, sheet, size,
            [&](const std::u16string &text, int32_t room) { put_wide(text, buffer, room); });
    });
}

TABRIX_API int32_t XlsGetSheetName2(int32_t sheet, char *buffer) {
    return on_current_book([&](BookRecord &book) {
        if (!buffer || !in_book(book, sheet)) return -errParam;
        return put_sheet_name<std::string>(
            book, sheet, kName2Room,
            [&](const std::string &text, int32_t room) { put_narrow(text, buffer, room); });
    });
}

TABRIX_API int32_t XlsGetSheetName2W(int32_t sheet, char16_t *buffer) {
    return on_current_book([&](BookRecord &book) {
        if (!buffer || !in_book(book, sheet)) return -errParam;
        return put_sheet_name<std::u16string>(
            book, sheet, kName2Room,
            [&](const std::u16string &text, int32_t room) { put_wide(text, buffer, room); });
    });
}

TABRIX_API int32_t XlsGetSheetNo2(const char *name) {
    return guarded_call([&] { return sheet_number_of(wide_of(name)); }, -1);
}

TABRIX_API int32_t XlsGetSheetNo2W(const char16_t *name) {
    return guarded_call([&] { return sheet_number_of(wide_view(name)); }, -1);
}

TABRIX_API int32_t XlsAddSheet(int32_t count) {
    return on_writable_book(
        [&](BookRecord &book) { return XM_SetAddSheet(book.engine_handle, count); });
}

TABRIX_API int32_t XlsDelSheet(int32_t first, int32_t count) {
    return on_writable_book(
        [&](BookRecord &book) { return XM_SetDelSheet(book.engine_handle, first, count); });
}

TABRIX_API int32_t XlsCopySheet(int32_t source, int32_t position, const char *name) {
    return on_writable_book([&](BookRecord &book) {
        return copy_result(XM_CopySheet(book.engine_handle, source, position, name));
    });
}

TABRIX_API int32_t XlsCopySheetW(int32_t source, int32_t position, const char16_t *name) {
    return on_writable_book([&](BookRecord &book) {
        return copy_result(XM_CopySheetW(book.engine_handle, source, position, name));
    });
}

TABRIX_API int32_t XlsGetActiveSheet(void) {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);  // 0
            const int32_t active = XM_GetActiveSheet(book->engine_handle);
            record_result(std::min(active, 0));
            return std::max(active, 0);
        },
        0);
}

TABRIX_API int32_t XlsSetActiveSheet(int32_t sheet) {
    return on_writable_book(
        [&](BookRecord &book) { return XM_SetActiveSheet(book.engine_handle, sheet); });
}

TABRIX_API int32_t XlsPutRefSheet(const char *names) {
    return on_writable_book([&](BookRecord &book) {
        return XM_SetRefSheet(book.engine_handle, book.current_sheet, names);
    });
}

TABRIX_API int32_t XlsPutRefSheetW(const char16_t *names) {
    return guarded_call(
        [&] {
            // Through UTF-8, which holds every character, whatever the setting.
            const tabrix::platform::NarrowCodePageScope utf8(tabrix::platform::kUtf8CodePage);
            const std::string narrow = narrow_of(names);
            return XlsPutRefSheet(narrow.c_str());
        },
        0);
}

}  // extern "C"
