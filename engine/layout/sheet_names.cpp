#include "engine/layout/sheet_names.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/codepage.h"

namespace tabrix::engine {
namespace {

// Bytes of the first `chars` characters of a code page 932 text.
size_t prefix_bytes(std::string_view name, size_t chars) {
    size_t at = 0;
    for (size_t n = 0; n < chars && at < name.size(); ++n) {
        const bool pair = platform::is_cp932_lead_byte(static_cast<unsigned char>(name[at])) &&
                          at + 1 < name.size();
        at += pair ? 2 : 1;
    }
    return at;
}

}  // namespace

void add_sheet(Workbook &book) {
    auto sheet = std::make_unique<Sheet>();
    uint32_t number = ++book.sheet_name_counter;
    std::string name = "Sheet" + std::to_string(number);
    while (book.sheets.contains(name)) name = "Sheet" + std::to_string(++number);
    sheet->name = std::move(name);
    book.sheets.add(std::move(sheet));
}

size_t sheet_name_chars(std::string_view name) {
    size_t chars = 0;
    for (size_t at = 0; at < name.size(); at = prefix_bytes(name.substr(at), 1) + at) ++chars;
    return chars;
}

bool sheet_name_acceptable(std::string_view name) {
    // Checked on the UTF-16 form: a trail byte of a double-byte character may equal '\\'.
    const std::u16string wide = platform::cp932_to_utf16(name);
    if (wide.size() > kMaxSheetNameChars) return false;
    return std::none_of(wide.begin(), wide.end(), [](char16_t c) {
        return c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' ||
               c == u']';
    });
}

std::string copy_name(const SheetList &sheets, std::string_view source, uint32_t *next) {
    for (uint32_t number = next ? std::max<uint32_t>(*next, 2) : 2;; ++number) {
        const std::string suffix = " (" + std::to_string(number) + ")";
        const size_t room = kMaxSheetNameChars - suffix.size();
        std::string name(source.substr(0, prefix_bytes(source, room)));
        name += suffix;
        if (!sheets.contains(name)) {
            if (next) *next = number + 1;
            return name;
        }
    }
}

}  // namespace tabrix::engine
