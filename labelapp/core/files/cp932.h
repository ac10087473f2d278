// Byte counting and conversion for code page 932 (Shift-JIS), the code page of the
// program's files and of every length limit that counts bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace labelora {

// Bytes the UTF-8 text takes in code page 932. A character that code page 932 cannot
// represent counts as two bytes, like any other wide character.
int cp932Length(std::string_view utf8);

// The longest prefix of the UTF-8 text that fits in maxBytes bytes of code page 932.
// The cut never splits a character.
std::string cutToCp932Bytes(std::string_view utf8, int maxBytes);

// The text in code page 932, or nothing when a character has no code page 932 form.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// The text in UTF-16, for the wide calls of the library; nothing for a text that is not UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);

// UTF-16 from the wide calls of the library as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Code page 932 bytes as UTF-8; a byte sequence that is not code page 932 becomes U+FFFD.
std::string cp932ToUtf8(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text.
int utf8Length(std::string_view utf8);

// The first maxChars characters of a UTF-8 text.
std::string cutToChars(std::string_view utf8, int maxChars);

}  // namespace labelora
