// Text forms the tool meets: UTF-8 on its side, UTF-16 and code page 932 on the library's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrix::cli {

void append_utf8(std::string &out, uint32_t code_point);
bool valid_utf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
void append_utf16_as_utf8(std::string &out, std::u16string_view text);
// False for text that is not UTF-8.
bool utf8_to_utf16(std::string_view text, std::u16string &out);
// Code page 932 and UTF-8 through iconv; what cannot be converted becomes '?'.
std::string cp932_to_utf8(std::string_view text);
std::string utf8_to_cp932(std::string_view text);

// Whether the locale asks for Japanese messages: the first of LC_ALL, LC_MESSAGES and LANG
// (given in that order, null when unset) that is set and not empty decides, "ja..." meaning
// Japanese.
bool japanese_locale(const char *lc_all, const char *lc_messages, const char *lang);

}  // namespace tabrix::cli
