#include "engine/layout/sheet_names.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tabrix::engine {
namespace {

// The first `units` UTF-16 units of a name, one less where they would end inside a pair.
std::u16string_view name_prefix(std::u16string_view name, size_t units) {
    if (name.size() <= units) return name;
    const bool splits_pair = units > 0 && name[units - 1] >= 0xD800 && name[units - 1] <= 0xDBFF;
    return name.substr(0, splits_pair ? units - 1 : units);
}

std::u16string ascii_number(uint32_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void add_sheet(Workbook &book) {
    auto sheet = std::make_unique<Sheet>();
    uint32_t number = ++book.sheet_name_counter;
    std::u16string name = u"Sheet" + ascii_number(number);
    while (book.sheets.contains(name)) name = u"Sheet" + ascii_number(++number);
    sheet->name = std::move(name);
    book.sheets.add(std::move(sheet));
}

bool sheet_name_acceptable(const Workbook &book, std::u16string_view name) {
    if (name.size() > kMaxSheetNameChars) return false;
    const bool refused = std::any_of(name.begin(), name.end(), [](char16_t c) {
        return c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' ||
               c == u']';
    });
    return !refused && (book.biff8() || encode_narrow(name, book.code_page).has_value());
}

std::u16string copy_name(const SheetList &sheets, std::u16string_view source, uint32_t *next) {
    for (uint32_t number = next ? std::max<uint32_t>(*next, 2) : 2;; ++number) {
        const std::u16string suffix = u" (" + ascii_number(number) + u")";
        std::u16string name(name_prefix(source, kMaxSheetNameChars - suffix.size()));
        name += suffix;
        if (!sheets.contains(name)) {
            if (next) *next = number + 1;
            return name;
        }
    }
}

}  // namespace tabrix::engine
