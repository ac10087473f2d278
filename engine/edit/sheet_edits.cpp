#include "engine/edit/sheet_edits.h"

#include <span>

#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/references/copied_sheet_references.h"
#include "engine/edit/references/name_references.h"
#include "engine/formula/formula_record.h"
#include "engine/formula/token_walker.h"
#include "engine/layout/sheet_operations.h"

namespace tabrix::engine {
namespace {

constexpr size_t kTokenLengthOffset = kFormulaHeadSize - 2;

// The expression of a FORMULA record's data; false when its length field overruns the data.
template <typename Byte>
bool formula_expression(std::span<Byte> data, std::span<Byte> *expression) {
    if (data.size() < kFormulaHeadSize) return false;
    const size_t length = load_u16(data.data() + kTokenLengthOffset);
    if (length > data.size() - kFormulaHeadSize) return false;
    *expression = data.subspan(kFormulaHeadSize, length);
    return true;
}

class SheetRenumbering : public TokenVisitor {
  public:
    explicit SheetRenumbering(SheetShift shift) : shift_(shift) {}

    int on_cell_3d(WalkedToken &token) override { return renumber(token); }
    int on_area_3d(WalkedToken &token) override { return renumber(token); }

  private:
    int renumber(WalkedToken &token) {
        uint8_t *p = token.bytes.data();
        // A non-negative index names another workbook, whose sheets do not move.
        if (static_cast<int16_t>(load_u16(p + kBiff5ExternIndexOffset)) >= 0) return 0;
        uint16_t first = load_u16(p + kBiff5FirstSheetOffset);
        uint16_t last = load_u16(p + kBiff5LastSheetOffset);
        if (!shift_sheet_span(first, last, shift_)) p[0] = deleted_reference_code(p[0]);
        store_u16(p + kBiff5FirstSheetOffset, first);
        store_u16(p + kBiff5LastSheetOffset, last);
        return 0;
    }

    SheetShift shift_;
};

// Excel 95: references to one sheet alone that name another instead (a copied sheet's
// references to its source).
class SheetRetarget : public TokenVisitor {
  public:
    SheetRetarget(uint16_t from, uint16_t to) : from_(from), to_(to) {}

    int on_cell_3d(WalkedToken &token) override { return retarget(token); }
    int on_area_3d(WalkedToken &token) override { return retarget(token); }

  private:
    int retarget(WalkedToken &token) {
        uint8_t *p = token.bytes.data();
        if (static_cast<int16_t>(load_u16(p + kBiff5ExternIndexOffset)) >= 0) return 0;
        if (load_u16(p + kBiff5FirstSheetOffset) != from_ ||
            load_u16(p + kBiff5LastSheetOffset) != from_) {
            return 0;
        }
        store_u16(p + kBiff5FirstSheetOffset, to_);
        store_u16(p + kBiff5LastSheetOffset, to_);
        return 0;
    }

    uint16_t from_;
    uint16_t to_;
};

void walk_sheet_formulas(Sheet &sheet, TokenVisitor &visitor) {
    sheet.cells.edit_each([&](uint16_t number, std::span<uint8_t> data) {
        std::span<uint8_t> expression;
        if (number != rec::kFormula || !formula_expression(data, &expression)) return;
        if (check_tokens(expression, BiffVersion::kBiff5) != 0) return;
        walk_tokens(expression, BiffVersion::kBiff5, visitor);
    });
}

// Excel 95: the copy's references to its source name the copy, in its tokens and in the
// EXTERNSHEET records of the copy that name the source.
void retarget_copied_sheet(Workbook &book, int32_t source, int32_t copy) {
    Sheet &copied = *book.sheets[static_cast<size_t>(copy)];
    SheetRetarget retarget(static_cast<uint16_t>(source), static_cast<uint16_t>(copy));
    walk_sheet_formulas(copied, retarget);
    rename_sheet_references(book, book.sheets[static_cast<size_t>(source)]->name, copied.name,
                            &copied);
}

}  // namespace

int32_t check_formula_sheets(const Workbook &book, int32_t skip_first, int32_t skip_count) {
    if (book.biff8()) return 0;
    int32_t rc = names_walkable(book) ? 0 : err::kFormulaNotWalkable;
    for (int32_t s = 0; s < book.sheet_count() && rc == 0; ++s) {
        if (s >= skip_first && s < skip_first + skip_count) continue;
        book.sheets[static_cast<size_t>(s)]->cells.for_each([&](const CellView &cell) {
            if (cell.number != rec::kFormula) return true;
            std::span<const uint8_t> expression;
            if (!formula_expression(cell.data(), &expression) ||
                check_tokens(expression, BiffVersion::kBiff5) != 0) {
                rc = err::kFormulaNotWalkable;
            }
            return rc == 0;
        });
    }
    return rc;
}

void shift_formula_sheets(Workbook &book, SheetShift shift) {
    if (book.biff8()) return;
    SheetRenumbering renumbering(shift);
    for (Record &record : book.external_references.records()) {
        if (record.number != rec::kName) continue;
        if (const auto bounds = name_expression(record.data, false)) {
            walk_tokens(std::span(record.data).subspan(bounds->at, bounds->length),
                        BiffVersion::kBiff5, renumbering);
        }
    }
    for (const auto &sheet : book.sheets) walk_sheet_formulas(*sheet, renumbering);
}

int32_t delete_sheets_with_formulas(BookRef ref, int32_t first, int32_t count) {
    if (!ref.book) return ref.missing;
    if (int32_t rc = check_delete_sheets(*ref.book, first, &count); rc != 0) return rc;
    if (int32_t rc = check_formula_sheets(*ref.book, first, count); rc != 0) return rc;
    if (int32_t rc = delete_sheets(ref, first, count); rc != 0) return rc;
    shift_formula_sheets(
        *ref.book, SheetShift{static_cast<uint16_t>(first), static_cast<uint16_t>(count), true});
    return 0;
}

int32_t copy_sheet_with_formulas(BookRef ref, int32_t source, int32_t position,
                                 std::u16string_view name) {
    if (!ref.book) return ref.missing;
    if (int32_t rc = check_copy_sheet(*ref.book, source, position, name); rc != 0) return rc;
    // A copy appended moves no sheet, so no formula needs to change.
    const bool moves = position < ref.book->sheet_count();
    if (moves) {
        if (int32_t rc = check_formula_sheets(*ref.book, 0, 0); rc != 0) return rc;
    }
    if (int32_t rc = check_copied_sheet_references(*ref.book, source); rc != 0) return rc;
    if (int32_t rc = copy_sheet(ref, source, position, name); rc != 0) return rc;
    if (moves)
        shift_formula_sheets(*ref.book, SheetShift{static_cast<uint16_t>(position), 1, false});
    const int32_t moved_source = source < position ? source : source + 1;
    if (ref.book->biff8()) {
        take_over_sheet_references(*ref.book, moved_source, position);
    } else {
        retarget_copied_sheet(*ref.book, moved_source, position);
    }
    return 0;
}

}  // namespace tabrix::engine
