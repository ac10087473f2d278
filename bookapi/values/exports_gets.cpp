// C entry points: a cell's value read back as text, integer, number or VARIANT.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "bookapi/values/held_integers.h"
#include "bookapi/values/text_numbers.h"
#include "platform/interface_text.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

// The engine reader's kinds the get calls accept.
constexpr int32_t kReadInteger = 1;
constexpr int32_t kReadNumber = 2;
constexpr int32_t kReadText = 4;
// A cell text takes at most 32767 characters, two bytes each in code page 932.
constexpr int32_t kTextRoom = 65536;

struct CellRead {
    int32_t kind = 0;
    int32_t integer = 0;
    double number = 0;
    std::u16string text;
};

// Reads the first cell of the position (keywords are not looked up). 0, or the failure to
// record: a bad position or sheet as the engine reports it, errValue for a cell that holds no
// integer, number or text.
int32_t read_position(BookRecord &book, const char *position, CellRead &read) {
    PositionItem cell;
    if (int32_t rc = first_position_item(book, position_or_current(book, position), false, cell);
        rc != 0) {
        return rc;
    }
    std::u16string buffer(kTextRoom / 2, u'\0');
    read.kind =
        XM_GetCellDataW(book.engine_handle, book.current_sheet, cell.x1, cell.y1, &read.integer,
                        &read.number, buffer.data(), static_cast<int32_t>(buffer.size()), nullptr);
    switch (read.kind) {
        case kReadInteger:
        case kReadNumber:
            return 0;
        case kReadText:
            read.text = buffer.c_str();
            return 0;
        case -errHandle:
        case -errNotOpen:
        case -errSheetNo:
        case -errParam:  // a sheet outside a file read from disk
            return read.kind;
        default:
            return -errValue;
    }
}

// Shortest general notation with at most 15 significant digits, whatever the locale.
std::string number_text(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, end.ptr);
}

std::u16string text_of(const CellRead &read) {
    switch (read.kind) {
        case kReadInteger:
            return tabrix::platform::narrow_to_utf16(std::to_string(read.integer));
        case kReadNumber:
            return tabrix::platform::narrow_to_utf16(number_text(read.number));
        default:
            return read.text;
    }
}

// Runs a get call: the last error is cleared first, then the cell is read and `deliver`
// hands it to the caller.
template <class Deliver>
int32_t get_cell(const char *position, Deliver &&deliver) {
    set_last_error(0);
    return on_current_book([&](BookRecord &book) {
        CellRead read;
        if (int32_t rc = read_position(book, position, read); rc != 0) return rc;
        deliver(read);
        return 0;
    });
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsGetStr(char *buffer, int32_t size, const char *position) {
    if (buffer && size > 0) buffer[0] = '\0';
    return get_cell(position, [&](const CellRead &read) {
        put_narrow(tabrix::platform::utf16_to_narrow(text_of(read)), buffer, size);
    });
}

TABRIX_API int32_t XlsGetValue(char *buffer, int32_t size, const char *position) {
    return XlsGetStr(buffer, size, position);
}

TABRIX_API int32_t XlsGetStrW(char16_t *buffer, int32_t size, const char16_t *position) {
    if (buffer && size > 0) buffer[0] = u'\0';
    return guarded_call(
        [&] {
            const NarrowText narrow(position);
            return get_cell(narrow.get(),
                            [&](const CellRead &read) { put_wide(text_of(read), buffer, size); });
        },
        0);
}

TABRIX_API int32_t XlsGetLong(int32_t *value, const char *position) {
    return get_cell(position, [&](const CellRead &read) {
        if (!value) return;
        if (read.kind == kReadInteger) *value = read.integer;
        if (read.kind == kReadNumber) *value = held_int32(read.number);
        if (read.kind == kReadText)
            *value = leading_integer(tabrix::platform::utf16_to_narrow(read.text));
    });
}

TABRIX_API int32_t XlsGetDouble(double *value, const char *position) {
    return get_cell(position, [&](const CellRead &read) {
        if (!value) return;
        if (read.kind == kReadInteger) *value = read.integer;
        if (read.kind == kReadNumber) *value = read.number;
        if (read.kind == kReadText)
            *value = leading_number(tabrix::platform::utf16_to_narrow(read.text));
    });
}

TABRIX_API int32_t XlsGetValueV(VARIANT *value, const char *position) {
    if (value) {
        std::memset(value, 0, sizeof *value);
        value->vt = VT_NULL;
    }
    return get_cell(position, [&](const CellRead &read) {
        if (!value) return;
        if (read.kind == kReadInteger) {
            value->vt = VT_I4;
            value->lVal = read.integer;
        } else if (read.kind == kReadNumber) {
            value->vt = VT_R8;
            value->dblVal = read.number;
        } else {
            value->bstrVal = handed_out_text(read.text);
            value->vt = VT_BSTR;
        }
    });
}

TABRIX_API int32_t XlsGetValueVW(VARIANT *value, const char16_t *position) {
    return guarded_call(
        [&] {
            const NarrowText narrow(position);
            return XlsGetValueV(value, narrow.get());
        },
        0);
}

TABRIX_API int32_t XlsClearValueV(VARIANT *value) {
    if (!value) return 1;
    if (value->vt == VT_BSTR) std::free(value->bstrVal);
    std::memset(value, 0, sizeof *value);
    return 1;
}

}  // extern "C"
