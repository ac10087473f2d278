#include "engine/edit/copy_buffer.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/objects/conditional_formats.h"
#include "engine/edit/objects/data_validations.h"
#include "engine/edit/objects/hyperlinks.h"
#include "engine/edit/objects/notes.h"
#include "engine/edit/references/reference_moves.h"

namespace tabrix::engine {
namespace {

constexpr size_t kHeaderBytes = 4;
constexpr int32_t kColumnOverflow = -2;
constexpr int32_t kRowOverflow = -3;

bool is_run(uint16_t number) {
    return number == rec::kMulRk || number == rec::kMulBlank;
}

// Where each buffered record lies and which cells it covers. The buffer holds only images
// the store handed out, each complete.
struct BufferedCell {
    size_t offset = 0;
    size_t size = 0;
    int32_t row = 0;
    int32_t first = 0;
    int32_t last = 0;
};

template <class Visit>
int32_t for_each_buffered(const std::vector<uint8_t> &cells, Visit &&visit) {
    for (size_t offset = 0; offset < cells.size();) {
        const uint8_t *p = cells.data() + offset;
        BufferedCell cell;
        cell.offset = offset;
        cell.size = kHeaderBytes + load_u16(p + 2);
        // What a FORMULA carries follows it directly, as do the CONTINUE records of a text.
        while (offset + cell.size + kHeaderBytes <= cells.size()) {
            const uint16_t next = load_u16(cells.data() + offset + cell.size);
            const bool carried =
                next == rec::kContinue ||
                (load_u16(p) == rec::kFormula &&
                 (next == rec::kArray || next == rec::kTable || next == rec::kString));
            if (!carried) break;
            cell.size += kHeaderBytes + load_u16(cells.data() + offset + cell.size + 2);
        }
        cell.row = load_u16(p + 4);
        cell.first = load_u16(p + 6);
        cell.last = is_run(load_u16(p)) ? load_u16(p + cell.size - 2) : cell.first;
        if (const int32_t rc = visit(cell); rc != 0) return rc;
        offset += cell.size;
    }
    return 0;
}

// Validations and conditional formats travel with copied cells: they must be readable.
int32_t check_rules(const Sheet &sheet) {
    if (const int32_t rc = check_data_validations(sheet.carried.trailer); rc != 0) return rc;
    return check_conditional_formats(sheet.carried.trailer);
}

bool overlaps(const MergedRange &a, const MergedRange &b) {
    return a.first_row <= b.last_row && b.first_row <= a.last_row &&
           a.first_column <= b.last_column && b.first_column <= a.last_column;
}

// The buffer's merged ranges moved by (dx, dy) and clipped to the target rectangle; ranges
// that leave the sheet or shrink to one cell are dropped.
std::vector<MergedRange> pasted_ranges(const CopyBuffer &buffer, const CellRect &target, int32_t dx,
                                       int32_t dy) {
    std::vector<MergedRange> out;
    for (const MergedRange &range : buffer.merged) {
        const int32_t first_row = std::max(range.first_row + dy, target.y);
        const int32_t last_row = std::min({range.last_row + dy, target.last_y(), kLastRow});
        const int32_t first_column = std::max(range.first_column + dx, target.x);
        const int32_t last_column =
            std::min({range.last_column + dx, target.last_x(), kLastColumn});
        if (first_row > last_row || first_column > last_column ||
            (first_row == last_row && first_column == last_column)) {
            continue;
        }
        out.push_back(MergedRange{static_cast<uint16_t>(first_row), static_cast<uint16_t>(last_row),
                                  static_cast<uint16_t>(first_column),
                                  static_cast<uint16_t>(last_column)});
    }
    return out;
}

}  // namespace

int32_t structure_sheet(const BookRef &ref, int32_t sheet, bool excel95_too, Sheet **out) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    if (book->read_only || (!excel95_too && !book->biff8())) return err::of(errMode);
    *out = book->sheets[static_cast<size_t>(sheet)].get();
    return 0;
}

void refresh_used_range(Sheet &sheet) {
    sheet.lowest_key = UINT32_MAX;
    sheet.highest_key = -1;
    sheet.cells.for_each_row([&](const RowView &row) {
        const uint32_t first = row.row * 256u + row.first_column;
        sheet.lowest_key = std::min(sheet.lowest_key, first);
        sheet.highest_key = row.row * 256 + row.last_column;
    });
}

int32_t clear_block(Sheet &sheet, CellRect rect) {
    if (rect.width < 1 || rect.height < 1) return err::kOpen;
    rect.width = std::min(rect.width, kLastColumn + 1);
    rect.height = std::min(rect.height, kLastRow + 1);
    if (rect.x > kLastColumn || rect.y > kLastRow || rect.last_x() < 0 || rect.last_y() < 0) {
        return 0;  // nothing of it on the sheet
    }
    if (const int32_t rc = check_hyperlinks(sheet.carried.trailer); rc != 0) return rc;
    const int32_t first_column = std::max(rect.x, 0);
    const int32_t first_row = std::max(rect.y, 0);
    const int32_t last_column = std::min(rect.last_x(), kLastColumn);
    const int32_t last_row = std::min(rect.last_y(), kLastRow);
    sheet.cells.clear_block(static_cast<uint16_t>(first_row), static_cast<uint16_t>(last_row),
                            static_cast<uint8_t>(first_column), static_cast<uint8_t>(last_column));
    clear_block_in_lists(sheet, rect);
    clear_hyperlinks(sheet, rect);
    refresh_used_range(sheet);
    return 0;
}

int32_t copy_to_buffer(Sheet &sheet, CellRect rect, CopyBuffer::Kind kind) {
    CopyBuffer &buffer = sheet.copy_buffer;
    buffer = CopyBuffer{};
    if (rect.width < 1 || rect.height < 1) return err::kOpen;
    if (rect.x < 0 || rect.x > kLastColumn || rect.y < 0 || rect.y > kLastRow) {
        return err::kPosition;
    }
    rect.width = std::min(rect.width, kLastColumn + 1 - rect.x);
    rect.height = std::min(rect.height, kLastRow + 1 - rect.y);
    if (const int32_t rc = check_hyperlinks(sheet.carried.trailer); rc != 0) return rc;
    if (const int32_t rc = check_rules(sheet); rc != 0) return rc;
    copy_hyperlinks(sheet, rect, buffer.hyperlinks);
    copy_data_validations(sheet, range_of(rect), buffer.validations);
    copy_conditional_formats(sheet, range_of(rect), buffer.conditional_formats);
    sheet.cells.copy_block(static_cast<uint16_t>(rect.y), static_cast<uint16_t>(rect.last_y()),
                           static_cast<uint8_t>(rect.x), static_cast<uint8_t>(rect.last_x()),
                           buffer.cells);
    const MergedRange area{static_cast<uint16_t>(rect.y), static_cast<uint16_t>(rect.last_y()),
                           static_cast<uint16_t>(rect.x), static_cast<uint16_t>(rect.last_x())};
    for (const MergedRange &range : sheet.merged) {
        if (overlaps(range, area)) buffer.merged.push_back(range);
    }
    if (kind == CopyBuffer::kRows) {
        const auto &settings = sheet.rows_columns.row_settings;
        for (auto at = settings.lower_bound(area.first_row);
             at != settings.end() && at->first <= area.last_row; ++at) {
            buffer.row_settings.emplace(at->first - rect.y, at->second);
        }
    }
    copy_notes(sheet, rect.x, rect.y, rect.width, rect.height, buffer);
    buffer.x = rect.x;
    buffer.y = rect.y;
    buffer.width = rect.width;
    buffer.height = rect.height;
    buffer.kind = kind;
    return 0;
}

int32_t paste_buffer(Sheet &sheet, const CopyBuffer &buffer, int32_t x, int32_t y,
                     RecordList &drawing_group) {
    if (buffer.kind == CopyBuffer::kEmpty) return err::kOpen;
    if (x < 0 || x > kLastColumn) return kColumnOverflow;
    if (y < 0 || y > kLastRow) return kRowOverflow;
    const int32_t dx = x - buffer.x;
    const int32_t dy = y - buffer.y;
    const int32_t checked = for_each_buffered(buffer.cells, [&](const BufferedCell &cell) {
        if (cell.first + dx < 0 || cell.last + dx > kLastColumn) return kColumnOverflow;
        if (cell.row + dy < 0 || cell.row + dy > kLastRow) return kRowOverflow;
        return check_formula_image(std::span(buffer.cells).subspan(cell.offset, cell.size));
    });
    if (checked != 0) return checked;
    if (const int32_t rc = check_hyperlinks(sheet.carried.trailer); rc != 0) return rc;
    if (const int32_t rc = check_rules(sheet); rc != 0) return rc;
    ObjectRecords objects;
    if (const int32_t rc = paste_notes(sheet, drawing_group, buffer, x, y, objects); rc != 0) {
        return rc;
    }

    const CellRect target{x, y, buffer.width, buffer.height};
    const std::vector<MergedRange> ranges = pasted_ranges(buffer, target, dx, dy);
    clear_block(sheet, target);
    ReferenceMove move;
    move.rows = AxisMove{0, 0, dy, kLastRow, false, false};
    move.columns = AxisMove{0, 0, dx, kLastColumn, false, false};
    move.every_3d = true;  // a pasted 3-D reference's relative parts move as well
    std::vector<uint8_t> image;
    const int32_t stored = for_each_buffered(buffer.cells, [&](const BufferedCell &cell) {
        const auto from = buffer.cells.begin() + static_cast<ptrdiff_t>(cell.offset);
        image.assign(from, from + static_cast<ptrdiff_t>(cell.size));
        store_u16(image.data() + 4, static_cast<uint16_t>(cell.row + dy));
        store_u16(image.data() + 6, static_cast<uint16_t>(cell.first + dx));
        if (is_run(load_u16(image.data()))) {
            store_u16(image.data() + image.size() - 2, static_cast<uint16_t>(cell.last + dx));
        }
        move_formula_image(image, move);
        return sheet.cells.insert(image);
    });
    std::erase_if(sheet.merged, [&](const MergedRange &old) {
        return std::any_of(ranges.begin(), ranges.end(),
                           [&](const MergedRange &range) { return overlaps(old, range); });
    });
    sheet.merged.insert(sheet.merged.end(), ranges.begin(), ranges.end());
    paste_hyperlinks(sheet, buffer.hyperlinks, dx, dy);
    paste_data_validations(sheet, buffer.validations, range_of(target), dx, dy);
    paste_conditional_formats(sheet, buffer.conditional_formats, range_of(target), dx, dy);
    store_objects(drawing_group, sheet, objects);
    refresh_used_range(sheet);
    return stored;
}

int32_t clear_cells(const BookRef &ref, int32_t sheet_number, const CellRect &rect) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    return clear_block(*sheet, rect);
}

int32_t copy_cells(const BookRef &ref, int32_t sheet_number, const CellRect &rect, int32_t target_x,
                   int32_t target_y) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    if (const int32_t rc = copy_to_buffer(*sheet, rect, CopyBuffer::kBlock); rc != 0) return rc;
    if (target_x == -1 || target_y == -1) return 0;
    return paste_buffer(*sheet, sheet->copy_buffer, target_x, target_y, ref.book->drawing_group);
}

int32_t paste_cells(const BookRef &ref, int32_t sheet_number, int32_t x, int32_t y) {
    Sheet *sheet = nullptr;
    if (const int32_t rc = structure_sheet(ref, sheet_number, false, &sheet); rc != 0) return rc;
    return paste_buffer(*sheet, sheet->copy_buffer, x, y, ref.book->drawing_group);
}

}  // namespace tabrix::engine
