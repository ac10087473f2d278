// Finding and registering attributes, fonts and formats of a workbook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/model/attribute_list.h"
#include "engine/model/workbook.h"
#include "engine/styles/xf_records.h"

namespace tabrix::engine {

// The format facts the attribute records of a workbook depend on.
XfFormat xf_format(const Workbook &book);

// The attribute record of a number: the registered entry, or the default record for the
// built-in numbers and for numbers nobody registered.
CellAttribute attribute_record(const Workbook &book, int32_t number);

// The attribute a cell may carry for a number (its magnitude, the sign rule applied): the
// number itself while the workbook holds an XF of that number, else the default attribute
// 15, as a number nobody registered stands for the default record. Every attribute number
// that reaches a cell passes here, so that no file refers to an XF it lacks.
// Inline: every value write asks.
inline uint16_t held_attribute(const Workbook &book, int64_t number) {
    if (number < 0 || static_cast<uint64_t>(number) >= book.xfs.records().size()) return kDefaultXf;
    return static_cast<uint16_t>(number);
}

// The number of a normalised record: the first equal entry, or a new entry with its XF
// record. -40 when the entry, -41 when its XF record cannot be added.
int32_t register_attribute(Workbook &book, const CellAttribute &normalised);

// XM_GetAttrNo2: the request over the default record, normalised and registered.
int32_t attribute_number(Workbook &book, const CellAttribute &request);

// XM_GetAttrNo: packed per-edge border styles and colours (top in the high byte), the
// horizontal alignment, font and format; -1 leaves a value at its default.
int32_t attribute_number_packed(Workbook &book, uint32_t lines, uint32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format);

}  // namespace tabrix::engine
