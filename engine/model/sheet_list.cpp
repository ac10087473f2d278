#include "engine/model/sheet_list.h"

#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

// Two names are the same sheet name exactly when these forms are equal.
std::string compared_form(std::string_view name) {
    return platform::cp932_to_upper(name);
}

}  // namespace

void SheetList::add(std::unique_ptr<Sheet> sheet) {
    const size_t position = sheets_.size();
    auto [entry, inserted] = first_by_name_.emplace(compared_form(sheet->name), position);
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
    auto [entry, inserted] = first_by_name_.emplace(compared_form(sheet->name), position);
    sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), std::move(sheet));
    for (auto it = first_by_name_.begin(); it != first_by_name_.end(); ++it) {
        if (it != entry && it->second >= position) ++it->second;
    }
    if (!inserted && entry->second >= position) entry->second = position;
}

std::unique_ptr<Sheet> SheetList::remove(size_t position) {
    std::unique_ptr<Sheet> sheet = std::move(sheets_[position]);
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(position));
    const std::string key = compared_form(sheet->name);
    const bool was_first = first_by_name_.at(key) == position;
    if (was_first) first_by_name_.erase(key);
    for (auto &[name, first] : first_by_name_) {
        if (first > position) --first;
    }
    if (was_first) forget(key, SIZE_MAX);
    return sheet;
}

void SheetList::rename(size_t position, std::string name) {
    const std::string old_key = compared_form(sheets_[position]->name);
    std::string new_key = compared_form(name);
    sheets_[position]->name = std::move(name);
    if (new_key == old_key) return;
    forget(old_key, position);
    auto [entry, inserted] = first_by_name_.emplace(std::move(new_key), position);
    if (!inserted && entry->second > position) entry->second = position;
}

std::optional<size_t> SheetList::find(std::string_view name) const {
    auto found = first_by_name_.find(compared_form(name));
    if (found == first_by_name_.end()) return std::nullopt;
    return found->second;
}

// Points the entry of a name that the sheet at `position` no longer has at the next sheet
// that has it, or drops it. Rare (a rename or a removal), so a walk is fine.
void SheetList::forget(const std::string &key, size_t position) {
    auto entry = first_by_name_.find(key);
    if (entry != first_by_name_.end() && entry->second != position) return;
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (i != position && compared_form(sheets_[i]->name) == key) {
            first_by_name_[key] = i;
            return;
        }
    }
    if (entry != first_by_name_.end()) first_by_name_.erase(entry);
}

}  // namespace tabrix::engine
