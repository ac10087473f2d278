// Number formats: the normalisation of Japanese colour words and the registration that finds
// or appends a FORMAT record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/biff/narrow_string.h"

namespace tabrix::engine {

struct Workbook;

// The format with each bracketed Japanese colour word outside double quotes replaced by its
// English name ([赤] becomes [Red], [色10] becomes [Color10]). False when the result would
// be longer than `limit` bytes.
bool normalise_number_format(std::string_view format, size_t limit, std::string *out);

// The number of a format string in the workbook (XM_FmtNo): an equal FORMAT record's number,
// built-in ones included, or a new record numbered from 176 up. -31 for an empty string, one
// longer than 255 bytes (Excel 95) or 256 bytes (Excel 97) in code page 932 (256 UTF-16 units
// for a UTF-16 format that code page lacks a character of), or one the workbook's code page
// lacks a character of (Excel 95).
int32_t register_number_format(Workbook &book, CallerText format);

}  // namespace tabrix::engine
