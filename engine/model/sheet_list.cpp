#include "engine/model/sheet_list.h"

#include <algorithm>

namespace tabrix::engine {

namespace {

char16_t ascii_upper(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

}  // namespace

std::u16string sheet_name_key(std::u16string_view name) {
    std::u16string key(name);
    std::transform(key.begin(), key.end(), key.begin(), ascii_upper);
    return key;
}

bool same_sheet_name(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(a, b, {}, ascii_upper, ascii_upper);
}

void SheetList::add(std::unique_ptr<Sheet> sheet) {
    const size_t position = sheets_.size();
    auto [entry, inserted] = first_by_name_.emplace(sheet_name_key(sheet->name), position);
    try {
        sheets_.push_back(std::move(sheet));
    } catch (...) {
        if (inserted) first_by_name_.erase(entry);
        throw;
    }
}

void SheetList::insert(size_t position, std::unique_ptr<Sheet> sheet) {
    if (position >= sheets_.size()) {
        add(std::move(sheet));
        return;
    }
    // Everything that can fail comes first, so that a failure leaves the list as it was.
    sheets_.reserve(sheets_.size() + 1);
    auto [entry, inserted] = first_by_name_.emplace(sheet_name_key(sheet->name), position);
    sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), std::move(sheet));
    for (auto it = first_by_name_.begin(); it != first_by_name_.end(); ++it) {
        if (it != entry && it->second >= position) ++it->second;
    }
    if (!inserted && entry->second >= position) entry->second = position;
}

std::unique_ptr<Sheet> SheetList::remove(size_t position) {
    std::unique_ptr<Sheet> sheet = std::move(sheets_[position]);
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(position));
    const std::u16string key = sheet_name_key(sheet->name);
    const bool was_first = first_by_name_.at(key) == position;
    if (was_first) first_by_name_.erase(key);
    for (auto &[name, first] : first_by_name_) {
        if (first > position) --first;
    }
    if (was_first) forget(key, SIZE_MAX);
    return sheet;
}

void SheetList::rename(size_t position, std::u16string name) {
    const std::u16string old_key = sheet_name_key(sheets_[position]->name);
    std::u16string new_key = sheet_name_key(name);
    sheets_[position]->name = std::move(name);
    if (new_key == old_key) return;
    forget(old_key, position);
    auto [entry, inserted] = first_by_name_.emplace(std::move(new_key), position);
    if (!inserted && entry->second > position) entry->second = position;
}

std::optional<size_t> SheetList::find(std::u16string_view name) const {
    auto found = first_by_name_.find(sheet_name_key(name));
    if (found == first_by_name_.end()) return std::nullopt;
    return found->second;
}

// Points the entry of a name that the sheet at `position` no longer has at the next sheet
// that has it, or drops it. Rare (a rename or a removal), so a walk is fine.
void SheetList::forget(const std::u16string &key, size_t position) {
    auto entry = first_by_name_.find(key);
    if (entry != first_by_name_.end() && entry->second != position) return;
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (i != position && sheet_name_key(sheets_[i]->name) == key) {
            first_by_name_[key] = i;
            return;
        }
    }
    if (entry != first_by_name_.end()) first_by_name_.erase(entry);
}

}  // namespace tabrix::engine
