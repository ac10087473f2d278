#include "engine/edit/references/reference_moves.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/formula_scanner.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

constexpr size_t kHeaderBytes = 4;
// FORMULA data: row, column, XF, result, options, chain, then the token length and tokens.
constexpr size_t kFormulaLengthAt = 20;
constexpr size_t kFormulaTokensAt = 22;
// ARRAY data: its range, options, chain, then the token length and tokens. TABLE starts
// with the same range.
constexpr size_t kArrayLengthAt = 12;
constexpr size_t kArrayTokensAt = 14;
constexpr size_t kRangeBytes = 6;
// TABLE: after its range, options and the input cells (row, column each): the first always,
// the second only in a table of two inputs.
constexpr size_t kTableOptionsAt = 6;
constexpr size_t kTableInputsAt = 8;
constexpr size_t kTableBytes = 16;
constexpr uint16_t kTwoInputs = 0x0008;
// The relative flags of an Excel 97 reference sit in its column field.
constexpr uint16_t kRowRelative = 0x8000;
constexpr uint16_t kColumnRelative = 0x4000;
constexpr uint16_t kColumnMask = 0x00FF;

constexpr int32_t kGone = -1;

bool in_deleted_span(const AxisMove &move, int32_t position) {
    return move.deleted > 0 && position >= move.at && position < move.at + move.deleted;
}

}  // namespace

int32_t move_position(const AxisMove &move, int32_t position) {
    if (move.deleted > 0) {
        if (position >= move.at && position < move.at + move.deleted) return kGone;
        if (position >= move.at + move.deleted) position -= move.deleted;
    }
    if (move.shift != 0 && position >= move.at) {
        position += move.shift;
        if (position < 0 || position > move.last) return kGone;
    }
    return position;
}

bool move_span(const AxisMove &move, int32_t &first, bool first_follows, int32_t &last,
               bool last_follows) {
    if (move.keep_whole && first == 0 && last == move.last) return true;
    int32_t new_first = first_follows ? move_position(move, first) : first;
    int32_t new_last = last_follows ? move_position(move, last) : last;
    if (new_first == kGone && new_last == kGone) return false;
    if (new_first == kGone) {
        if (in_deleted_span(move, first)) {
            new_first = move.at;
        } else if (move.stop_at_edge) {
            new_first = std::clamp(first + move.shift, 0, move.last);
        } else {
            return false;
        }
    }
    if (new_last == kGone) {
        if (in_deleted_span(move, last)) {
            new_last = move.at - 1;
        } else if (move.stop_at_edge) {
            new_last = std::clamp(last + move.shift, 0, move.last);
        } else {
            return false;
        }
    }
    if (new_first > new_last) return false;
    first = new_first;
    last = new_last;
    return true;
}

namespace {

class ReferenceMover : public TokenVisitor {
  public:
    explicit ReferenceMover(const ReferenceMove &move) : move_(move) {}

    int on_cell(WalkedToken &token) override {
        // Deleted forms, and offsets that need no move, stay as they are.
        if (token.base == ptg::kRef && move_.plain) move_cell(token, 1);
        return 0;
    }

    int on_area(WalkedToken &token) override {
        if (token.base == ptg::kArea && move_.plain) move_area(token, 1);
        return 0;
    }

    // Excel 97 3-D forms: the EXTERNSHEET index, then the fields of the 2-D form.
    int on_cell_3d(WalkedToken &token) override {
        if (token.base != ptg::kRef3d) return 0;
        const auto reach = move_.reach(load_u16(token.bytes.data() + 1));
        if (reach == ReferenceMove::Reach::kAlone) move_cell(token, 3);
        if (reach == ReferenceMove::Reach::kSpan) mark_deleted_cell(token, 3);
        return 0;
    }

    int on_area_3d(WalkedToken &token) override {
        if (token.base != ptg::kArea3d) return 0;
        const auto reach = move_.reach(load_u16(token.bytes.data() + 1));
        if (reach == ReferenceMove::Reach::kAlone) move_area(token, 3);
        if (reach == ReferenceMove::Reach::kSpan) mark_deleted_area(token, 3);
        return 0;
    }

    // The anchor cell of an array or table formula moves with the cells.
    int on_shared(WalkedToken &token) override {
        uint8_t *p = token.bytes.data() + 1;
        const int32_t row = move_position(move_.rows, load_u16(p));
        const int32_t column = move_position(move_.columns, load_u16(p + 2));
        if (row != kGone && column != kGone) {
            store_u16(p, static_cast<uint16_t>(row));
            store_u16(p + 2, static_cast<uint16_t>(column));
        }
        return 0;
    }

  private:
    bool follows(uint16_t column_field, uint16_t relative_bit) const {
        return move_.absolute_too || (column_field & relative_bit) != 0;
    }

    // Row and column field at `at` bytes into the token.
    void move_cell(WalkedToken &token, size_t at) {
        uint8_t *p = token.bytes.data() + at;
        const uint16_t column_field = load_u16(p + 2);
        int32_t row = load_u16(p);
        int32_t column = column_field & kColumnMask;
        if (follows(column_field, kRowRelative)) row = move_position(move_.rows, row);
        if (follows(column_field, kColumnRelative)) column = move_position(move_.columns, column);
        if (row == kGone || column == kGone) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
            return;
        }
        store_u16(p, static_cast<uint16_t>(row));
        store_u16(p + 2, static_cast<uint16_t>((column_field & ~kColumnMask) | column));
    }

    // A reference over several sheets keeps its cells, unless they are deleted on one of them.
    void mark_deleted_cell(WalkedToken &token, size_t at) {
        const uint8_t *p = token.bytes.data() + at;
        if (in_deleted_span(move_.rows, load_u16(p)) ||
            in_deleted_span(move_.columns, load_u16(p + 2) & kColumnMask)) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
        }
    }

    void mark_deleted_area(WalkedToken &token, size_t at) {
        const uint8_t *p = token.bytes.data() + at;
        if (in_deleted_span(move_.rows, load_u16(p)) &&
            in_deleted_span(move_.rows, load_u16(p + 2))) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
        }
        if (in_deleted_span(move_.columns, load_u16(p + 4) & kColumnMask) &&
            in_deleted_span(move_.columns, load_u16(p + 6) & kColumnMask)) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
        }
    }

    // First and last row, then first and last column field, at `at` bytes into the token.
    void move_area(WalkedToken &token, size_t at) {
        uint8_t *p = token.bytes.data() + at;
        const uint16_t first_field = load_u16(p + 4);
        const uint16_t last_field = load_u16(p + 6);
        int32_t first_row = load_u16(p);
        int32_t last_row = load_u16(p + 2);
        int32_t first_column = first_field & kColumnMask;
        int32_t last_column = last_field & kColumnMask;
        if (!move_span(move_.rows, first_row, follows(first_field, kRowRelative), last_row,
                       follows(last_field, kRowRelative)) ||
            !move_span(move_.columns, first_column, follows(first_field, kColumnRelative),
                       last_column, follows(last_field, kColumnRelative))) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
            return;
        }
        store_u16(p, static_cast<uint16_t>(first_row));
        store_u16(p + 2, static_cast<uint16_t>(last_row));
        store_u16(p + 4, static_cast<uint16_t>((first_field & ~kColumnMask) | first_column));
        store_u16(p + 6, static_cast<uint16_t>((last_field & ~kColumnMask) | last_column));
    }

    const ReferenceMove &move_;
};

// The tokens of a record's data, when they lie inside it.
template <class Byte>
std::span<Byte> tokens_of(std::span<Byte> data, size_t length_at, size_t tokens_at) {
    if (data.size() < tokens_at) return {};
    const size_t length = load_u16(data.data() + length_at);
    if (length > data.size() - tokens_at) return {};
    return data.subspan(tokens_at, length);
}

// The data of each record in an image: the FORMULA first, then what it carries.
template <class Byte, class Visit>
bool for_each_record(std::span<Byte> image, Visit &&visit) {
    for (size_t at = 0; at < image.size();) {
        if (image.size() - at < kHeaderBytes) return false;
        const uint16_t number = load_u16(image.data() + at);
        const size_t length = load_u16(image.data() + at + 2);
        if (length > image.size() - at - kHeaderBytes) return false;
        if (!visit(number, image.subspan(at + kHeaderBytes, length))) return false;
        at += kHeaderBytes + length;
    }
    return true;
}

bool walkable(uint16_t number, std::span<const uint8_t> data) {
    std::span<const uint8_t> tokens;
    if (number == rec::kFormula) {
        if (data.size() < kFormulaTokensAt) return false;
        tokens = tokens_of(data, kFormulaLengthAt, kFormulaTokensAt);
        if (tokens.size() != load_u16(data.data() + kFormulaLengthAt)) return false;
    } else if (number == rec::kArray) {
        if (data.size() < kArrayTokensAt) return false;
        tokens = tokens_of(data, kArrayLengthAt, kArrayTokensAt);
        if (tokens.size() != load_u16(data.data() + kArrayLengthAt)) return false;
    } else if (number == rec::kTable) {
        return data.size() >= kRangeBytes;
    }
    return check_tokens(tokens, BiffVersion::kBiff8) == 0;
}

// The range an ARRAY or TABLE record covers: first and last row, first and last column.
void move_range(std::span<uint8_t> data, const ReferenceMove &move) {
    int32_t first_row = load_u16(data.data());
    int32_t last_row = load_u16(data.data() + 2);
    int32_t first_column = data[4];
    int32_t last_column = data[5];
    if (!move_span(move.rows, first_row, true, last_row, true) ||
        !move_span(move.columns, first_column, true, last_column, true)) {
        return;  // the anchor goes with it
    }
    store_u16(data.data(), static_cast<uint16_t>(first_row));
    store_u16(data.data() + 2, static_cast<uint16_t>(last_row));
    data[4] = static_cast<uint8_t>(first_column);
    data[5] = static_cast<uint8_t>(last_column);
}

size_t table_input_count(std::span<const uint8_t> data) {
    if (data.size() < kTableBytes) return 0;
    return (load_u16(data.data() + kTableOptionsAt) & kTwoInputs) ? 2 : 1;
}

void move_table_inputs(std::span<uint8_t> data, const ReferenceMove &move) {
    for (size_t i = 0; i < table_input_count(data); ++i) {
        uint8_t *input = data.data() + kTableInputsAt + 4 * i;
        const int32_t row = move_position(move.rows, load_u16(input));
        const int32_t column = move_position(move.columns, load_u16(input + 2));
        if (row == kGone || column == kGone) continue;  // refused before anything moved
        store_u16(input, static_cast<uint16_t>(row));
        store_u16(input + 2, static_cast<uint16_t>(column));
    }
}

}  // namespace

void move_expression(std::span<uint8_t> expression, const ReferenceMove &move) {
    ReferenceMover mover(move);
    walk_tokens(expression, BiffVersion::kBiff8, mover);
}

int32_t check_table_inputs(const Sheet &sheet, const AxisMove &move, bool rows) {
    if (move.deleted <= 0) return 0;
    int32_t rc = 0;
    sheet.cells.for_each([&](const CellView &view) {
        const auto carried = view.carried(rec::kTable);
        if (carried.size() < kHeaderBytes) return true;
        const auto data = carried.subspan(kHeaderBytes);
        for (size_t i = 0; i < table_input_count(data); ++i) {
            const uint8_t *input = data.data() + kTableInputsAt + 4 * i;
            const int32_t position = rows ? load_u16(input) : load_u16(input + 2);
            if (position >= move.at && position < move.at + move.deleted) rc = kUnwalkableFormula;
        }
        return rc == 0;
    });
    return rc;
}

int32_t check_formula_image(std::span<const uint8_t> image) {
    if (image.size() < 2 || load_u16(image.data()) != rec::kFormula) return 0;
    return for_each_record(image, walkable) ? 0 : kUnwalkableFormula;
}

int32_t check_sheet_formulas(const Sheet &sheet) {
    int32_t rc = 0;
    sheet.cells.for_each([&](const CellView &view) {
        if (view.number == rec::kFormula) rc = check_formula_image(view.image);
        return rc == 0;
    });
    return rc;
}

int32_t check_formula_ranges(const Sheet &sheet, const AxisMove &move, bool rows) {
    if (move.deleted <= 0) return 0;
    const int32_t last_deleted = move.at + move.deleted - 1;
    int32_t rc = 0;
    sheet.cells.for_each([&](const CellView &view) {
        for (const uint16_t number : {rec::kArray, rec::kTable}) {
            const auto carried = view.carried(number);
            if (carried.size() < kHeaderBytes + kRangeBytes) continue;
            const uint8_t *range = carried.data() + kHeaderBytes;
            const int32_t first = rows ? load_u16(range) : range[4];
            const int32_t last = rows ? load_u16(range + 2) : range[5];
            const bool cut = first <= last_deleted && last >= move.at;
            const bool covered = first >= move.at && last <= last_deleted;
            if (cut && !covered) rc = kUnwalkableFormula;
        }
        return rc == 0;
    });
    return rc;
}

void move_formula_image(std::span<uint8_t> image, const ReferenceMove &move) {
    if (image.size() < 2 || load_u16(image.data()) != rec::kFormula) return;
    ReferenceMover mover(move);
    for_each_record(image, [&](uint16_t number, std::span<uint8_t> data) {
        if (number == rec::kFormula) {
            walk_tokens(tokens_of(data, kFormulaLengthAt, kFormulaTokensAt), BiffVersion::kBiff8,
                        mover);
        } else if (number == rec::kArray) {
            move_range(data, move);
            walk_tokens(tokens_of(data, kArrayLengthAt, kArrayTokensAt), BiffVersion::kBiff8,
                        mover);
        } else if (number == rec::kTable && data.size() >= kRangeBytes) {
            move_range(data, move);
            if (move.absolute_too) move_table_inputs(data, move);
        }
        return true;
    });
}

void visit_formula_expressions(std::span<uint8_t> image, TokenVisitor &visitor) {
    if (image.size() < 2 || load_u16(image.data()) != rec::kFormula) return;
    for_each_record(image, [&](uint16_t number, std::span<uint8_t> data) {
        if (number == rec::kFormula) {
            walk_tokens(tokens_of(data, kFormulaLengthAt, kFormulaTokensAt), BiffVersion::kBiff8,
                        visitor);
        } else if (number == rec::kArray) {
            walk_tokens(tokens_of(data, kArrayLengthAt, kArrayTokensAt), BiffVersion::kBiff8,
                        visitor);
        }
        return true;
    });
}

void move_sheet_references(Sheet &sheet, const ReferenceMove &move) {
    sheet.cells.edit_images([&](std::span<uint8_t> image) { move_formula_image(image, move); });
}

}  // namespace tabrix::engine
