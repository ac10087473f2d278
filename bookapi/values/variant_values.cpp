#include "bookapi/values/variant_values.h"

#include <cmath>
#include <limits>

namespace tabrix::bookapi {

namespace {

// References to references end here, so that a variant referring to itself cannot loop.
constexpr int kMaxReferences = 16;

VariantValue integer_of(int32_t value) {
    VariantValue out;
    out.kind = VariantValue::Kind::integer;
    out.integer = value;
    return out;
}

VariantValue number_of(double value) {
    VariantValue out;
    out.kind = VariantValue::Kind::number;
    out.number = value;
    return out;
}

// A 96-bit decimal as the nearest double; an invalid scale gives nothing (an empty text).
VariantValue decimal_of(const DECIMAL &decimal) {
    if (decimal.scale > 28) return {};
    const double magnitude = (static_cast<double>(decimal.Hi32) * 18446744073709551616.0 +
                              static_cast<double>(decimal.Lo64)) /
                             std::pow(10.0, decimal.scale);
    return number_of(decimal.sign & 0x80 ? -magnitude : magnitude);
}

}  // namespace

VariantValue variant_value(const VARIANT &given) {
    const VARIANT *value = &given;
    for (int depth = 0; depth < kMaxReferences; ++depth) {
        switch (value->vt & 0xFFFF) {
            case VT_I2:
            case VT_BOOL:
                return integer_of(value->iVal);
            case VT_I4:
            case VT_INT:
                return integer_of(value->lVal);
            case VT_UI4:
            case VT_UINT:
                // Beyond the 32-bit integers the value is written as the number it is.
                if (value->ulVal > uint32_t{std::numeric_limits<int32_t>::max()})
                    return number_of(value->ulVal);
                return integer_of(static_cast<int32_t>(value->ulVal));
            case VT_R4:
                return number_of(value->fltVal);
            case VT_R8:
            case VT_DATE:
                return number_of(value->dblVal);
            case VT_CY:
                return number_of(static_cast<double>(value->cyVal) / 10000.0);
            case VT_DECIMAL:
                return decimal_of(value->decVal);
            case VT_I1:
                return integer_of(value->cVal);
            case VT_UI1:
                return integer_of(value->bVal);
            case VT_UI2:
                return integer_of(value->uiVal);
            case VT_BSTR: {
                VariantValue out;
                if (value->bstrVal) out.text = value->bstrVal;
                if (!out.text.empty() && out.text[0] == u'=')
                    out.kind = VariantValue::Kind::formula;
                return out;
            }
            case VT_BYREF | VT_VARIANT:
                if (!value->pvarVal) return {};
                value = value->pvarVal;
                continue;
            default:
                return {};
        }
    }
    return {};
}

}  // namespace tabrix::bookapi
