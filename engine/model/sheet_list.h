// The sheets of a workbook in tab order, with an index of their names, so that finding a name
// costs the same with thirty thousand sheets as with three.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/model/sheet.h"

namespace tabrix::engine {

class SheetList {
  public:
    using Entries = std::vector<std::unique_ptr<Sheet>>;

    size_t size() const { return sheets_.size(); }
    bool empty() const { return sheets_.empty(); }
    const std::unique_ptr<Sheet> &operator[](size_t position) const { return sheets_[position]; }
    const std::unique_ptr<Sheet> &back() const { return sheets_.back(); }
    Entries::const_iterator begin() const { return sheets_.begin(); }
    Entries::const_iterator end() const { return sheets_.end(); }

    // A sheet's name changes only through rename(), which keeps the index in step.
    void add(std::unique_ptr<Sheet> sheet);
    // Puts the sheet at `position` (at most size()); the sheets from there on move up one.
    void insert(size_t position, std::unique_ptr<Sheet> sheet);
    std::unique_ptr<Sheet> remove(size_t position);
    void rename(size_t position, std::u16string name);

    // The position of the first sheet whose name equals `name` as sheet names compare, if any.
    std::optional<size_t> find(std::u16string_view name) const;
    bool contains(std::u16string_view name) const { return find(name).has_value(); }

  private:
    void forget(const std::u16string &key, size_t position);

    Entries sheets_;
    // Compared form of each name in use to the first position holding it.
    std::unordered_map<std::u16string, size_t> first_by_name_;
};

// How sheet names compare: ASCII letters in either case alike, every other character as it is.
// Two names are the same exactly when their compared forms are equal.
std::u16string sheet_name_key(std::u16string_view name);
bool same_sheet_name(std::u16string_view a, std::u16string_view b);

}  // namespace tabrix::engine
