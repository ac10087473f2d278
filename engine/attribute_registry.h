// The attribute registry of a workbook: the attribute list that describes every XF from 21
// on, the number given to the next user number format, and the indexes that find an
// existing font, format or attribute without walking the lists. Each index answers with the
// first list entry that matches, as a walk from the start would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/xf_records.h"
#include "tabrix.h"

namespace tabrix::engine {

struct Workbook;

inline constexpr int32_t kFirstRegisteredXf = 21;
// Error codes of the registry beyond those of the workbook table.
inline constexpr int32_t kErrLength = -31;    // a font name or format string too long or empty
inline constexpr int32_t kErrMemoryXf = -41;  // the XF record of a new attribute

struct AttributeFieldsHash {
    size_t operator()(const AttributeFields &fields) const noexcept;
};

struct AttributeRegistry {
    std::vector<XLATTR> attributes;  // entry i describes XF 21 + i
    uint16_t next_format_no = 176;

    // FONT records by body (Excel 97: without the option byte), from list position 5 on;
    // positions 0-4 are compared directly because the default-font calls rewrite them.
    std::unordered_map<std::string, size_t> font_positions;
    size_t fonts_indexed = 0;
    // FORMAT records by body without the number, to their stored number.
    std::unordered_map<std::string, uint16_t> format_numbers;
    size_t formats_indexed = 0;
    // Attribute entries by their compared fields.
    std::unordered_map<AttributeFields, size_t, AttributeFieldsHash> attribute_positions;
    size_t attributes_indexed = 0;
};

// The format facts the attribute records of a workbook depend on.
XfFormat xf_format(const Workbook &book);

// The attribute record of a number: the registered entry, or the default record for the
// built-in numbers and for numbers nobody registered.
XLATTR attribute_record(const Workbook &book, int32_t number);

// The attribute a cell may carry for a number (its magnitude, the sign rule applied): the
// number itself while the workbook holds an XF of that number, else the default attribute
// 15, as a number nobody registered stands for the default record. Every attribute number
// that reaches a cell passes here, so that no file refers to an XF it lacks.
uint16_t held_attribute(const Workbook &book, int64_t number);

// The number of a normalised record: the first equal entry, or a new entry with its XF
// record. -40 when the entry, -41 when its XF record cannot be added.
int32_t register_attribute(Workbook &book, const XLATTR &normalised);

// XM_GetAttrNo2: the request over the default record, normalised and registered.
int32_t attribute_number(Workbook &book, const XLATTR &request);

// XM_GetAttrNo: packed per-edge border styles and colours (top in the high byte), the
// horizontal alignment, font and format; -1 leaves a value at its default.
int32_t attribute_number_packed(Workbook &book, uint32_t lines, uint32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format);

}  // namespace tabrix::engine
