// The workbook-globals records the engine makes itself: the header list, BOUNDSHEET,
// USESELFS, COUNTRY and RECALCID, EXTERNSHEET.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/biff/record_list.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// Fills the header list of a new workbook for its format and sheet count.
void append_header_records(Workbook &book);
// TABID body: one 16-bit number per sheet, from 0 (Excel 95) or 1 (Excel 97).
std::vector<uint8_t> tab_id_body(bool biff8, int32_t sheet_count);
// Sets WINDOW1's active-tab and first-visible-tab fields.
void set_window1_tabs(std::vector<uint8_t> &window1, uint16_t active_sheet);

// BOUNDSHEET with a zero stream offset (fixed once the sheet's position is known).
Record bound_sheet_record(const Workbook &book, const Sheet &sheet);
void set_bound_sheet_offset(Record &bound_sheet, uint32_t offset);

// Excel 97: USESELFS; COUNTRY and, unless the stamp is 97 and no template gave one, RECALCID.
void append_uses_elfs_record(Workbook &book);
void append_country_records(Workbook &book);
// Excel 97: EXTERNSHEET from the workbook's table, when it has entries, in place of the
// template's one if there is one.
void append_extern_sheet_record(Workbook &book);

}  // namespace tabrix::engine
