// Attribute records (CellAttribute) as the registry keeps them: the default record, the
// normalisation every record goes through before it is compared or registered, and the XF
// record bodies of both formats written from a record.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/attribute.h"

namespace tabrix::engine {

// What the XF writer and the normaliser need to know about the workbook.
struct XfFormat {
    bool biff8 = false;
    bool ver2002 = false;  // version stamp 2002 or more: vertical centre by default

    int16_t default_pos_vert() const { return ver2002 ? 1 : 2; }
};

// A record with every field "not set".
CellAttribute unset_attribute();
// The attribute of built-in XFs and unregistered numbers, and the start of every request.
CellAttribute default_attribute(const XfFormat &format);
// Replaces out-of-range values by defaults so that equal looks compare equal.
void normalise_attribute(const XfFormat &format, CellAttribute &attr);
// The XF record body (16 bytes in Excel 95, 20 in Excel 97) of a normalised record.
std::vector<uint8_t> xf_body(const XfFormat &format, const CellAttribute &attr);
// The record an XF body was written from, as far as the body tells: xf_body() of the result
// gives the same body. Nothing when the body is too short for its format.
std::optional<CellAttribute> read_xf_attribute(const XfFormat &format,
                                               std::span<const uint8_t> body);

// The fields of an XF record as stored, in both formats.
struct XfFields {
    uint16_t font = 0;
    uint16_t format = 0;
    uint16_t protection = 0;  // locked, hidden, style flag, parent XF
    uint8_t pos_horz = 0;
    uint8_t wrap = 0;
    uint8_t pos_vert = 0;
    uint8_t justify_last = 0;
    uint8_t orient = 0;    // Excel 95
    uint8_t rotation = 0;  // Excel 97, and the indent, fit, joint and diagonal fields
    uint8_t indent = 0;
    uint8_t fit = 0;
    uint8_t joint = 0;
    uint8_t used = 0;                 // "attribute differs from the parent" flags, bits 2-7
    std::array<uint8_t, 4> style{};   // border styles: top, bottom, left, right
    std::array<uint8_t, 4> colour{};  // border colours, same order
    uint8_t diag_kind = 0;
    uint8_t diag_style = 0;
    uint8_t diag_colour = 0;
    uint8_t pattern = 0;
    uint8_t pattern_colour = 0;
    uint8_t back_colour = 0;

    bool operator==(const XfFields &) const = default;
};

// XF bodies of either format from stored fields, and the fields back from a body (nothing
// when it is too short).
std::vector<uint8_t> xf_body_biff5(const XfFields &fields);
std::vector<uint8_t> xf_body_biff8(const XfFields &fields);
std::optional<XfFields> read_xf_biff5(std::span<const uint8_t> body);
std::optional<XfFields> read_xf_biff8(std::span<const uint8_t> body);

}  // namespace tabrix::engine
