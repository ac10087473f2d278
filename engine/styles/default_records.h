// The FONT, FORMAT, XF and STYLE records every new workbook starts with, the built-in
// number formats, and the process-wide default font table they are copied from.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/record_list.h"
#include "engine/model/process_state.h"

namespace tabrix::engine {

// The fields of a FONT record before its name.
struct FontFields {
    uint16_t height = 220;  // twips
    uint16_t options = 0;
    uint16_t colour = 0x7FFF;  // automatic
    uint16_t weight = 400;
    uint16_t escapement = 0;
    uint8_t underline = 0;
    uint8_t family = 0;
    uint8_t charset = 128;  // Shift-JIS
    uint8_t reserved = 0;
};

// FONT bodies: Excel 95 with a narrow name (1-byte length), Excel 97 with a counted string.
std::vector<uint8_t> font_body_biff5(const FontFields &fields, std::string_view narrow_name);
std::vector<uint8_t> font_body_biff8(const FontFields &fields, const Biff8Chars &name);

// FORMAT body for a format number and its narrow (code page 932) string.
std::vector<uint8_t> format_body(bool biff8, uint16_t number, std::string_view narrow);
// An Excel 97 FORMAT body of a UTF-16 format.
std::vector<uint8_t> format_body(uint16_t number, std::u16string_view wide);

// The built-in number format of that number (code page 932 bytes), or null when the
// number is not in the table.
const char *builtin_number_format(uint16_t number);

// Five FONT bodies per format, copied into every new workbook; XE_SetDefFont changes them.
// Only under settings_mutex().
DefaultFontTable &default_font_table();

// Fills the four lists of a new workbook.
void append_default_records(bool biff8, uint16_t version_stamp, RecordList &fonts,
                            RecordList &formats, RecordList &xfs, RecordList &styles);

}  // namespace tabrix::engine
