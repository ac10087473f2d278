// Attribute records (XLATTR) as the registry keeps them: the default record, the
// normalisation every record goes through before it is compared or registered, and the XF
// record bodies of both formats written from a record.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tabrix.h"

namespace tabrix::engine {

inline constexpr int16_t kUnset = -1;
inline constexpr int16_t kRotationUnset = 999;
inline constexpr int16_t kNoLine = 255;  // a border style that removes a line when merged

// What the XF writer and the normaliser need to know about the workbook.
struct XfFormat {
    bool biff8 = false;
    bool ver2002 = false;  // version stamp 2002 or more: vertical centre by default

    int16_t default_pos_vert() const { return ver2002 ? 1 : 2; }
};

// A record with every field "not set".
XLATTR unset_attribute();
// The attribute of built-in XFs and unregistered numbers, and the start of every request.
XLATTR default_attribute(const XfFormat &format);
// Replaces out-of-range values by defaults so that equal looks compare equal.
void normalise_attribute(const XfFormat &format, XLATTR &attr);
// The XF record body (16 bytes in Excel 95, 20 in Excel 97) of a normalised record.
std::vector<uint8_t> xf_body(const XfFormat &format, const XLATTR &attr);

// XLATTR is 26 int16_t fields in declaration order; loops over all of them use this count.
inline constexpr int kAttributeFields = 26;
static_assert(sizeof(XLATTR) == kAttributeFields * sizeof(int16_t));
using AttributeFields = std::array<int16_t, kAttributeFields>;

inline AttributeFields fields_of(const XLATTR &attr) {
    AttributeFields fields;
    std::memcpy(fields.data(), &attr, sizeof attr);
    return fields;
}

inline XLATTR attribute_of_fields(const AttributeFields &fields) {
    XLATTR attr;
    std::memcpy(&attr, fields.data(), sizeof attr);
    return attr;
}

}  // namespace tabrix::engine
