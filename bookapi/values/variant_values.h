// What a caller's VARIANT writes: an integer, a number, a text or a formula.
#pragma once

#include <cstdint>
#include <string>

#include "tabrix/types.h"

namespace tabrix::bookapi {

struct VariantValue {
    enum class Kind { integer, number, text, formula } kind = Kind::text;
    int32_t integer = 0;
    double number = 0;
    std::u16string text;  // a text, or a formula with its "="
};

// Integers and booleans (true -1) as integers; floats, doubles, dates, currency (/ 10000)
// and decimals as numbers; a text starting with "=" as a formula, any other text as a text
// (none: empty); a reference to a variant as that variant; every other type an empty text.
VariantValue variant_value(const VARIANT &value);

}  // namespace tabrix::bookapi
