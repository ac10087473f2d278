#include "engine/model/keywords.h"

#include <algorithm>
#include <tuple>

#include "engine/model/process_state.h"

namespace tabrix::engine {

namespace {

bool entry_before(const KeywordEntry &a, const KeywordEntry &b) {
    return std::tie(a.text, a.row, a.column) < std::tie(b.text, b.row, b.column);
}

}  // namespace

std::u16string keyword_prefix() {
    const std::lock_guard lock(settings_mutex());
    return process_state().keyword_prefix;
}

bool set_keyword_prefix(std::u16string_view prefix) {
    if (prefix.empty() || prefix.size() > 64) return false;
    const std::lock_guard lock(settings_mutex());
    process_state().keyword_prefix = prefix;
    return true;
}

void add_keyword(Sheet &sheet, KeywordEntry entry) {
    auto at = std::lower_bound(sheet.keywords.begin(), sheet.keywords.end(), entry, entry_before);
    if (at != sheet.keywords.end() && !entry_before(entry, *at)) {
        *at = std::move(entry);
    } else {
        sheet.keywords.insert(at, std::move(entry));
    }
}

std::span<const KeywordEntry> find_keyword(const Sheet &sheet, std::u16string_view text) {
    struct ByText {
        bool operator()(const KeywordEntry &a, std::u16string_view b) const { return a.text < b; }
        bool operator()(std::u16string_view a, const KeywordEntry &b) const { return a < b.text; }
    };
    auto [first, last] =
        std::equal_range(sheet.keywords.begin(), sheet.keywords.end(), text, ByText{});
    return {first, last};
}

}  // namespace tabrix::engine
