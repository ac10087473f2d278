#include "engine/edit/row_operations.h"

#include "engine/edit/copy_buffer.h"
#include "engine/edit/references/grid_moves.h"

namespace tabrix::engine {
namespace {

constexpr int32_t kRowOverflow = -3;
constexpr int32_t kAllColumns = kLastColumn + 1;

bool rows_on_sheet(int32_t row, int32_t count) {
    return row >= 0 && count >= 1 && count <= kLastRow + 1 - row;
}

// Rows of the sheet take the buffer's row settings (a row copied without any loses its own).
void paste_row_settings(Sheet &sheet, const CopyBuffer &buffer, int32_t row) {
    auto &settings = sheet.rows_columns.row_settings;
    for (int32_t offset = 0; offset < buffer.height && row + offset <= kLastRow; ++offset) {
        const auto target = static_cast<uint16_t>(row + offset);
        if (auto copied = buffer.row_settings.find(offset); copied != buffer.row_settings.end()) {
            RowSetting setting = copied->second;
            setting.written = false;
            settings[target] = setting;
        } else {
            settings.erase(target);
        }
    }
}

void move_rows(Workbook &book, int32_t sheet_number, const AxisMove &move, ObjectRecords &objects) {
    move_grid_references(book, GridMove{sheet_number, true, move}, objects);
    Sheet &sheet = *book.sheets[static_cast<size_t>(sheet_number)];
    move_rows_in_lists(sheet, move);
    refresh_used_range(sheet);
}

}  // namespace

int32_t insert_rows(const BookRef &ref, int32_t sheet_number, int32_t row, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (!rows_on_sheet(row, count)) return err::kPosition;
    const int32_t last = sheet->cells.last_row();
    if (last >= row && last + count > kLastRow) return kRowOverflow;
    const AxisMove move{row, 0, count, kLastRow, true, true};
    ObjectRecords objects;
    if (const int32_t rc = check_grid_move(*ref.book, GridMove{sheet_number, true, move}, objects);
        rc != 0) {
        return rc;
    }

    sheet->cells.shift_rows(static_cast<uint16_t>(row), count);
    move_rows(*ref.book, sheet_number, move, objects);
    return 0;
}

int32_t delete_rows(const BookRef &ref, int32_t sheet_number, int32_t row, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (!rows_on_sheet(row, count)) return err::kPosition;
    const AxisMove move{row, count, 0, kLastRow, true, false};
    ObjectRecords objects;
    if (const int32_t rc = check_grid_move(*ref.book, GridMove{sheet_number, true, move}, objects);
        rc != 0) {
        return rc;
    }

    const int32_t after = row + count;
    sheet->cells.clear_block(static_cast<uint16_t>(row), static_cast<uint16_t>(after - 1), 0,
                             kLastColumn);
    if (after <= kLastRow) sheet->cells.shift_rows(static_cast<uint16_t>(after), -count);
    move_rows(*ref.book, sheet_number, move, objects);
    return 0;
}

int32_t clear_rows(const BookRef &ref, int32_t sheet_number, int32_t row, int32_t count) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (!rows_on_sheet(row, count)) return err::kPosition;
    if (const int32_t rc = check_sheet_formulas(*sheet); rc != 0) return rc;
    return clear_block(*sheet, CellRect{0, row, kAllColumns, count});
}

int32_t copy_row(const BookRef &ref, int32_t sheet_number, int32_t source, int32_t target) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (const int32_t rc =
            copy_to_buffer(*sheet, CellRect{0, source, kAllColumns, 1}, CopyBuffer::kRows);
        rc != 0) {
        return rc;
    }
    if (target == -1 || target == source) return 0;
    return paste_rows(ref, sheet_number, target);
}

int32_t paste_rows(const BookRef &ref, int32_t sheet_number, int32_t row) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    const CopyBuffer &buffer = sheet->copy_buffer;
    if (buffer.kind != CopyBuffer::kRows) return err::kOpen;
    if (const int32_t rc = paste_buffer(*sheet, buffer, 0, row, ref.book->drawing_group); rc != 0)
        return rc;
    paste_row_settings(*sheet, buffer, row);
    return 0;
}

int32_t copy_rows_to_sheet(const BookRef &ref, int32_t sheet_number, int32_t first, int32_t count,
                           int32_t target_sheet, int32_t target_row) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (target_sheet < 0) target_sheet = sheet_number;
    if (target_sheet >= ref.book->sheet_count()) return err::of(errMode);
    if (count < 1) count = 1;
    if (first >= 0) {
        if (const int32_t rc =
                copy_to_buffer(*sheet, CellRect{0, first, kAllColumns, count}, CopyBuffer::kRows);
            rc != 0) {
            return rc;
        }
    } else if (sheet->copy_buffer.kind != CopyBuffer::kRows) {
        return err::kOpen;
    }
    if (target_row < 0) return 0;

    Sheet &target = *ref.book->sheets[static_cast<size_t>(target_sheet)];
    const CopyBuffer &buffer = sheet->copy_buffer;
    if (const int32_t rc = paste_buffer(target, buffer, 0, target_row, ref.book->drawing_group);
        rc != 0)
        return rc;
    paste_row_settings(target, buffer, target_row);
    // A count beyond the buffered rows clears the rows after them too.
    if (count > buffer.height && target_row + buffer.height <= kLastRow) {
        clear_block(target,
                    CellRect{0, target_row + buffer.height, kAllColumns, count - buffer.height});
    }
    return 0;
}

}  // namespace tabrix::engine
