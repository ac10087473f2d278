// How a cell's new attribute number combines with the one it already has.
#pragma once

#include <cstdint>

#include "engine/workbook.h"

namespace tabrix::engine {

// The attribute number of a cell holding `existing` after `overlay` is merged over it: the
// existing look, overlaid with every property the overlay sets.
uint16_t merge_attributes(Workbook &book, uint16_t existing, uint16_t overlay);

// Process-wide: while set, a write replaces a cell's attribute instead of merging into it.
bool replace_mode();
void set_replace_mode(bool on);

}  // namespace tabrix::engine
