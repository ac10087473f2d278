#include "csv.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "text.h"

namespace tabrix::cli {

namespace {

template <class Unit>
bool needs_quotes(std::basic_string_view<Unit> field, char delimiter) {
    for (const Unit c : field) {
        if (c == static_cast<Unit>(delimiter) || c == '"' || c == '\r' || c == '\n') return true;
    }
    return false;
}

char *put_utf8(char *at, uint32_t cp) {
    if (cp < 0x800) {
        *at++ = static_cast<char>(0xC0 | (cp >> 6));
    } else {
        if (cp < 0x10000) {
            *at++ = static_cast<char>(0xE0 | (cp >> 12));
        } else {
            *at++ = static_cast<char>(0xF0 | (cp >> 18));
            *at++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        }
        *at++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *at++ = static_cast<char>(0x80 | (cp & 0x3F));
    return at;
}

// "00" to "99", for writing two digits a step.
constexpr std::array<char, 200> kPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

constexpr std::array<uint64_t, 20> kPowersOf10 = [] {
    std::array<uint64_t, 20> powers{};
    uint64_t power = 1;
    for (uint64_t &entry : powers) entry = std::exchange(power, power * 10);
    return powers;
}();

// The digits of a whole number, written from their end back, four a step (two pairs that
// do not wait for each other).
char *put_digits(char *at, uint64_t value) {
    // log10 from the bit length (1233 / 4096 is just above log10 2), corrected by one
    // comparison; value | 1 reaches a power of ten only where value does, and counts 0 as one
    // digit.
    const auto guess = static_cast<size_t>((std::bit_width(value | 1) * 1233) >> 12);
    const size_t count = guess + ((value | 1) >= kPowersOf10[guess] ? 1 : 0);
    char *p = at + count;
    for (; value >= 10000; value /= 10000) {
        const auto four = static_cast<uint32_t>(value % 10000);
        p -= 4;
        std::memcpy(p, kPairs.data() + 2 * (four / 100), 2);
        std::memcpy(p + 2, kPairs.data() + 2 * (four % 100), 2);
    }
    if (value >= 100) {
        p -= 2;
        std::memcpy(p, kPairs.data() + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        std::memcpy(p - 2, kPairs.data() + 2 * value, 2);
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
    return at + count;
}

// The decimal fractions of n eighths, each padded to four characters, and their lengths.
constexpr char kEighths[8][5] = {"", ".125", ".25", ".375", ".5", ".625", ".75", ".875"};
constexpr std::array<uint8_t, 8> kEighthsLength = {0, 4, 3, 4, 2, 4, 3, 4};

char *put_converted_field(char *at, std::u16string_view field, char delimiter) {
    const bool quoted = needs_quotes(field, delimiter);
    if (quoted) *at++ = '"';
    for (size_t i = 0; i < field.size(); ++i) {
        uint32_t unit = field[i];
        if (unit < 0x80) {
            if (unit == '"' && quoted) *at++ = '"';
            *at++ = static_cast<char>(unit);
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < field.size() && field[i + 1] >= 0xDC00 &&
            field[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (field[i + 1] - 0xDC00u);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = 0xFFFD;
        }
        at = put_utf8(at, unit);
    }
    if (quoted) *at++ = '"';
    return at;
}

}  // namespace

char *put_field(char *at, std::string_view field, char delimiter) {
    if (!needs_quotes(field, delimiter)) {
        std::memcpy(at, field.data(), field.size());
        return at + field.size();
    }
    *at++ = '"';
    for (const char c : field) {
        if (c == '"') *at++ = '"';
        *at++ = c;
    }
    *at++ = '"';
    return at;
}

char *put_field(char *at, std::u16string_view field, char delimiter) {
    // Most texts are plain ASCII: copied in one pass, the general way taken at the first unit
    // that needs quotes or conversion.
    char *end = at;
    for (const char16_t unit : field) {
        if (unit >= 0x80 || unit == static_cast<char16_t>(delimiter) || unit == u'"' ||
            unit == u'\r' || unit == u'\n') {
            return put_converted_field(at, field, delimiter);
        }
        *end++ = static_cast<char>(unit);
    }
    return end;
}

char *put_integer(char *at, int64_t value) {
    if (value < 0) *at++ = '-';
    return put_digits(at,
                      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
}

char *put_number(char *at, double value) {
    // Whole numbers that a double holds exactly are written with all their digits ("1000000",
    // not "1e+06"). Halves, quarters and eighths are as common in sheets: below 2^45 their
    // exact decimal form is also the shortest that reads back the same (a form with fewer
    // digits lies at least 0.005 away, more than half the spacing of doubles there), and
    // it is shorter than the exponent form. -0 keeps its sign through the general form.
    constexpr double kExact = 9007199254740992.0;         // 2^53
    constexpr double kShortFractions = 35184372088832.0;  // 2^45
    const double magnitude = std::fabs(value);
    if (magnitude < kExact && !(value == 0 && std::signbit(value))) {
        const double eighths = magnitude * 8;  // exact: a power of two
        const auto scaled = static_cast<uint64_t>(static_cast<int64_t>(eighths));
        const uint64_t fraction = scaled & 7;
        if (static_cast<double>(scaled) == eighths &&
            (fraction == 0 || magnitude < kShortFractions)) {
            if (value < 0) *at++ = '-';
            at = put_digits(at, scaled >> 3);
            std::memcpy(at, kEighths[fraction], 4);
            return at + kEighthsLength[fraction];
        }
    }
    return std::to_chars(at, at + kNumberRoom, value).ptr;
}

std::optional<double> number_of(std::string_view field) {
    size_t i = 0;
    const auto digits = [&] {
        const size_t from = i;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
        return i - from;
    };
    if (i < field.size() && field[i] == '-') ++i;
    const size_t first_digit = i;
    const size_t whole = digits();
    if (whole == 0 || (whole > 1 && field[first_digit] == '0')) return std::nullopt;
    if (i < field.size() && field[i] == '.') {
        ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
        ++i;
        if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i != field.size()) return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

CsvReader::CsvReader(std::string_view document) : doc_(document) {
    if (doc_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool CsvReader::next(std::vector<std::string> &fields) {
    fields.clear();
    if (pos_ >= doc_.size() || !error_.empty()) return false;
    line_ = next_line_;
    std::string field;
    bool quoted = false;  // inside quotes
    size_t quote_line = 0;
    for (;;) {
        if (pos_ >= doc_.size()) {
            if (quoted) {
                error_ = "line " + std::to_string(quote_line) + ": quoted field not closed";
                return false;
            }
            break;
        }
        const char c = doc_[pos_++];
        if (quoted) {
            if (c == '"') {
                if (pos_ < doc_.size() && doc_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++next_line_;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            quote_line = next_line_;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || (c == '\r' && pos_ < doc_.size() && doc_[pos_] == '\n')) {
            if (c == '\r') ++pos_;
            ++next_line_;
            break;
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    for (const std::string &f : fields) {
        if (!valid_utf8(f)) {
            error_ = "line " + std::to_string(line_) + ": not UTF-8";
            return false;
        }
    }
    return true;
}

}  // namespace tabrix::cli
