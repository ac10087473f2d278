// Texts in Excel 95 records: bytes in the workbook's code page, the one its CODEPAGE record
// names. Every narrow text the engine writes is encoded here, and read back here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tabrix::engine {

// The code page of the interface's narrow texts, and of the workbooks the engine makes.
inline constexpr uint16_t kInterfaceCodePage = 932;

// A caller's text as the engine takes it: code page 932 bytes, or UTF-16.
using CallerText = std::variant<std::string_view, std::u16string_view>;
bool is_empty(const CallerText &text);
// The UTF-16 text in code page 932 when that holds it exactly (it reads back the same), so
// that a text given in either form makes the same record; nothing otherwise.
std::optional<std::string> exact_cp932(std::u16string_view text);

// The code page of a workbook's narrow texts, from a file's CODEPAGE record (0 without one):
// the record's own when the file's texts are read in it, otherwise 932, in which they are read.
uint16_t narrow_code_page(uint16_t record_value);

// The text in the code page; nothing when it holds a character the code page lacks.
std::optional<std::string> encode_narrow(std::u16string_view text, uint16_t code_page);
// A caller's code page 932 text in the code page: in code page 932 its bytes, a sequence that
// is no code page 932 made the stand-in character; in another through UTF-16.
std::optional<std::string> encode_narrow(std::string_view cp932_text, uint16_t code_page);

// The longest start of an encoded text that fits `limit` bytes and ends on a character of the
// code page.
std::string_view narrow_prefix(std::string_view narrow, uint16_t code_page, size_t limit);

std::u16string decode_narrow(std::span<const uint8_t> bytes, uint16_t code_page);

}  // namespace tabrix::engine
