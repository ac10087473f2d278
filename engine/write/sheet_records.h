// The records around a sheet's cells: the header list (BOF to DIMENSIONS) and the trailer
// list (caller records, WINDOW2 to EOF).
#pragma once

#include <cstdint>

#include "engine/biff/record_list.h"
#include "engine/model/sheet.h"
#include "engine/write/row_blocks.h"

namespace tabrix::engine {

// The header list; the INDEX (second record) holds DBCELL positions relative to the cell
// area until add_index_base moves them.
RecordList sheet_header_records(bool biff8, const Sheet &sheet, const CellArea &area);
void add_index_base(Record &index, bool biff8, uint32_t base);

RecordList sheet_trailer_records(bool biff8, const Sheet &sheet, bool active);

// WINDOW2 option word of a sheet.
uint16_t window2_options(const Sheet &sheet, bool active);

}  // namespace tabrix::engine
