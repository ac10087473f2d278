#include "automation/members/member_helpers.h"

#include <algorithm>

#include "platform/codepage.h"

namespace tabrix::automation {

std::optional<std::string> narrow_exact(std::u16string_view text) {
    std::string narrow = platform::utf16_to_cp932(text);
    // Each character without a form becomes one '?': more of them than given means a loss.
    const auto given = std::count(text.begin(), text.end(), u'?');
    const auto made = std::count(narrow.begin(), narrow.end(), platform::kUnmappableNarrowChar);
    if (made != given) return std::nullopt;
    return narrow;
}

}  // namespace tabrix::automation
