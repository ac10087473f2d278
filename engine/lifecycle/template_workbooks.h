// Workbooks made from an existing file: a new workbook from a template, and a file opened for
// modification, written to an output file or back over itself at close.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tabrix::engine {

// What a create from an unreadable template returns.
inline constexpr int32_t kTemplateUnreadable = -5001;

// A new workbook file: a copy of the template, its workbook stream made again from the
// template's records (keyword cells blank) at close, every other stream and storage kept.
// The handle, -9 for an empty name, kTemplateUnreadable, or -1 when the copy cannot be made or
// the records cannot be loaded.
int32_t create_from_template(std::u16string_view file_name, std::u16string_view template_name);
// Opens a file for modification: into the output file as a template would be (and marked so
// that keyword texts written to it become blanks), or without one into a temporary copy that
// replaces the file when it is closed with saving (keyword texts kept). The handle or -1.
int32_t open_for_update(std::u16string_view file_name, std::optional<std::u16string_view> output);
// Closes a workbook made by open_for_update, saving or discarding it: 0, or -2 on failure.
int32_t close_opened(int32_t handle, bool save);

}  // namespace tabrix::engine
