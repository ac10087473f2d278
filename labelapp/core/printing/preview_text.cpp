#include "core/printing/preview_text.h"

#include <cstdio>

namespace labelora {
namespace {

std::string twoDigits(unsigned value) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%02u", value % 100);
    return buffer;
}

}  // namespace

std::string formatNumber(int value, const std::string &format, bool plain) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (!plain && digits.size() < format.size())
        digits.insert(0, format.size() - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string formatDate(std::chrono::sys_days day, const std::string &format) {
    std::chrono::year_month_day ymd(day);
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        std::string_view rest = std::string_view(format).substr(i);
        if (rest.starts_with("YY")) {
            out += twoDigits(static_cast<unsigned>(static_cast<int>(ymd.year()) % 100));
            ++i;
        } else if (rest.starts_with("MM")) {
            out += twoDigits(static_cast<unsigned>(ymd.month()));
            ++i;
        } else if (rest.starts_with("DD")) {
            out += twoDigits(static_cast<unsigned>(ymd.day()));
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

}  // namespace labelora
