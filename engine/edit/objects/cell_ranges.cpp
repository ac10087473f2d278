#include "engine/edit/objects/cell_ranges.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/edit/copy_buffer.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// The relative flags of an Excel 97 reference sit in its column field; a relative row is a
// signed 16-bit offset, a relative column a signed 8-bit one.
constexpr uint16_t kRowRelative = 0x8000;
constexpr uint16_t kColumnRelative = 0x4000;
constexpr uint16_t kColumnMask = 0x00FF;

// One end of a reference: where it points on the sheet, and how it is written.
struct End {
    int32_t row = 0;
    int32_t column = 0;
    uint16_t column_field = 0;
};

End resolve(uint16_t row, uint16_t column_field, const CellRange &anchor) {
    End end{row, column_field & kColumnMask, column_field};
    if (column_field & kRowRelative) end.row = (anchor.first_row + row) & 0xFFFF;
    if (column_field & kColumnRelative) {
        end.column = (anchor.first_column + static_cast<int8_t>(column_field & kColumnMask)) & 0xFF;
    }
    return end;
}

void store_end(uint8_t *row_at, uint8_t *column_at, const End &end, const CellRange &anchor) {
    const bool row_relative = end.column_field & kRowRelative;
    const bool column_relative = end.column_field & kColumnRelative;
    const int32_t row = row_relative ? end.row - anchor.first_row : end.row;
    const int32_t column = column_relative ? end.column - anchor.first_column : end.column;
    store_u16(row_at, static_cast<uint16_t>(row & 0xFFFF));
    store_u16(column_at,
              static_cast<uint16_t>((end.column_field & ~kColumnMask) | (column & 0xFF)));
}

class AnchoredMover : public TokenVisitor {
  public:
    AnchoredMover(const GridMove &move, const CellRange &old_anchor, const CellRange &new_anchor)
        : move_(move), old_(old_anchor), new_(new_anchor) {}

    int on_cell(WalkedToken &token) override {
        if (token.base != ptg::kRefN) return 0;
        uint8_t *p = token.bytes.data() + 1;
        End end = resolve(load_u16(p), load_u16(p + 2), old_);
        int32_t &moved = move_.rows ? end.row : end.column;
        moved = move_position(move_.axis, moved);
        if (moved < 0) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
            return 0;
        }
        store_end(p, p + 2, end, new_);
        return 0;
    }

    int on_area(WalkedToken &token) override {
        if (token.base != ptg::kAreaN) return 0;
        uint8_t *p = token.bytes.data() + 1;
        End first = resolve(load_u16(p), load_u16(p + 4), old_);
        End last = resolve(load_u16(p + 2), load_u16(p + 6), old_);
        int32_t &from = move_.rows ? first.row : first.column;
        int32_t &to = move_.rows ? last.row : last.column;
        if (from > to || !move_span(move_.axis, from, true, to, true)) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
            return 0;
        }
        store_end(p, p + 4, first, new_);
        store_end(p + 2, p + 6, last, new_);
        return 0;
    }

  private:
    const GridMove &move_;
    const CellRange &old_;
    const CellRange &new_;
};

}  // namespace

CellRange load_range(const uint8_t *at) {
    return CellRange{load_u16(at), load_u16(at + 2), load_u16(at + 4), load_u16(at + 6)};
}

void store_range(uint8_t *at, const CellRange &range) {
    store_u16(at, static_cast<uint16_t>(range.first_row));
    store_u16(at + 2, static_cast<uint16_t>(range.last_row));
    store_u16(at + 4, static_cast<uint16_t>(range.first_column));
    store_u16(at + 6, static_cast<uint16_t>(range.last_column));
}

bool move_range(CellRange &range, const GridMove &move) {
    int32_t &first = move.rows ? range.first_row : range.first_column;
    int32_t &last = move.rows ? range.last_row : range.last_column;
    // Columns are written in two bytes but number 256: an end beyond them counts as the last.
    last = std::min(last, move.axis.last);
    return first <= last && move_span(move.axis, first, true, last, true);
}

std::optional<CellRange> intersection(const CellRange &a, const CellRange &b) {
    const CellRange out{std::max(a.first_row, b.first_row), std::min(a.last_row, b.last_row),
                        std::max(a.first_column, b.first_column),
                        std::min(a.last_column, b.last_column)};
    if (out.first_row > out.last_row || out.first_column > out.last_column) return std::nullopt;
    return out;
}

std::vector<CellRange> difference(const CellRange &a, const CellRange &b) {
    const auto common = intersection(a, b);
    if (!common) return {a};
    std::vector<CellRange> out;
    if (a.first_row < common->first_row) {
        out.push_back({a.first_row, common->first_row - 1, a.first_column, a.last_column});
    }
    if (common->last_row < a.last_row) {
        out.push_back({common->last_row + 1, a.last_row, a.first_column, a.last_column});
    }
    if (a.first_column < common->first_column) {
        out.push_back(
            {common->first_row, common->last_row, a.first_column, common->first_column - 1});
    }
    if (common->last_column < a.last_column) {
        out.push_back(
            {common->first_row, common->last_row, common->last_column + 1, a.last_column});
    }
    return out;
}

CellRange range_of(const CellRect &rect) {
    return CellRange{std::max(rect.y, 0), std::min(rect.last_y(), kLastRow), std::max(rect.x, 0),
                     std::min(rect.last_x(), kLastColumn)};
}

CellRange bounds_of(const std::vector<CellRange> &ranges) {
    CellRange out = ranges.front();
    for (const CellRange &range : ranges) {
        out.first_row = std::min(out.first_row, range.first_row);
        out.last_row = std::max(out.last_row, range.last_row);
        out.first_column = std::min(out.first_column, range.first_column);
        out.last_column = std::max(out.last_column, range.last_column);
    }
    return out;
}

std::vector<MergedRange> copied_rule_ranges(const std::vector<CellRange> &ranges,
                                            const CellRange &copied) {
    std::vector<MergedRange> out;
    for (const CellRange &range : ranges) {
        if (const auto common = intersection(range, copied)) {
            out.push_back(MergedRange{static_cast<uint16_t>(common->first_row),
                                      static_cast<uint16_t>(common->last_row),
                                      static_cast<uint16_t>(common->first_column),
                                      static_cast<uint16_t>(common->last_column)});
        }
    }
    return out;
}

std::vector<CellRange> pasted_rule_ranges(const std::vector<CellRange> &ranges,
                                          const CellRange &target, const CopiedRule *copied,
                                          int32_t dx, int32_t dy) {
    std::vector<CellRange> out;
    for (const CellRange &range : ranges) {
        for (const CellRange &part : difference(range, target)) out.push_back(part);
    }
    if (!copied) return out;
    for (const MergedRange &part : copied->ranges) {
        const CellRange moved{part.first_row + dy, part.last_row + dy, part.first_column + dx,
                              part.last_column + dx};
        if (const auto kept = intersection(moved, target)) out.push_back(*kept);
    }
    return out;
}

const CopiedRule *find_copied_rule(const std::vector<CopiedRule> &rules,
                                   std::span<const uint8_t> identity) {
    for (const CopiedRule &rule : rules) {
        if (std::ranges::equal(rule.identity, identity)) return &rule;
    }
    return nullptr;
}

std::optional<std::vector<CellRange>> load_range_list(std::span<const uint8_t> data, size_t at,
                                                      size_t *end) {
    if (at > data.size() || data.size() - at < 2) return std::nullopt;
    const size_t count = load_u16(data.data() + at);
    at += 2;
    if (count > (data.size() - at) / kRangeBytes) return std::nullopt;
    std::vector<CellRange> ranges;
    ranges.reserve(count);
    for (size_t i = 0; i < count; ++i, at += kRangeBytes) {
        ranges.push_back(load_range(data.data() + at));
    }
    *end = at;
    return ranges;
}

void put_range_list(std::vector<uint8_t> &out, const std::vector<CellRange> &ranges) {
    put_u16(out, static_cast<uint16_t>(ranges.size()));
    for (const CellRange &range : ranges) {
        out.resize(out.size() + kRangeBytes);
        store_range(out.data() + out.size() - kRangeBytes, range);
    }
}

void move_range_list(std::vector<CellRange> &ranges, const GridMove &move) {
    std::erase_if(ranges, [&](CellRange &range) { return !move_range(range, move); });
}

void move_anchored_expression(std::span<uint8_t> expression, const GridMove &move,
                              const CellRange &anchor) {
    // Where the anchor's cell lay before the move: undo the shift, then the deletion.
    CellRange old_anchor = anchor;
    int32_t &position = move.rows ? old_anchor.first_row : old_anchor.first_column;
    if (move.axis.shift != 0 && position >= move.axis.at) position -= move.axis.shift;
    if (move.axis.deleted > 0 && position >= move.axis.at) position += move.axis.deleted;
    ReferenceMove references;
    (move.rows ? references.rows : references.columns) = move.axis;
    references.absolute_too = true;
    move_expression(expression, references);
    AnchoredMover mover(move, old_anchor, anchor);
    walk_tokens(expression, BiffVersion::kBiff8, mover);
}

}  // namespace tabrix::engine
