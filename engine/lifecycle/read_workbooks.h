// Workbooks opened for reading only: the file is read into memory once, its sheets are
// listed under their names in the file, and the handle answers the read calls until it is
// closed. Nothing ever writes, moves or deletes the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// The handle, or -9 for an empty name, -1 when the file cannot be read as a workbook (no
// compound file, both or neither workbook stream, encrypted, a protected workbook or
// worksheet, no sheet), -35 when the first sheet's records cannot be found.
int32_t open_read_workbook(std::u16string_view file_name);
// The read-mode workbook over a workbook file already read, with the same checks and answers
// as open_read_workbook, not registered and without a file name: 0, -1 or -35.
int32_t make_read_workbook(std::shared_ptr<WorkbookReader> reader, std::unique_ptr<Workbook> *out);

// Releases a read-mode workbook: 0; -2 for a negative handle, -3 for an empty entry, -6
// for a workbook that was not opened for reading (it stays open).
int32_t close_read_workbook(int32_t handle);

}  // namespace tabrix::engine
