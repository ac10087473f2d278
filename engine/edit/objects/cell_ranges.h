// What the sheet's carried records share: cell ranges (first and last row, first and last
// column, two bytes each) that move with rows or columns, and expressions whose relative
// references are offsets from an anchor cell (data validations, conditional formats).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/edit/position_lists.h"
#include "engine/edit/references/grid_moves.h"

namespace tabrix::engine {

struct CellRange {
    int32_t first_row = 0;
    int32_t last_row = 0;
    int32_t first_column = 0;
    int32_t last_column = 0;
};

inline constexpr size_t kRangeBytes = 8;

CellRange load_range(const uint8_t *at);
void store_range(uint8_t *at, const CellRange &range);
// Moves a range along the axis that moves; false when none of its cells remains.
bool move_range(CellRange &range, const GridMove &move);
std::optional<CellRange> intersection(const CellRange &a, const CellRange &b);
// What remains of `a` outside `b`: up to four rectangles, the rows above and below the
// common part, then the columns beside it.
std::vector<CellRange> difference(const CellRange &a, const CellRange &b);
// The rectangle's cells on the sheet.
CellRange range_of(const CellRect &rect);
// The smallest range holding all of them (not empty).
CellRange bounds_of(const std::vector<CellRange> &ranges);

// The parts of a rule's ranges inside the copied range.
std::vector<MergedRange> copied_rule_ranges(const std::vector<CellRange> &ranges,
                                            const CellRange &copied);
// A rule's ranges after a paste into `target`: the target's cells leave them (the pasted cells
// take the copied cells' rules), and the copied parts of the same rule, moved by (dx, dy) and
// cut to the target, join them. `copied` is null when the copy held no part of the rule.
std::vector<CellRange> pasted_rule_ranges(const std::vector<CellRange> &ranges,
                                          const CellRange &target, const CopiedRule *copied,
                                          int32_t dx, int32_t dy);
// The copied rule of that identity, or null.
const CopiedRule *find_copied_rule(const std::vector<CopiedRule> &rules,
                                   std::span<const uint8_t> identity);

// A range list: a count, then the ranges. Its ranges, or nothing when it overruns the data;
// `end` is where the list ends.
std::optional<std::vector<CellRange>> load_range_list(std::span<const uint8_t> data, size_t at,
                                                      size_t *end);
void put_range_list(std::vector<uint8_t> &out, const std::vector<CellRange> &ranges);
// Moves every range of the list, dropping those left empty.
void move_range_list(std::vector<CellRange> &ranges, const GridMove &move);

// Moves the references of an Excel 97 expression (checked) of a record whose relative
// references count from an anchor cell (the top-left cell of its ranges, `anchor` after the
// move): the cells every reference names move, and relative parts are counted again from
// the anchor. A relative part means the same for each cell of the ranges, so it is read from
// where the new anchor's cell was, which is still there when the old anchor's row was
// deleted: the cells left keep their rule. A reference to deleted cells becomes the deleted
// form.
void move_anchored_expression(std::span<uint8_t> expression, const GridMove &move,
                              const CellRange &anchor);

}  // namespace tabrix::engine
