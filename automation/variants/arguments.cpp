#include "automation/variants/arguments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "bookapi/books/caller_texts.h"
#include "bookapi/values/held_integers.h"

namespace tabrix::automation {

namespace {

// A reference to a reference ends here, so that a variant referring to itself cannot loop.
constexpr int kMaxReferences = 16;

const VARIANT *referenced(const VARIANT &given) {
    const VARIANT *value = &given;
    for (int depth = 0; depth < kMaxReferences; ++depth) {
        if (value->vt != (VT_BYREF | VT_VARIANT)) return value;
        if (!value->pvarVal) return nullptr;
        value = value->pvarVal;
    }
    return nullptr;
}

// A number written as text: optional spaces around a decimal number in ASCII.
std::optional<double> number_in_text(const char16_t *text) {
    if (!text) return std::nullopt;
    std::string ascii;
    for (const char16_t *unit = text; *unit; ++unit) {
        if (*unit > 0x7F) return std::nullopt;
        ascii.push_back(static_cast<char>(*unit));
    }
    const size_t first = ascii.find_first_not_of(' ');
    const size_t last = ascii.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const char *begin = ascii.data() + first;
    const char *end = ascii.data() + last + 1;
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The numeric value of a variant, as automation coerces it.
std::optional<double> number_of(const VARIANT &given) {
    const VARIANT *value = referenced(given);
    if (!value) return std::nullopt;
    switch (value->vt) {
        case VT_EMPTY:
            return 0.0;
        case VT_I1:
            return value->cVal;
        case VT_UI1:
            return value->bVal;
        case VT_I2:
        case VT_BOOL:
            return value->iVal;
        case VT_UI2:
            return value->uiVal;
        case VT_I4:
        case VT_INT:
            return value->lVal;
        case VT_UI4:
        case VT_UINT:
            return value->ulVal;
        case VT_R4:
            return value->fltVal;
        case VT_R8:
        case VT_DATE:
            return value->dblVal;
        case VT_CY:
            return static_cast<double>(value->cyVal) / 10000.0;
        case VT_BSTR:
            return number_in_text(value->bstrVal);
        default:
            return std::nullopt;
    }
}

// Rounded to the nearest integer, halves to even, as automation rounds; held at the 32-bit
// limits beyond them.
std::optional<int32_t> long_of(const VARIANT &given) {
    const std::optional<double> number = number_of(given);
    if (!number) return std::nullopt;
    return bookapi::held_int32(std::nearbyint(*number));
}

std::u16string ascii_text(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

void clear(VARIANT *result, uint16_t type) {
    std::memset(result, 0, sizeof *result);
    result->vt = type;
}

}  // namespace

std::optional<std::u16string> variant_text(const VARIANT &given) {
    const VARIANT *value = referenced(given);
    if (!value) return std::nullopt;
    if (value->vt == VT_BSTR) return value->bstrVal ? value->bstrVal : u"";
    if (value->vt == VT_EMPTY) return u"";
    if (value->vt == VT_BOOL || value->vt == VT_ERROR || value->vt == VT_NULL) return std::nullopt;
    const std::optional<double> number = number_of(*value);
    if (!number) return std::nullopt;
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, *number);
    if (error != std::errc()) return std::nullopt;
    return ascii_text(std::string_view(digits, end - digits));
}

bool is_omitted(const VARIANT &given) {
    return given.vt == VT_ERROR && given.scode == XLDISP_E_PARAMNOTFOUND;
}

bool convert_argument(const VARIANT &given, XLARGKIND kind, Argument &into) {
    switch (kind) {
        case akLong:
        case akBool: {
            const std::optional<int32_t> number = long_of(given);
            if (!number) return false;
            into.number = kind == akBool ? (*number != 0 ? 1 : 0) : *number;
            return true;
        }
        case akDouble: {
            const std::optional<double> number = number_of(given);
            if (!number) return false;
            into.real = *number;
            return true;
        }
        case akText: {
            std::optional<std::u16string> text = variant_text(given);
            if (!text) return false;
            into.text = std::move(*text);
            return true;
        }
        case akVariant:
            into.variant = given;
            return true;
        case akOutLong:
            if (given.vt == (VT_BYREF | VT_I4) && given.plVal) {
                into.out = given.plVal;
                return true;
            }
            if (given.vt == (VT_BYREF | VT_VARIANT) && given.pvarVal) {
                clear(given.pvarVal, VT_I4);
                into.out = &given.pvarVal->lVal;
                return true;
            }
            return false;
        default:
            return false;
    }
}

Argument default_argument(const XLMEMBERARG &declared) {
    Argument argument;
    argument.number = declared.default_value;
    return argument;
}

void put_long(VARIANT *result, int32_t value) {
    if (!result) return;
    clear(result, VT_I4);
    result->lVal = value;
}

void put_double(VARIANT *result, double value) {
    if (!result) return;
    clear(result, VT_R8);
    result->dblVal = value;
}

void put_text(VARIANT *result, std::u16string_view value) {
    if (!result) return;
    char16_t *text = bookapi::handed_out_text(value);
    clear(result, VT_BSTR);
    result->bstrVal = text;
}

void put_control(VARIANT *result, int32_t handle) {
    if (!result) return;
    clear(result, VT_DISPATCH);
    result->lVal = handle;
}

}  // namespace tabrix::automation
