#include "bookapi/values/text_numbers.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

namespace tabrix::bookapi {

namespace {

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text from its first non-blank character, and its sign.
std::string_view unsigned_part(std::string_view text, bool &negative) {
    size_t at = 0;
    while (at < text.size() && blank(text[at])) ++at;
    negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    return text.substr(at);
}

}  // namespace

double leading_number(std::string_view text) {
    bool negative = false;
    const std::string_view rest = unsigned_part(text, negative);
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) return 0;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (end == rest.data()) return 0;  // no number at all
    // Out of range: from_chars leaves the value; the magnitude is then taken as it reads.
    if (ec == std::errc::result_out_of_range) {
        value = std::strtod(std::string(rest.substr(0, end - rest.data())).c_str(), nullptr);
    }
    return negative ? -value : value;
}

int32_t leading_integer(std::string_view text) {
    bool negative = false;
    const std::string_view rest = unsigned_part(text, negative);
    int64_t value = 0;
    for (char c : rest) {
        if (!digit(c)) break;
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t{1} << 32);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t text_kind(std::string_view text) {
    if (!text.empty() && (text[0] == '=' || text[0] == '@')) return kFormulaKind;
    if (!text.empty() && text[0] == '\'') return kTextKind;
    for (char c : text) {
        if (c == '.') return kNumberKind;
        if (!digit(c) && c != '-' && c != '+') return kTextKind;
    }
    return kNumberKind;
}

}  // namespace tabrix::bookapi
