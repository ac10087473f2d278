// Serialises a workbook at close: builds the records that depend on the final state,
// resolves stream offsets and hands the workbook stream the producer of its records, which
// a compound file runs while its commit writes the file.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Writes the workbook's stream and commits its compound file: 0, -5 when the stream or the
// file refused the records, -40 when memory ran out while they were made. The active sheet
// must be visible. The workbook is released after this.
int32_t write_workbook(Workbook &book);

}  // namespace tabrix::engine
