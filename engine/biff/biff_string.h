// Texts in Excel 97 records: 8-bit characters when that loses nothing, otherwise UTF-16.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tabrix::engine {

struct Biff8Chars {
    bool wide = false;  // 16-bit characters (option flag bit 0)
    uint32_t count = 0;
    std::vector<uint8_t> bytes;

    uint8_t option_flags() const { return wide ? 1 : 0; }
};

// Narrow (code page 932) text: 8-bit when every byte is below 128, otherwise the UTF-16
// conversion of the whole text.
Biff8Chars biff8_chars(std::string_view narrow);
// UTF-16 text: 8-bit (the low bytes) when every unit is below 0x100, otherwise as given.
Biff8Chars biff8_chars(std::u16string_view wide);

// Appends count (8-bit), option flags and characters: FONT and BOUNDSHEET names.
void put_biff8_short_string(std::vector<uint8_t> &out, const Biff8Chars &chars);
// Appends count (16-bit), option flags and characters: FORMAT, WRITEACCESS, HEADER.
void put_biff8_string(std::vector<uint8_t> &out, const Biff8Chars &chars);

}  // namespace tabrix::engine
