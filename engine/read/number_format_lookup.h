// What a workbook's cells show their numbers as: the number format text of an attribute
// (XF) and the date system. A read-mode workbook answers from its file's globals, any other
// from its records in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The format text attribute number `xf` shows: its FORMAT record's, else the built-in one of
// that number; nothing for an attribute the workbook lacks.
std::optional<std::u16string> xf_number_format(const Workbook &book, int32_t xf);

// The text of a FORMAT record's body in the workbook (its file's, for a read-mode workbook);
// nothing for a body cut short.
std::optional<std::u16string> format_record_text(const Workbook &book,
                                                 std::span<const uint8_t> body);

// Whether serial numbers count days from 1904-01-01 (the 1904 record set) instead of 1900.
bool uses_1904_dates(const Workbook &book);

}  // namespace tabrix::engine
