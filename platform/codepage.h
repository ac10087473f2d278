// The narrow code page of the interface, code page 932 (Shift-JIS with the NEC and IBM
// extensions), and UTF-16, with the string helpers that must not split a double-byte
// character.
#pragma once

#include <string>
#include <string_view>

namespace tabrix::platform {

// A byte sequence that is not code page 932 becomes U+30FB (KATAKANA MIDDLE DOT), one per
// offending byte or pair, as the system conversion does.
inline constexpr char16_t kInvalidCp932Char = u'\u30FB';
// A UTF-16 unit that code page 932 cannot hold (or an unpaired surrogate) becomes '?'.
inline constexpr char kUnmappableNarrowChar = '?';

std::u16string cp932_to_utf16(std::string_view narrow);
std::string utf16_to_cp932(std::u16string_view wide);

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool is_cp932_lead_byte(unsigned char byte);

// Upper-cases ASCII letters only, stepping over the second byte of double-byte characters.
std::string cp932_to_upper(std::string_view narrow);
// Compares as if both were upper-cased by cp932_to_upper: <0, 0 or >0.
int cp932_compare_ignore_case(std::string_view a, std::string_view b);

}  // namespace tabrix::platform
