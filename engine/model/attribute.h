// A cell attribute as the engine keeps it: what an XF record says, field by field. The public
// XLATTR request is converted to and from this at the C boundary.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace tabrix::engine {

inline constexpr int16_t kUnset = -1;
inline constexpr int16_t kRotationUnset = 999;
inline constexpr int16_t kNoLine = 255;  // a border style that removes a line when merged
// The attribute number of a cell nobody styled.
inline constexpr uint16_t kDefaultXf = 15;

struct CellAttribute {
    int16_t font;
    int16_t format;
    int16_t pos_horz;
    int16_t over_return;  // wrap text
    int16_t pos_vert;
    int16_t orient;    // Excel 95 text orientation
    int16_t line_top;  // border styles; kNoLine removes the line
    int16_t line_bottom;
    int16_t line_left;
    int16_t line_right;
    int16_t color_top;  // border colours: palette indexes
    int16_t color_bottom;
    int16_t color_left;
    int16_t color_right;
    int16_t pattern;
    int16_t pattern_color;
    int16_t back_color;
    int16_t fit;  // Excel 97 from here to the rotation
    int16_t joint;
    int16_t diag_kind;
    int16_t diag_style;
    int16_t diag_color;
    int16_t indent;
    int16_t rotation;
    int16_t locked;
    int16_t hidden;
};

// Loops, comparisons and hashes go over all fields at once through this array view.
inline constexpr int kAttributeFields = 26;
static_assert(sizeof(CellAttribute) == kAttributeFields * sizeof(int16_t));
using AttributeFields = std::array<int16_t, kAttributeFields>;

inline AttributeFields fields_of(const CellAttribute &attr) {
    AttributeFields fields;
    std::memcpy(fields.data(), &attr, sizeof attr);
    return fields;
}

inline CellAttribute attribute_of_fields(const AttributeFields &fields) {
    CellAttribute attr;
    std::memcpy(&attr, fields.data(), sizeof attr);
    return attr;
}

}  // namespace tabrix::engine
