// Attribute records (CellAttribute) as the registry keeps them: the default record, the
// normalisation every record goes through before it is compared or registered, and the XF
// record bodies of both formats written from a record.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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

}  // namespace tabrix::engine
