// C entry points: the sheets of the current book.
#include "bookapi/books/book_call.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

extern "C" {

TABRIX_API int32_t XlsGetSheetCount(void) {
    return value_of_current_book(
        [](BookRecord &book) { return XM_GetSheetCount(book.engine_handle); }, -1);
}

}  // extern "C"
