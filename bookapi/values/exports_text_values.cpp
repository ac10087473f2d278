// C entry point: what kind of value a text holds.
#include "bookapi/books/book_call.h"
#include "bookapi/values/text_numbers.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

extern "C" {

TABRIX_API int32_t XlsStrToValue(const char *text, double *value, int32_t *integer) {
    const std::string_view given = narrow_view(text);
    const int32_t kind = text_kind(given);
    // A formula, or a text marked by a leading apostrophe: nothing to convert.
    if (kind == kFormulaKind || (!given.empty() && given[0] == '\'')) return kind;
    if (value) *value = leading_number(given);
    if (integer) *integer = leading_integer(given);
    return kind;
}

}  // extern "C"
