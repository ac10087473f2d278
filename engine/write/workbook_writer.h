// Serialises a workbook at close: builds the records that depend on the final state,
// resolves stream offsets and writes every list into the workbook stream.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Returns 0, or -5 when the stream refused a write. The active sheet must be visible.
int32_t write_workbook(Workbook &book);

}  // namespace tabrix::engine
