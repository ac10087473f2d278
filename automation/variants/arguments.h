// A member's arguments taken from the caller's variants into the kinds the member declares,
// and the variants a member hands back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tabrix/automation.h"

namespace tabrix::automation {

// One argument, converted. Only the field of its kind is meaningful.
struct Argument {
    int32_t number = 0;      // akLong, akBool (1 or 0)
    double real = 0;         // akDouble
    std::u16string text;     // akText
    VARIANT variant{};       // akVariant: the caller's variant, not owned (VT_EMPTY if omitted)
    int32_t *out = nullptr;  // akOutLong: where the integer goes
};

// An optional argument the caller left out in the middle of the list.
bool is_omitted(const VARIANT &given);
// Converts a caller's variant into `kind`; false when it cannot be.
bool convert_argument(const VARIANT &given, XLARGKIND kind, Argument &into);
// A variant as text: texts as they are, integers and numbers in their shortest exact decimal
// form; none for booleans, errors, nulls and other types.
std::optional<std::u16string> variant_text(const VARIANT &given);
// The argument an omitted optional one stands for.
Argument default_argument(const XLMEMBERARG &declared);

// Results: the variant is overwritten (a caller's earlier content is not released); a null
// result is left alone. Texts are allocated as XlsClearValueV releases them.
void put_long(VARIANT *result, int32_t value);
void put_double(VARIANT *result, double value);
void put_text(VARIANT *result, std::u16string_view value);
void put_control(VARIANT *result, int32_t handle);

}  // namespace tabrix::automation
