// Numbers read from the start of a text, as the get calls and XlsStrToValue read them, the
// same whatever locale the calling program set.
#pragma once

#include <cstdint>
#include <string_view>

namespace tabrix::bookapi {

// The number the text starts with (blanks, sign, digits, a fraction, an exponent), or 0.
double leading_number(std::string_view text);
// The integer the text starts with (blanks, sign, digits), held inside 32 bits, or 0.
int32_t leading_integer(std::string_view text);

// XlsStrToValue's kinds.
inline constexpr int32_t kTextKind = 0;
inline constexpr int32_t kNumberKind = 1;
inline constexpr int32_t kFormulaKind = 3;
int32_t text_kind(std::string_view text);

}  // namespace tabrix::bookapi
