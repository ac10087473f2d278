// What the walks over a sheet's cells share: where they start reading and what ends them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/biff/record_reader.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

// Drawing objects (OBJ, IMDATA, MSODRAWING) end a sheet's cells for the walks.
bool ends_cell_walk(uint16_t record_number);

// The records of sheet `index` from a walk position; a position at or before the sheet's BOF
// starts just after it. False when the sheet has no cells to walk: a chart sheet, or one that
// does not start with its BOF.
bool open_cell_walk(const WorkbookReader &reader, size_t index, int32_t position,
                    RecordReader &records);

}  // namespace tabrix::engine
