// FONT record bodies built from a caller's font request, and the font registration that
// finds or appends them in a workbook's FONT list.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/biff/narrow_string.h"

namespace tabrix::engine {

struct Workbook;

// A font as callers ask for it: name (code page 932 or UTF-16), size in points, palette
// colour, XLFONTSTYLE bits and XLFONTULINE value.
struct FontRequest {
    CallerText name;
    double size = 11.0;
    int32_t colour = 0;
    int32_t style = 0;
    int32_t underline = 0;
};

// The FONT body of either format: an empty name becomes the Excel 95 default name, the size
// is clamped to 1-409 points (0 or less means 11). Excel 95 writes the name in `code_page`.
// Returns -31 for a name longer than 32 bytes (as given in code page 932, or as written) or
// 32 UTF-16 units (a UTF-16 name code page 932 lacks a character of), or one the workbook's
// code page lacks a character of; otherwise 0 with the body in `out`.
int32_t build_font_body(bool biff8, const FontRequest &request, std::vector<uint8_t> *out,
                        uint16_t code_page = 932);

// The font number of a request in the workbook (XM_FontNo): an empty name and the size -1.0
// take the workbook defaults; a new font is appended. Font number 4 never exists: list
// position p has number p below 4 and p + 1 from 4 on.
int32_t register_font(Workbook &book, FontRequest request);

// XE_SetDefFont: the FONT record of default slot 0-4 (slot 4 is font number 5) in every
// workbook created afterwards, both formats. -34 for another slot, -31 for a long name.
int32_t set_default_font(int32_t slot, const FontRequest &request);

// The font number of a FONT list position.
inline int32_t font_number_of_position(size_t position) {
    return static_cast<int32_t>(position < 4 ? position : position + 1);
}

}  // namespace tabrix::engine
