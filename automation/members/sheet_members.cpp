// Members of the sheet list, the sheet's display and print settings, and the used area.
#include <vector>

#include "automation/members/member_helpers.h"
#include "bookapi/books/book_registry.h"

namespace tabrix::automation {

namespace {

// Sheet names are read into 130 bytes.
constexpr int32_t kSheetNameUnits = 65;
// XlsGetSheetName2W fills 64 units.
constexpr int32_t kSheetName2Units = 64;

bool is_sheet(int32_t sheet) {
    return sheet >= 0 && sheet < XlsGetSheetCount();
}

Epilogue get_sheet_name(Call &call) {
    const bookapi::BookRecord *book = bookapi::current_book();
    char16_t name[kSheetNameUnits] = {};
    XlsGetSheetNameW(book ? book->current_sheet : 0, name, kSheetNameUnits);
    put_text(call.result(), name);
    return Epilogue::run;
}

Epilogue put_sheet_name(Call &call) {
    return with_narrow(call.value().text, [](const char *name) { XlsPutSheetName(name); });
}

Epilogue put_sheet_no(Call &call) {
    const int32_t sheet = call.value().number;
    if (!is_sheet(sheet)) return refuse_argument();
    XlsSheetNo(sheet);
    return Epilogue::run;
}

Epilogue get_sheet_count(Call &call) {
    const int32_t count = XlsGetSheetCount();
    if (count < 0) XlsSetErrorNo(errNotOpen);
    put_long(call.result(), count);
    return Epilogue::run;
}

Epilogue get_sheet_name2(Call &call) {
    const int32_t sheet = call.number(0);
    if (!is_sheet(sheet)) return refuse_argument();
    char16_t name[kSheetName2Units] = {};
    XlsGetSheetName2W(sheet, name);
    put_text(call.result(), name);
    return Epilogue::run;
}

// The first sheet with exactly this name.
Epilogue get_sheet_no2(Call &call) {
    const int32_t count = XlsGetSheetCount();
    for (int32_t sheet = 0; sheet < count; ++sheet) {
        char16_t name[kSheetName2Units] = {};
        XlsGetSheetName2W(sheet, name);
        if (call.text(0) == name) {
            put_long(call.result(), sheet);
            return Epilogue::run;
        }
    }
    put_long(call.result(), -1);
    return refuse_argument();
}

Epilogue add_sheet(Call &call) {
    XlsAddSheet(call.number(0));
    return Epilogue::run;
}

Epilogue del_sheet(Call &call) {
    XlsDelSheet(call.number(0), call.number(1));
    return Epilogue::run;
}

Epilogue copy_sheet(Call &call) {
    XlsCopySheetW(call.number(0), call.number(1), text_or_null(call.text(2)));
    return Epilogue::run;
}

Epilogue get_active_sheet(Call &call) {
    put_long(call.result(), XlsGetActiveSheet());
    return Epilogue::run;
}

template <int32_t (*Set)(int32_t)>
Epilogue put_sheet_setting(Call &call) {
    Set(call.value().number);
    return Epilogue::run;
}

Epilogue page_mode(Call &call) {
    XlsPageMode(call.number(0), call.number(1), call.number(2), call.number(3), call.number(4));
    return Epilogue::run;
}

Epilogue set_margin(Call &call) {
    XlsSetMargin(call.number(0), call.number(1), call.number(2), call.number(3));
    return Epilogue::run;
}

// The Book API's page texts record nothing without a book; the member reports it.
template <int32_t (*Set)(const char16_t *, const char16_t *, const char16_t *)>
Epilogue page_text(Call &call) {
    if (!bookapi::current_book()) {
        XlsSetErrorNo(errNotOpen);
        return Epilogue::run;
    }
    Set(text_or_null(call.text(0)), text_or_null(call.text(1)), text_or_null(call.text(2)));
    return Epilogue::run;
}

Epilogue put_ref_sheet(Call &call) {
    XlsPutRefSheetW(call.value().text.c_str());
    return Epilogue::run;
}

Epilogue put_keyword(Call &call) {
    return with_narrow(call.value().text, [](const char *prefix) { XlsSetKeyWord(prefix); });
}

// The last column and row of a read book's current sheet, from the used area its file
// records (cells of a read book stay in the file); an empty area has no data, as an empty
// sheet in memory has none.
void file_last_position(int32_t &x, int32_t &y) {
    int32_t columns = 0;
    int32_t rows = 0;
    XlsGetMaxData(&columns, &rows);
    int32_t number = 0;
    XlsGetErrorNo(&number);
    if (number == 0 && (columns == 0 || rows == 0)) XlsSetErrorNo(errNoData);
    x = columns - 1;
    y = rows - 1;
}

// The end of the used area into the two out arguments; values only for MaxData.
template <int32_t ValuesOnly>
Epilogue last_position(Call &call) {
    int32_t x = 0;
    int32_t y = 0;
    const bookapi::BookRecord *book = bookapi::current_book();
    if (book && book->mode == bookapi::BookMode::read)
        file_last_position(x, y);
    else
        XlsGetLastPos(&x, &y, ValuesOnly, 0);
    *call.argument(0).out = x;
    *call.argument(1).out = y;
    return Epilogue::run;
}

constexpr MemberCode kCode[] = {
    {0x4E5, get_sheet_name, put_sheet_name, nullptr},
    {0x4E7, nullptr, put_sheet_no, nullptr},
    {0x4ED, get_sheet_count, nullptr, nullptr},
    {0x4EE, get_sheet_name2, nullptr, nullptr},
    {0x4EF, get_sheet_no2, nullptr, nullptr},
    {0xCC, nullptr, nullptr, add_sheet},
    {0xCD, nullptr, nullptr, del_sheet},
    {0xD4, nullptr, nullptr, copy_sheet},
    {0x4F0, get_active_sheet, put_sheet_setting<XlsSetActiveSheet>, nullptr},
    {0x4E6, nullptr, put_sheet_setting<XlsModeGrid>, nullptr},
    {0x4F2, nullptr, put_sheet_setting<XlsSetZoom>, nullptr},
    {0xCB, nullptr, nullptr, page_mode},
    {0xD0, nullptr, nullptr, set_margin},
    {0xD2, nullptr, nullptr, page_text<XlsSetHeaderW>},
    {0xD3, nullptr, nullptr, page_text<XlsSetFooterW>},
    {0x4EC, nullptr, put_number<XlsPutBreak>, nullptr},
    {0x4E4, nullptr, put_ref_sheet, nullptr},
    {0x4F1, nullptr, put_keyword, nullptr},
    {0xD5, nullptr, nullptr, last_position<1>},
    {0xD6, nullptr, nullptr, last_position<0>},
};

}  // namespace

std::span<const MemberCode> sheet_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
