// The attribute list of a workbook: the attribute that describes every XF from 21 on, the
// number given to the next user number format, and the indexes that find an existing font,
// format or attribute without walking the lists. Each index answers with the first list
// entry that matches, as a walk from the start would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/model/attribute.h"

namespace tabrix::engine {

inline constexpr int32_t kFirstRegisteredXf = 21;

struct AttributeFieldsHash {
    size_t operator()(const AttributeFields &fields) const noexcept {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a over the 16-bit fields
        for (int16_t field : fields) {
            hash ^= static_cast<uint16_t>(field);
            hash *= 1099511628211ull;
        }
        return static_cast<size_t>(hash ^ (hash >> 29));
    }
};

struct AttributeRegistry {
    std::vector<CellAttribute> attributes;  // entry i describes XF 21 + i
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

}  // namespace tabrix::engine
