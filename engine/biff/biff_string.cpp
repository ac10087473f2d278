#include "engine/biff/biff_string.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

Biff8Chars utf16_chars(std::u16string_view text) {
    Biff8Chars chars;
    chars.wide = true;
    chars.count = static_cast<uint32_t>(text.size());
    chars.bytes.reserve(text.size() * 2);
    for (char16_t unit : text) put_u16(chars.bytes, unit);
    return chars;
}

}  // namespace

Biff8Chars biff8_chars(std::string_view narrow) {
    bool ascii = std::all_of(narrow.begin(), narrow.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) return utf16_chars(platform::cp932_to_utf16(narrow));
    Biff8Chars chars;
    chars.count = static_cast<uint32_t>(narrow.size());
    chars.bytes.assign(narrow.begin(), narrow.end());
    return chars;
}

Biff8Chars biff8_chars(std::u16string_view wide) {
    bool latin1 = std::all_of(wide.begin(), wide.end(), [](char16_t c) { return c < 0x100; });
    if (!latin1) return utf16_chars(wide);
    Biff8Chars chars;
    chars.count = static_cast<uint32_t>(wide.size());
    chars.bytes.reserve(wide.size());
    for (char16_t unit : wide) chars.bytes.push_back(static_cast<uint8_t>(unit));
    return chars;
}

void put_biff8_short_string(std::vector<uint8_t> &out, const Biff8Chars &chars) {
    put_u8(out, static_cast<uint8_t>(chars.count));
    put_u8(out, chars.option_flags());
    out.insert(out.end(), chars.bytes.begin(), chars.bytes.end());
}

void put_biff8_string(std::vector<uint8_t> &out, const Biff8Chars &chars) {
    put_u16(out, static_cast<uint16_t>(chars.count));
    put_u8(out, chars.option_flags());
    out.insert(out.end(), chars.bytes.begin(), chars.bytes.end());
}

}  // namespace tabrix::engine
