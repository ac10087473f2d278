// Names the sheet list gives its sheets.
#pragma once

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Appends a sheet named "Sheet%d" with the next free counter value.
void add_sheet(Workbook &book);

}  // namespace tabrix::engine
