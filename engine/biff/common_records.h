// BOF and EOF: the records that open and close every substream of a workbook.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/biff/record_list.h"

namespace tabrix::engine {

inline constexpr uint16_t kBofBiff5 = 0x0500;
inline constexpr uint16_t kBofBiff8 = 0x0600;
inline constexpr uint16_t kBofGlobals = 0x0005;
inline constexpr uint16_t kBofWorksheet = 0x0010;

struct BofFields {
    uint16_t version = kBofBiff8;
    uint16_t type = kBofGlobals;
    uint16_t build = 0;
    uint16_t year = 0;
    uint32_t history = 0;         // Excel 97 only
    uint32_t lowest_version = 0;  // Excel 97 only
};

// The fields this engine writes for a substream of that type.
BofFields bof_fields(bool biff8, uint16_t type);
// The BOF body: 8 bytes for an Excel 95 version, 16 for Excel 97.
std::vector<uint8_t> bof_body(const BofFields &fields);
// The BOF record this engine writes for a substream of that type.
Record bof_record(bool biff8, uint16_t type);
// The fields of a BOF body; the Excel 97 fields are read when present. Nothing when the
// body is shorter than the version and type.
std::optional<BofFields> read_bof(std::span<const uint8_t> body);

Record eof_record();

}  // namespace tabrix::engine
