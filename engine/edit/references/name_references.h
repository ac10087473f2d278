// The references of defined names (NAME records of the workbook globals), kept in step with
// cells and sheets that move. A name's expression refers to cells through 3-D references in
// both formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/edit/references/reference_moves.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// Where the expression of a NAME record's data lies: nothing when the record is cut short of
// it.
struct ExpressionBounds {
    size_t at = 0;
    size_t length = 0;
    size_t name_at = 0;  // the name's text, which ends where the expression starts
};
// NAME data: the 1-based number of the sheet a local name belongs to (0: a global name).
inline constexpr size_t kNameScopeAt = 8;
std::optional<ExpressionBounds> name_expression(std::span<const uint8_t> data, bool biff8);

// Whether the expression of every NAME record can be stepped through.
bool names_walkable(const Workbook &book);

// Moves the 3-D references of every name that `move` marks (Excel 97; checked first).
void move_name_references(Workbook &book, const ReferenceMove &move);

}  // namespace tabrix::engine
