// The narrow code page of the interface, code page 932 (Shift-JIS with the NEC and IBM
// extensions), and UTF-16, with the string helpers that must not split a double-byte
// character.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabrix::platform {

// A byte sequence that is not code page 932 becomes U+30FB (KATAKANA MIDDLE DOT), one per
// offending byte or pair, as the system conversion does.
inline constexpr char16_t kInvalidCp932Char = u'\u30FB';
// A UTF-16 unit that code page 932 cannot hold (or an unpaired surrogate) becomes '?'.
inline constexpr char kUnmappableNarrowChar = '?';

// Narrow to UTF-16. A byte that starts no character (0x80, 0xA0, 0xFD-0xFF), a lead byte
// followed by a byte that cannot be a trail byte, and a lead byte at the end each become one
// kInvalidCp932Char; a lead byte with a proper trail byte that maps to nothing becomes one
// kInvalidCp932Char for the pair. Conversion carries on after it; NUL bytes pass through.
std::u16string cp932_to_utf16(std::string_view narrow);
// Narrow text of another Windows code page (a file's CODEPAGE record) to UTF-16; code page
// 932 and numbers not known here read as code page 932, and 1200 (which no narrow text can
// be) as 1252. A byte the code page does not hold becomes U+FFFD.
std::u16string code_page_to_utf16(std::string_view narrow, uint16_t code_page);
// Whether code_page_to_utf16 reads the code page as itself (932 included).
bool is_known_code_page(uint16_t code_page);
// UTF-16 to the code page as code_page_to_utf16 reads it, whole or not at all: nothing when a
// character is outside the code page or a surrogate is unpaired. Code page 932 writes the
// codes utf16_to_cp932 writes, look-alikes included.
std::optional<std::string> utf16_to_code_page(std::u16string_view wide, uint16_t code_page);
// UTF-16 to narrow. A unit code page 932 cannot hold, an unpaired surrogate, and a
// surrogate pair (always outside code page 932) each become one kUnmappableNarrowChar.
// Where code page 932 has several codes for one character (NEC row 13 and the IBM
// extensions), the preferred code is written: the JIS code, else the NEC row 13 code, else
// the IBM code in 0xFA-0xFC. A few characters outside code page 932 are written as their
// look-alike (U+00A5 as 0x5C, U+203E as 0x7E, U+301C as 0x8160, U+2016 as 0x8161,
// U+2212 as 0x817C, U+00A2/U+00A3/U+00AC as 0x8191/0x8192/0x81CA, U+2014 as 0x815C).
std::string utf16_to_cp932(std::u16string_view wide);

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool is_cp932_lead_byte(unsigned char byte);

// The text with every byte sequence that is not code page 932 (a lone lead byte, a byte no
// character starts with, a pair that maps to nothing) replaced by the stand-in character's
// code, 0x81 0x45; valid text comes back byte for byte.
std::string cp932_repaired(std::string_view narrow);

// Upper-cases ASCII letters only, stepping over the second byte of double-byte characters.
std::string cp932_to_upper(std::string_view narrow);
// Compares as if both were upper-cased by cp932_to_upper: <0, 0 or >0.
int cp932_compare_ignore_case(std::string_view a, std::string_view b);

}  // namespace tabrix::platform
