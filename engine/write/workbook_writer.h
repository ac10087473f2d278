// Serialises a workbook at close: builds the records that depend on the final state,
// resolves stream offsets and hands the workbook stream the producer of its records, which
// a compound file runs while its commit writes the file.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

// Returns 0, or -5 when the stream refused the records. The active sheet must be visible.
// The records are made once (each row's cells are dropped as they go out): the workbook is
// committed once after this and then released.
int32_t write_workbook(Workbook &book);

}  // namespace tabrix::engine
