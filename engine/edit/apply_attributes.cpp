#include "engine/edit/apply_attributes.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/cell_checks.h"
#include "engine/model/workbook.h"
#include "engine/styles/attribute_merge.h"
#include "engine/styles/attribute_registry.h"

namespace tabrix::engine {

namespace {

constexpr uint16_t kRowOwnFormat = 0x0080;

// The checks of every apply call, in the order the value writes make them. The sheet becomes
// the workbook's current sheet.
int32_t locate(const BookRef &ref, int32_t sheet, std::initializer_list<int32_t> columns,
               std::initializer_list<int32_t> rows, SheetPlace *out) {
    int32_t rc = check_cells(ref, sheet, columns, rows, CheckOrder::kCellInsert, out);
    if (rc == 0) out->book->current_sheet = sheet;
    return rc;
}

// The request record and whether it merges, once the workbook is known.
struct ResolvedRequest {
    CellAttribute record;
    bool merge = true;
};

ResolvedRequest resolve(const Workbook &book, const AttributeRequest &request) {
    if (!request.by_number) return {request.record, true};
    const int64_t magnitude = request.number < 0 ? -int64_t{request.number} : request.number;
    return {attribute_record(book, held_attribute(book, magnitude)), request.number >= 0};
}

void note_cells(Sheet &sheet, uint16_t y, uint16_t first, uint16_t last) {
    sheet.lowest_key = std::min<uint32_t>(sheet.lowest_key, y * 256u + first);
    sheet.highest_key = std::max<int64_t>(sheet.highest_key, y * 256 + last);
}

// A BLANK for one column, a MULBLANK for a run, with one XF per column.
std::vector<uint8_t> blank_image(uint16_t y, uint16_t first, const std::vector<uint16_t> &xfs) {
    std::vector<uint8_t> image;
    const bool single = xfs.size() == 1;
    put_u16(image, single ? rec::kBlank : rec::kMulBlank);
    put_u16(image, 0);
    put_u16(image, y);
    put_u16(image, first);
    for (uint16_t xf : xfs) put_u16(image, xf);
    if (!single) put_u16(image, static_cast<uint16_t>(first + xfs.size() - 1));
    store_u16(&image[2], static_cast<uint16_t>(image.size() - 4));
    return image;
}

// The attribute numbers one call gives, remembered per starting attribute: a range call
// meets the same few starting attributes over and over.
class RequestApplier {
  public:
    RequestApplier(Workbook &book, const ResolvedRequest &request, bool replace)
        : book_(book), request_(request), replace_(replace || !request.merge) {}

    // A cell with a record and attribute `xf`.
    int32_t for_cell(uint16_t xf) {
        if (replace_) return replaced();
        if (auto found = merged_.find(xf); found != merged_.end()) return found->second;
        int32_t number = apply_request(book_, xf, request_.record, true);
        if (number >= 0) merged_.emplace(xf, number);
        return number;
    }

    // A cell without a record that inherits `inherited`: with nothing inherited the request
    // is completed as for a replace.
    int32_t for_empty(uint16_t inherited) {
        return inherited == kDefaultXf ? replaced() : for_cell(inherited);
    }

  private:
    int32_t replaced() {
        if (replaced_ == 0) replaced_ = apply_request(book_, kDefaultXf, request_.record, false);
        return replaced_;
    }

    Workbook &book_;
    const ResolvedRequest &request_;
    bool replace_;
    int32_t replaced_ = 0;  // 0 until computed: registered numbers are 21 and up
    std::unordered_map<uint16_t, int32_t> merged_;
};

// Gives the record covering columns of [first, last] the applier's numbers; returns the
// record's last column, or a negative code.
int32_t restyle_record(Sheet &sheet, const CellView &cell, uint8_t first, uint8_t last,
                       RequestApplier &applier) {
    std::vector<uint8_t> image(cell.image.begin(), cell.image.end());
    const uint8_t from = std::max(first, cell.first_column);
    const uint8_t to = std::min(last, cell.last_column);
    for (unsigned column = from; column <= to; ++column) {
        const size_t at = cell.xf_offset(static_cast<uint8_t>(column));
        int32_t number = applier.for_cell(load_u16(&image[at]));
        if (number < 0) return number;
        store_u16(&image[at], static_cast<uint16_t>(number));
    }
    const uint8_t record_last = cell.last_column;
    if (sheet.cells.insert(image) != 0) return err::kWrite;
    return record_last;
}

// Blank records for the columns first..last of a row, none of which has a record.
int32_t fill_gap(const Workbook &book, Sheet &sheet, uint16_t y, uint8_t first, uint8_t last,
                 RequestApplier &applier) {
    std::vector<uint16_t> xfs;
    xfs.reserve(last - first + 1u);
    for (unsigned column = first; column <= last; ++column) {
        const uint16_t inherited =
            inherited_attribute(book.biff8(), sheet, static_cast<uint16_t>(column), y);
        int32_t number = applier.for_empty(inherited);
        if (number < 0) return number;
        xfs.push_back(static_cast<uint16_t>(number));
    }
    if (sheet.cells.insert(blank_image(y, first, xfs)) != 0) return err::kWrite;
    note_cells(sheet, y, first, last);
    return 0;
}

int32_t apply_to_row(const Workbook &book, Sheet &sheet, uint16_t y, uint8_t first, uint8_t last,
                     RequestApplier &applier) {
    unsigned column = first;
    while (column <= last) {
        CellView cell;
        if (sheet.cells.find(y, static_cast<uint8_t>(column), &cell)) {
            int32_t record_last = restyle_record(sheet, cell, first, last, applier);
            if (record_last < 0) return record_last;
            column = static_cast<unsigned>(record_last) + 1;
            continue;
        }
        unsigned gap_end = column;
        while (gap_end < last && !sheet.cells.find(y, static_cast<uint8_t>(gap_end + 1), nullptr)) {
            ++gap_end;
        }
        if (int32_t rc = fill_gap(book, sheet, y, static_cast<uint8_t>(column),
                                  static_cast<uint8_t>(gap_end), applier);
            rc != 0) {
            return rc;
        }
        column = gap_end + 1;
    }
    return 0;
}

void record_merged_range(Sheet &sheet, const MergedRange &range) {
    if (!sheet.merged.empty()) {
        const MergedRange &last = sheet.merged.back();
        if (last.first_row == range.first_row && last.last_row == range.last_row &&
            last.first_column == range.first_column && last.last_column == range.last_column) {
            return;
        }
    }
    sheet.merged.push_back(range);
}

}  // namespace

uint16_t inherited_attribute(bool biff8, const Sheet &sheet, uint16_t x, uint16_t y) {
    auto row = sheet.rows_columns.row_settings.find(y);
    if (row != sheet.rows_columns.row_settings.end() && (row->second.options & kRowOwnFormat)) {
        // Excel 97 keeps flags in the top four bits of the ROW record's XF field.
        const uint16_t xf = biff8 ? row->second.xf & 0x0FFF : row->second.xf;
        if (xf != kDefaultXf) return xf;
    }
    for (const ColumnInfo &column : sheet.rows_columns.columns) {
        if (column.first <= x && x <= column.last && column.xf != kDefaultXf) return column.xf;
    }
    return kDefaultXf;
}

int32_t set_cell_attribute(BookRef ref, int32_t sheet_number, int32_t x, int32_t y,
                           const AttributeRequest &request) {
    SheetPlace at;
    if (int32_t rc = locate(ref, sheet_number, {x}, {y}, &at); rc != 0) return rc;
    const ResolvedRequest resolved = resolve(*at.book, request);
    RequestApplier applier(*at.book, resolved, replace_mode());
    const auto column = static_cast<uint8_t>(x);
    const auto row = static_cast<uint16_t>(y);
    CellView cell;
    if (at.sheet->cells.find(row, column, &cell)) {
        int32_t rc = restyle_record(*at.sheet, cell, column, column, applier);
        return rc < 0 ? rc : 0;
    }
    return fill_gap(*at.book, *at.sheet, row, column, column, applier);
}

int32_t set_range_attribute(BookRef ref, int32_t sheet_number, int32_t x1, int32_t y1, int32_t x2,
                            int32_t y2, const AttributeRequest &request) {
    SheetPlace at;
    if (int32_t rc = locate(ref, sheet_number, {x1, x2}, {y1, y2}, &at); rc != 0) return rc;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const ResolvedRequest resolved = resolve(*at.book, request);
    if (resolved.record.joint == 1) {
        record_merged_range(*at.sheet, {static_cast<uint16_t>(y1), static_cast<uint16_t>(y2),
                                        static_cast<uint16_t>(x1), static_cast<uint16_t>(x2)});
    }
    // Range calls replace only when asked to; the process-wide mode plays no part.
    RequestApplier applier(*at.book, resolved, false);
    for (int32_t y = y1; y <= y2; ++y) {
        if (int32_t rc = apply_to_row(*at.book, *at.sheet, static_cast<uint16_t>(y),
                                      static_cast<uint8_t>(x1), static_cast<uint8_t>(x2), applier);
            rc != 0) {
            return rc;
        }
    }
    return 0;
}

int32_t draw_lines(BookRef ref, int32_t sheet, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   LineKind kind, int32_t line_code) {
    const auto style = static_cast<int16_t>(line_code & 0x0F);
    const auto colour = static_cast<int16_t>((line_code >> 8) & 0xFF);
    CellAttribute top = unset_attribute(), bottom = top, left = top, right = top;
    top.line_top = style;
    top.color_top = colour;
    bottom.line_bottom = style;
    bottom.color_bottom = colour;
    left.line_left = style;
    left.color_left = colour;
    right.line_right = style;
    right.color_right = colour;
    auto over = [&](int32_t ax, int32_t ay, int32_t bx, int32_t by, const CellAttribute &edge) {
        return set_range_attribute(ref, sheet, ax, ay, bx, by, AttributeRequest::of_record(edge));
    };
    switch (kind) {
        case LineKind::over:
            return over(x1, y1, x2, y2, top);
        case LineKind::under:
            return over(x1, y1, x2, y2, bottom);
        case LineKind::left:
            return over(x1, y1, x2, y2, left);
        case LineKind::right:
            return over(x1, y1, x2, y2, right);
        case LineKind::lattice: {
            CellAttribute all = top;
            all.line_bottom = all.line_left = all.line_right = style;
            all.color_bottom = all.color_left = all.color_right = colour;
            return over(x1, y1, x2, y2, all);
        }
        case LineKind::box:
            break;
    }
    SheetPlace at;
    if (int32_t rc = locate(ref, sheet, {x1, x2}, {y1, y2}, &at); rc != 0) return rc;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (int32_t rc = over(x1, y1, x2, y1, top); rc != 0) return rc;
    if (int32_t rc = over(x1, y1, x1, y2, left); rc != 0) return rc;
    if (int32_t rc = over(x2, y1, x2, y2, right); rc != 0) return rc;
    return over(x1, y2, x2, y2, bottom);
}

}  // namespace tabrix::engine
