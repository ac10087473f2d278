#include "engine/formula/shared_formulas.h"

#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/formula/formula_scanner.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// SHRFMLA: first and last row, first and last column (a byte each), a reserved word, the
// expression's length.
constexpr size_t kSharedHeadSize = 10;
// ptgRefN and ptgAreaN lie this far above ptgRef and ptgArea, in every class.
constexpr uint8_t kRelativeFormDistance = ptg::kRefN - ptg::kRef;
constexpr uint16_t kRowRelative = 0x8000;
constexpr uint16_t kColumnRelative = 0x4000;
// Excel 95 keeps the relative flags in the row field, above a 14-bit row.
constexpr uint16_t kBiff5RowMask = 0x3FFF;

// A row or column of the cell moved by an offset, round the grid.
struct Origin {
    uint16_t row = 0;
    uint16_t column = 0;
};

class SharedReferences : public TokenVisitor {
  public:
    SharedReferences(Origin origin, bool biff8) : origin_(origin), biff8_(biff8) {}

    int on_cell(WalkedToken &token) override {
        if (token.base != ptg::kRefN) return 0;
        uint8_t *p = token.bytes.data() + 1;
        if (biff8_) {
            resolve_biff8(p, p + 2);
        } else {
            resolve_biff5(p, p + 2);
        }
        token.bytes[0] = static_cast<uint8_t>(token.bytes[0] - kRelativeFormDistance);
        return 0;
    }

    int on_area(WalkedToken &token) override {
        if (token.base != ptg::kAreaN) return 0;
        uint8_t *p = token.bytes.data() + 1;
        if (biff8_) {
            resolve_biff8(p, p + 4);
            resolve_biff8(p + 2, p + 6);
        } else {
            resolve_biff5(p, p + 4);
            resolve_biff5(p + 2, p + 5);
        }
        token.bytes[0] = static_cast<uint8_t>(token.bytes[0] - kRelativeFormDistance);
        return 0;
    }

  private:
    // Excel 97: a 16-bit row (a signed offset when relative), a column word holding the
    // flags in bits 14 and 15 and the column (a signed offset when relative) in bits 0-7.
    void resolve_biff8(uint8_t *row_field, uint8_t *column_field) const {
        const uint16_t row = load_u16(row_field);
        const uint16_t column = load_u16(column_field);
        if (column & kRowRelative) {
            store_u16(row_field, static_cast<uint16_t>(origin_.row + static_cast<int16_t>(row)));
        }
        uint8_t resolved = static_cast<uint8_t>(column);
        if (column & kColumnRelative) {
            resolved = static_cast<uint8_t>(origin_.column + static_cast<int8_t>(resolved));
        }
        store_u16(column_field,
                  static_cast<uint16_t>((column & (kRowRelative | kColumnRelative)) | resolved));
    }

    // Excel 95: the flags and a 14-bit row (a signed offset when relative) in the row
    // field, the column (a signed offset when relative) in one byte.
    void resolve_biff5(uint8_t *row_field, uint8_t *column_field) const {
        const uint16_t field = load_u16(row_field);
        uint16_t row = field & kBiff5RowMask;
        if (field & kRowRelative) {
            const int offset = static_cast<int>(row ^ 0x2000) - 0x2000;  // sign of bit 13
            row = static_cast<uint16_t>((origin_.row + offset) & kBiff5RowMask);
        }
        store_u16(row_field, static_cast<uint16_t>((field & ~kBiff5RowMask) | row));
        if (field & kColumnRelative) {
            *column_field =
                static_cast<uint8_t>(origin_.column + static_cast<int8_t>(*column_field));
        }
    }

    Origin origin_;
    bool biff8_;
};

}  // namespace

std::optional<SharedFormula> read_shared_formula(std::span<const uint8_t> body) {
    if (body.size() < kSharedHeadSize) return std::nullopt;
    SharedFormula shared;
    shared.first_row = load_u16(body.data());
    shared.last_row = load_u16(body.data() + 2);
    shared.first_column = body[4];
    shared.last_column = body[5];
    const size_t length = load_u16(body.data() + 8);
    if (length > body.size() - kSharedHeadSize || shared.first_row > shared.last_row ||
        shared.first_column > shared.last_column) {
        return std::nullopt;
    }
    const auto expression = body.subspan(kSharedHeadSize, length);
    const auto values = body.subspan(kSharedHeadSize + length);
    shared.expression.assign(expression.begin(), expression.end());
    shared.array_values.assign(values.begin(), values.end());
    return shared;
}

int resolve_shared_expression(std::span<uint8_t> expression, uint16_t row, uint16_t column,
                              BiffVersion version) {
    if (int rc = check_tokens(expression, version); rc != 0) return rc;
    SharedReferences references(Origin{row, column}, version == BiffVersion::kBiff8);
    return walk_tokens(expression, version, references);
}

}  // namespace tabrix::engine
