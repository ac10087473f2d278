// The texts of the preview labels: serial numbers and dates.
#pragma once

#include <chrono>
#include <string>

namespace labelora {

// The number padded with zeros to the width of `format` ("0000", "000", "00"), or without
// padding when `plain` is set.
std::string formatNumber(int value, const std::string &format, bool plain);

// "MM/DD", "YY|MM" or "YY/MM/DD": two-digit month, day and year; "|" is literal and "/"
// the date separator.
std::string formatDate(std::chrono::sys_days day, const std::string &format);

}  // namespace labelora
