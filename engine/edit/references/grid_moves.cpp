#include "engine/edit/references/grid_moves.h"

#include <algorithm>

#include "engine/edit/objects/attached_ranges.h"
#include "engine/edit/references/name_references.h"
#include "engine/layout/sheet_references.h"

namespace tabrix::engine {
namespace {

// The move as the references see it, with the reach of each EXTERNSHEET entry: the moved sheet
// alone, a span of sheets with it among them, or other sheets.
ReferenceMove reference_move(const Workbook &book, const GridMove &move) {
    ReferenceMove references;
    (move.rows ? references.rows : references.columns) = move.axis;
    references.absolute_too = true;
    const uint16_t self = self_supbook_index(book);
    const auto sheet = static_cast<uint16_t>(move.sheet);
    references.extern_entries.reserve(book.extern_sheets.size());
    for (const ExternSheetEntry &entry : book.extern_sheets) {
        using Reach = ReferenceMove::Reach;
        Reach reach = Reach::kOther;
        if (entry.supporting_book == self && entry.first_sheet <= sheet &&
            sheet <= entry.last_sheet) {
            reach = entry.first_sheet == entry.last_sheet ? Reach::kAlone : Reach::kSpan;
        }
        references.extern_entries.push_back(reach);
    }
    return references;
}

bool names_moved_sheet(const ReferenceMove &references) {
    return std::any_of(
        references.extern_entries.begin(), references.extern_entries.end(),
        [](ReferenceMove::Reach reach) { return reach != ReferenceMove::Reach::kOther; });
}

}  // namespace

int32_t check_grid_move(const Workbook &book, const GridMove &move, ObjectRecords &objects) {
    const Sheet &moved = *book.sheets[static_cast<size_t>(move.sheet)];
    if (const int32_t rc = check_formula_ranges(moved, move.axis, move.rows); rc != 0) return rc;
    if (const int32_t rc = check_table_inputs(moved, move.axis, move.rows); rc != 0) return rc;
    if (const int32_t rc = check_attached_ranges(moved); rc != 0) return rc;
    if (const int32_t rc = move_objects(book, moved, move.axis, move.rows, objects); rc != 0) {
        return rc;
    }
    const bool elsewhere = names_moved_sheet(reference_move(book, move));
    for (int32_t s = 0; s < book.sheet_count(); ++s) {
        if (s != move.sheet && !elsewhere) continue;
        if (const int32_t rc = check_sheet_formulas(*book.sheets[static_cast<size_t>(s)]);
            rc != 0) {
            return rc;
        }
    }
    return !elsewhere || names_walkable(book) ? 0 : kUnwalkableFormula;
}

void move_grid_references(Workbook &book, const GridMove &move, ObjectRecords &objects) {
    move_attached_ranges(book, move);
    ReferenceMove references = reference_move(book, move);
    const bool elsewhere = names_moved_sheet(references);
    for (int32_t s = 0; s < book.sheet_count(); ++s) {
        if (s != move.sheet && !elsewhere) continue;
        // Plain references name the cells of the formula's own sheet.
        references.plain = s == move.sheet;
        move_sheet_references(*book.sheets[static_cast<size_t>(s)], references);
    }
    if (elsewhere) {
        references.plain = false;
        move_name_references(book, references);
    }
    store_objects(book.drawing_group, *book.sheets[static_cast<size_t>(move.sheet)], objects);
}

}  // namespace tabrix::engine
