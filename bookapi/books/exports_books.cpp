// C entry points: opening, choosing and closing books, the sheet choice, the version and the
// last error.

#include "bookapi/books/book_call.h"
#include "engine/exports/book_services/book_services.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace services = tabrix::engine::services;

namespace {

// Opens through `open` (which returns the engine's handle or code) and registers the book.
template <class Open>
int32_t open_book(BookMode mode, bool excel95, int32_t *book, Open &&open) {
    return guarded_call(
        [&]() -> int32_t {
            // The registry is full: refused before the engine makes or opens anything.
            if (!registry_has_room()) return record_result(-errParam);
            std::unique_ptr<BookRecord> record = new_book_record(mode, excel95);
            const int32_t handle = open();
            if (handle < 0) return record_result(handle);
            const uint32_t id = register_book(std::move(record), handle);
            if (book) *book = static_cast<int32_t>(id);
            return record_result(0);
        },
        0);
}

int32_t close_engine_book(const BookRecord &book, int32_t save) {
    switch (book.mode) {
        case BookMode::read:
            return XM_ReadClose(book.engine_handle);
        case BookMode::create:
            return save ? XM_Close(book.engine_handle) : XM_Cancel(book.engine_handle);
        case BookMode::open:
            return XM_OpenClose(book.engine_handle, save);
    }
    return -errNotOpen;
}

bool empty(const char16_t *text) {
    return !text || !*text;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsCreateBook(const char *file_name, int32_t version, int32_t sheet_count,
                                 int32_t *book) {
    return open_book(BookMode::create, version == ver95, book,
                     [&] { return XM_CreateVer(file_name, sheet_count, version); });
}

TABRIX_API int32_t XlsCreateBookW(const char16_t *file_name, int32_t version, int32_t sheet_count,
                                  int32_t *book) {
    return open_book(BookMode::create, version == ver95, book,
                     [&] { return XM_CreateVerW(file_name, sheet_count, version); });
}

TABRIX_API int32_t XlsReadBook(const char *file_name, int32_t *book) {
    return open_book(BookMode::read, false, book, [&] { return XM_ReadOpen(file_name); });
}

TABRIX_API int32_t XlsReadBookW(const char16_t *file_name, int32_t *book) {
    return open_book(BookMode::read, false, book, [&] { return XM_ReadOpenW(file_name); });
}

TABRIX_API int32_t XlsOpenBook(const char *file_name, const char *template_name, int32_t *book) {
    return open_book(BookMode::open, false, book, [&] {
        return template_name && *template_name ? XM_CreateT(file_name, template_name)
                                               : XM_Open(file_name, nullptr);
    });
}

TABRIX_API int32_t XlsOpenBookW(const char16_t *file_name, const char16_t *template_name,
                                int32_t *book) {
    return open_book(BookMode::open, false, book, [&] {
        return !empty(template_name) ? XM_CreateTW(file_name, template_name)
                                     : XM_OpenW(file_name, nullptr);
    });
}

TABRIX_API int32_t XlsCloseBook(int32_t save) {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);
            const int32_t closed = close_engine_book(*book, save);
            release_current_book();
            return record_result(closed);
        },
        0);
}

TABRIX_API int32_t XlsSelectBook(int32_t book) {
    return guarded_call(
        [&]() -> int32_t {
            return record_result(select_book(static_cast<uint32_t>(book)) ? 0 : -errNotOpen);
        },
        0);
}

TABRIX_API int32_t XlsAllClose(void) {
    for (size_t n = open_book_count(); n > 0; --n) {
        if (!XlsSelectBook(static_cast<int32_t>(first_open_book()))) break;
        XlsCloseBook(1);
    }
    return 1;
}

TABRIX_API int32_t XlsSheetNo(int32_t sheet) {
    return on_current_book([&](BookRecord &book) {
        // Kept even when refused, so that later calls on this book fail alike.
        book.current_sheet = sheet;
        return services::select_current_sheet(book.engine_handle, sheet);
    });
}

TABRIX_API const char *tabrix_version(void) {
    return TABRIX_VERSION_STRING;
}

TABRIX_API int32_t XlsGetVersion(void) {
    int32_t biff8 = 0;
    const int32_t found = on_current_book([&](BookRecord &book) {
        biff8 = services::workbook_biff8(book.engine_handle) == 1 ? 1 : 0;
        return 0;
    });
    return found ? biff8 : 0;
}

TABRIX_API int32_t XlsGetErrorNo(int32_t *number) {
    if (number) *number = last_error();
    return 1;
}

TABRIX_API int32_t XlsSetErrorNo(int32_t number) {
    set_last_error(number);
    return 1;
}

TABRIX_API int32_t XlsGetErrorMessage(char *buffer, int32_t size) {
    if (!buffer || size <= 0) return 1;
    buffer[0] = '\0';
    if (last_error() == 0) return 1;
    guarded_call(
        [&] {
            put_narrow(error_message(last_error()), buffer, size);
            return 0;
        },
        0);
    return 1;
}

TABRIX_API int32_t XlsGetErrorMessageEn(char *buffer, int32_t size) {
    if (!buffer || size <= 0) return 1;
    buffer[0] = '\0';
    if (last_error() == 0) return 1;
    guarded_call(
        [&] {
            put_narrow(error_message_en(last_error()), buffer, size);
            return 0;
        },
        0);
    return 1;
}

}  // extern "C"
