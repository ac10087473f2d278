#include "engine/edit/column_operations.h"

#include <algorithm>

#include "engine/edit/copy_buffer.h"
#include "engine/edit/position_lists.h"
#include "engine/edit/references/grid_moves.h"

namespace tabrix::engine {
namespace {

constexpr int32_t kColumnOverflow = -2;
constexpr int32_t kAllRows = kLastRow + 1;

// The column and count given, the count cut to the last column. -32 for a column off the
// sheet, -1 for a count below 1.
int32_t columns_on_sheet(int32_t column, int32_t *count) {
    if (column < 0 || column > kLastColumn) return err::kPosition;
    if (*count < 1) return err::kOpen;
    *count = std::min(*count, kLastColumn + 1 - column);
    return 0;
}

void move_columns(Workbook &book, int32_t sheet_number, const AxisMove &move,
                  ObjectRecords &objects) {
    move_grid_references(book, GridMove{sheet_number, false, move}, objects);
    Sheet &sheet = *book.sheets[static_cast<size_t>(sheet_number)];
    move_columns_in_lists(sheet, move);
    refresh_used_range(sheet);
}

}  // namespace

int32_t insert_columns(const BookRef &ref, int32_t sheet_number, int32_t column, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (const int32_t rc = columns_on_sheet(column, &count); rc != 0) return rc;
    int32_t last_column = -1;
    sheet->cells.for_each_row(
        [&](const RowView &row) { last_column = std::max<int32_t>(last_column, row.last_column); });
    if (last_column >= column && last_column + count > kLastColumn) return kColumnOverflow;
    const AxisMove move{column, 0, count, kLastColumn, true, true};
    ObjectRecords objects;
    if (const int32_t rc = check_grid_move(*ref.book, GridMove{sheet_number, false, move}, objects);
        rc != 0) {
        return rc;
    }

    sheet->cells.shift_columns(static_cast<uint8_t>(column), count);
    move_columns(*ref.book, sheet_number, move, objects);
    return 0;
}

int32_t delete_columns(const BookRef &ref, int32_t sheet_number, int32_t column, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (const int32_t rc = columns_on_sheet(column, &count); rc != 0) return rc;
    const AxisMove move{column, count, 0, kLastColumn, true, false};
    ObjectRecords objects;
    if (const int32_t rc = check_grid_move(*ref.book, GridMove{sheet_number, false, move}, objects);
        rc != 0) {
        return rc;
    }

    const int32_t after = column + count;
    sheet->cells.clear_block(0, kLastRow, static_cast<uint8_t>(column),
                             static_cast<uint8_t>(after - 1));
    if (after <= kLastColumn) sheet->cells.shift_columns(static_cast<uint8_t>(after), -count);
    move_columns(*ref.book, sheet_number, move, objects);
    return 0;
}

int32_t clear_columns(const BookRef &ref, int32_t sheet_number, int32_t column, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, true, &sheet); rc != 0) return rc;
    if (const int32_t rc = columns_on_sheet(column, &count); rc != 0) return rc;
    return clear_block(*sheet, CellRect{column, 0, count, kAllRows});
}

int32_t copy_column(const BookRef &ref, int32_t sheet_number, int32_t source, int32_t target) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (const int32_t rc =
            copy_to_buffer(*sheet, CellRect{source, 0, 1, kAllRows}, CopyBuffer::kColumn);
        rc != 0) {
        return rc;
    }
    if (target == -1 || target == source) return 0;
    return paste_column(ref, sheet_number, target);
}

int32_t paste_column(const BookRef &ref, int32_t sheet_number, int32_t column) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (sheet->copy_buffer.kind != CopyBuffer::kColumn) return err::kOpen;
    return paste_buffer(*sheet, sheet->copy_buffer, column, 0, ref.book->drawing_group);
}

}  // namespace tabrix::engine
