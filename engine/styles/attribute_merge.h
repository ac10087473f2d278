// How an attribute request combines with the attribute a cell already has.
#pragma once

#include <cstdint>

#include "engine/model/attribute.h"
#include "engine/model/workbook.h"
#include "engine/styles/xf_records.h"

namespace tabrix::engine {

// The merge rule: `request` laid over the cell's record `cell`. Without `merge` the request
// is first completed with defaults (the caller passes the default record as `cell`), so
// that it replaces the cell's look. The result is normalised.
CellAttribute merge_attribute_records(const XfFormat &format, const CellAttribute &cell,
                                      const CellAttribute &request, bool merge);

// The attribute number of a cell that has attribute `cell_xf` after `request` is applied:
// merged into the cell's record, or (without `merge`) replacing it. Negative on failure
// (-40, -41).
int32_t apply_request(Workbook &book, int32_t cell_xf, const CellAttribute &request, bool merge);

// The attribute number of a cell holding `existing` after `overlay` is merged over it: the
// existing look, overlaid with every property the overlay sets.
uint16_t merge_attributes(Workbook &book, uint16_t existing, uint16_t overlay);

// Process-wide: while set, a write replaces a cell's attribute instead of merging into it.
bool replace_mode();
void set_replace_mode(bool on);

}  // namespace tabrix::engine
