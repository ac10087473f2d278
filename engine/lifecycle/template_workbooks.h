// Workbooks made from an existing file: a new workbook from a template, and a file opened for
// modification, written to an output file or back over itself at close.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tabrix::engine {

// What a create from an unreadable template returns.
inline constexpr int32_t kTemplateUnreadable = -5001;

// A new workbook file: the template's compound file, its workbook stream made again from the
// template's records (keyword cells blank) at close, every other stream and storage kept.
// Nothing is written before close. The handle, -9 for an empty name, kTemplateUnreadable, or
// -1 when the file cannot be claimed, is the template itself, or the records cannot be loaded.
int32_t create_from_template(std::u16string_view file_name, std::u16string_view template_name);
// Opens a file for modification: into the output file as a template would be (and marked so
// that keyword texts written to it become blanks), or without one back into the file itself
// (keyword texts kept), which keeps its bytes until a close with saving replaces it. Either
// way the file written is claimed as a create claims it. The handle or -1.
int32_t open_for_update(std::u16string_view file_name, std::optional<std::u16string_view> output);
// Closes a workbook made by open_for_update, saving or discarding it: 0; -5 when the file
// could not be written (-40 when memory ran out), which leaves it as it was; else -2.
int32_t close_opened(int32_t handle, bool save);

}  // namespace tabrix::engine
