// Shared formulas of a sheet read from a file: a SHRFMLA record holds one expression for a
// range of cells, written with references relative to the cell that uses it; each cell of the
// range gets that expression with its references made ordinary ones at the cell.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/formula/formula_context.h"

namespace tabrix::engine {

struct SharedFormula {
    uint16_t first_row = 0;
    uint16_t last_row = 0;
    uint8_t first_column = 0;
    uint8_t last_column = 0;
    std::vector<uint8_t> expression;    // the parsed expression
    std::vector<uint8_t> array_values;  // constant-array values that follow it

    bool holds(uint16_t row, uint16_t column) const {
        return row >= first_row && row <= last_row && column >= first_column &&
               column <= last_column;
    }
};

// The SHRFMLA body of either format (range, reserved word, expression length, expression,
// constant-array values); nothing when it is cut short or its range is upside down.
std::optional<SharedFormula> read_shared_formula(std::span<const uint8_t> body);

// Turns the relative references of a shared expression (ptgRefN, ptgAreaN, in every class)
// into ptgRef and ptgArea at (row, column): a relative row or column becomes the cell's plus
// the offset, wrapping round the grid of the format, and keeps its relative flag. 0, or
// err::kFormulaNotWalkable with the expression unchanged.
int resolve_shared_expression(std::span<uint8_t> expression, uint16_t row, uint16_t column,
                              BiffVersion version);

}  // namespace tabrix::engine
