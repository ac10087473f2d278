// Formula references kept in step with cells that move: rows or columns inserted or deleted,
// and cells pasted elsewhere. Rows or columns that move take every coordinate along, relative
// or absolute, in 2-D references of the moved sheet and in the 3-D references that name it
// alone; a paste moves the relative coordinates of what it pastes. The anchor of an array or
// table formula (its ptgExp or ptgTbl and its ARRAY or TABLE range) always moves with its
// cells.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/formula/token_walker.h"
#include "engine/model/sheet.h"

namespace tabrix::engine {

// The row and column calls report a formula they cannot step through as -4.
inline constexpr int32_t kUnwalkableFormula = -4;

// How positions along one axis move: positions at..at + deleted - 1 are gone and the ones
// after them move back by `deleted`; then positions at or after `at` move by `shift`.
// A position that leaves 0..last is gone too.
struct AxisMove {
    int32_t at = 0;
    int32_t deleted = 0;
    int32_t shift = 0;
    int32_t last = 65535;
    // An area over the whole axis (a whole column for rows) stays whole: a row insert or
    // delete leaves A:A as it is.
    bool keep_whole = false;
    // An area end shifted off the axis stops at its edge (an insert pushing a range's end
    // past the last row); otherwise the area is gone (a paste moving it off the sheet).
    bool stop_at_edge = false;
};

// Where a position goes, or -1 when it is gone.
int32_t move_position(const AxisMove &move, int32_t position);
// Moves the ends first..last of a span on one axis, each only when it follows the cells. An
// end in the deleted positions stops at the nearest one that remains, an end shifted off the
// axis at the edge when the move says so; false when nothing of the span remains.
bool move_span(const AxisMove &move, int32_t &first, bool first_follows, int32_t &last,
               bool last_follows);

struct ReferenceMove {
    AxisMove rows;
    AxisMove columns{0, 0, 0, 255, false, false};
    // Rows or columns inserted or deleted move absolute coordinates too; a paste moves only the
    // relative ones.
    bool absolute_too = false;
    // Whether 2-D references follow: they do in formulas of the sheet whose cells move.
    bool plain = true;
    // The 3-D references (Excel 97) that follow: every one (a paste), or those whose
    // EXTERNSHEET entry names the moved sheet alone. One over several sheets, the moved one
    // among them, stays, but names nothing when its cells are deleted.
    bool every_3d = false;
    enum class Reach : uint8_t { kOther, kAlone, kSpan };
    std::vector<Reach> extern_entries;

    Reach reach(uint16_t index) const {
        if (every_3d) return Reach::kAlone;
        return index < extern_entries.size() ? extern_entries[index] : Reach::kOther;
    }
};

// 0 when the record is no FORMULA, or its tokens and those of the array formula it anchors
// can be stepped through and lie inside the record; else kUnwalkableFormula.
int32_t check_formula_image(std::span<const uint8_t> image);
// 0 when every FORMULA of the sheet passes check_formula_image.
int32_t check_sheet_formulas(const Sheet &sheet);
// kUnwalkableFormula when deleting along the rows (else the columns) would cut an array or
// table formula's range in part: its other cells would name an anchor that is gone.
int32_t check_formula_ranges(const Sheet &sheet, const AxisMove &move, bool rows);

// Moves the references of an Excel 97 expression (checked): a single reference that is gone
// becomes the deleted form of its class (ptgRefErr, ptgRefErr3d); an area keeps what remains
// of it (see move_span) and becomes the deleted form when nothing remains on an axis.
void move_expression(std::span<uint8_t> expression, const ReferenceMove &move);

// kUnwalkableFormula when deleting along the rows (else the columns) would remove the input
// cell of a table formula (TABLE) of the sheet, which has no form that says it is gone.
int32_t check_table_inputs(const Sheet &sheet, const AxisMove &move, bool rows);

// Moves the references of a FORMULA image (checked) and of the ARRAY or TABLE it carries, the
// input cells of a TABLE too when absolute coordinates follow.
void move_formula_image(std::span<uint8_t> image, const ReferenceMove &move);
// Walks the Excel 97 expressions of a FORMULA image (checked): its own and that of the array
// formula it anchors.
void visit_formula_expressions(std::span<uint8_t> image, TokenVisitor &visitor);

// Moves the references of every FORMULA of the sheet (checked).
void move_sheet_references(Sheet &sheet, const ReferenceMove &move);

}  // namespace tabrix::engine
