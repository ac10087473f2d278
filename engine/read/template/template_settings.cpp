// A template sheet's settings taken into the sheet's model, for the sheet writer to write
// again: rows and columns, page setup, window, merged ranges and phonetic settings.
#include <algorithm>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/layout/page_setup.h"
#include "engine/read/template/template_parts.h"
#include "engine/styles/attribute_registry.h"

namespace tabrix::engine {
namespace {

constexpr uint16_t kLastColumn = 255;
// A COLINFO may run to 256, "to the end of the row", as some writers put it.
constexpr uint16_t kColumnEnd = 256;
constexpr size_t kRowSize = 16;
constexpr size_t kColumnInfoSize = 10;  // without the reserved word some writers leave out
constexpr size_t kSetupSize = 34;
constexpr size_t kPaneSize = 10;
constexpr uint16_t kFitToPage = 0x0100;
constexpr uint16_t kShowGrid = 0x0002;
constexpr uint16_t kPortrait = 0x0002;
// SELECTION: pane, active cell, active range, range count, then six bytes per range.
constexpr size_t kSelectionHeadSize = 9;
constexpr size_t kSelectionRangeSize = 6;
// PANE: the pane holding the active cell; without a PANE it is the only one, pane 3.
constexpr size_t kActivePaneOffset = 8;
constexpr uint8_t kSinglePane = 3;
constexpr size_t kMergedRangeSize = 8;
// PHONETIC: font, settings, range count, then eight bytes per range.
constexpr size_t kPhoneticHeadSize = 6;
constexpr size_t kPhoneticRangeSize = 8;

uint16_t u16_at(std::span<const uint8_t> data, size_t at) {
    return load_u16(data.data() + at);
}

double f64_at(std::span<const uint8_t> data, size_t at) {
    return load_f64(data.data() + at);
}

// A COLINFO goes into the sorted column list unless it overlaps a range already there.
void take_column(const Workbook &book, RowsAndColumns &rows_columns,
                 std::span<const uint8_t> data) {
    if (data.size() < kColumnInfoSize) return;
    ColumnInfo column;
    column.first = u16_at(data, 0);
    column.last = std::min(u16_at(data, 2), kColumnEnd);
    column.width = u16_at(data, 4);
    column.xf = held_attribute(book, u16_at(data, 6));
    column.options = u16_at(data, 8);
    if (u16_at(data, 0) > u16_at(data, 2) || column.first > kLastColumn) return;
    std::vector<ColumnInfo> &columns = rows_columns.columns;
    auto at = std::lower_bound(
        columns.begin(), columns.end(), column,
        [](const ColumnInfo &a, const ColumnInfo &b) { return a.first < b.first; });
    if (at != columns.end() && at->first <= column.last) return;
    if (at != columns.begin() && std::prev(at)->last >= column.first) return;
    columns.insert(at, column);
}

void take_setup(PageSettings &page, std::span<const uint8_t> data) {
    if (data.size() < kSetupSize) return;
    SetupRecord &setup = page.setup;
    setup.paper_size = u16_at(data, 0);
    setup.scale = u16_at(data, 2);
    setup.first_page = u16_at(data, 4);
    setup.fit_width = u16_at(data, 6);
    setup.fit_height = u16_at(data, 8);
    setup.options = u16_at(data, 10);
    setup.resolution = u16_at(data, 12);
    setup.vertical_resolution = u16_at(data, 14);
    setup.header_margin = f64_at(data, 16);
    setup.footer_margin = f64_at(data, 24);
    setup.copies = u16_at(data, 32);
    page.orientation = setup.options & kPortrait;
}

// HEADER or FOOTER: its text as far as it reads whole (Excel 95: a length byte and the bytes;
// Excel 97: a counted string); an empty record is no text.
void take_page_text(bool biff8, std::optional<std::vector<uint8_t>> &text,
                    std::span<const uint8_t> data) {
    text.reset();
    if (data.empty()) return;
    size_t end = 0;
    if (biff8) {
        if (!read_biff8_string(data, end)) return;
    } else {
        if (data[0] > data.size() - 1) return;
        end = 1 + data[0];
    }
    text.emplace(data.begin(), data.begin() + end);
}

// Page breaks: a count, then the row or column of each break first in its entry (2 bytes
// in Excel 95, 6 in Excel 97); the list stays sorted, without repeats, within its limit.
void take_breaks(bool biff8, std::vector<uint16_t> &breaks, size_t limit,
                 std::span<const uint8_t> data) {
    if (data.size() < 2) return;
    const size_t entry = biff8 ? 6 : 2;
    const size_t count = std::min<size_t>(u16_at(data, 0), (data.size() - 2) / entry);
    breaks.clear();
    for (size_t i = 0; i < count; ++i) breaks.push_back(u16_at(data, 2 + i * entry));
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    if (breaks.size() > limit) breaks.resize(limit);
}

void take_window2(bool biff8, WindowSettings &window, std::span<const uint8_t> data) {
    if (data.size() < 6) return;
    window.options = u16_at(data, 0);
    window.show_grid = (window.options & kShowGrid) != 0;
    window.first_visible_row = u16_at(data, 2);
    window.first_visible_column = u16_at(data, 4);
    if (biff8 && data.size() >= 14) {
        window.page_break_zoom = u16_at(data, 10);
        window.normal_zoom = u16_at(data, 12);
    }
}

// The sheet keeps one SELECTION: the active pane's when the sheet has several.
void take_selection(WindowSettings &window, std::span<const uint8_t> data) {
    if (data.size() < kSelectionHeadSize) return;
    const size_t ranges = u16_at(data, 7);
    if (ranges > (data.size() - kSelectionHeadSize) / kSelectionRangeSize) return;
    const uint8_t active = window.pane ? (*window.pane)[kActivePaneOffset] : kSinglePane;
    if (window.selection && (*window.selection)[0] == active) return;
    window.selection.emplace(data.begin(),
                             data.begin() + kSelectionHeadSize + ranges * kSelectionRangeSize);
}

void take_merged_ranges(const Workbook &book, std::vector<MergedRange> &merged,
                        std::span<const uint8_t> data) {
    if (data.size() < 2) return;
    const size_t count = std::min<size_t>(u16_at(data, 0), (data.size() - 2) / kMergedRangeSize);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 2 + i * kMergedRangeSize;
        const MergedRange range{u16_at(data, at), u16_at(data, at + 2), u16_at(data, at + 4),
                                u16_at(data, at + 6)};
        if (range.first_row > range.last_row || range.last_row >= book.max_rows ||
            range.first_column > range.last_column || range.last_column > kLastColumn) {
            continue;
        }
        merged.push_back(range);
    }
}

// PHONETIC (Excel 97): font, settings and the ranges they cover (a count of 8-byte ranges);
// kept up to its last range.
void take_phonetic(bool biff8, std::optional<Record> &phonetic, std::span<const uint8_t> data) {
    if (!biff8 || data.size() < kPhoneticHeadSize) return;
    const size_t ranges = u16_at(data, kPhoneticHeadSize - 2);
    if (ranges > (data.size() - kPhoneticHeadSize) / kPhoneticRangeSize) return;
    const size_t size = kPhoneticHeadSize + ranges * kPhoneticRangeSize;
    phonetic = Record{rec::kPhonetic, {data.begin(), data.begin() + size}};
}

}  // namespace

bool load_row_column_record(const Workbook &book, Sheet &sheet, const RawRecord &record) {
    RowsAndColumns &rows_columns = sheet.rows_columns;
    const std::span<const uint8_t> data = record.data;
    switch (record.number) {
        case rec::kRow:
            if (data.size() >= kRowSize && u16_at(data, 0) < book.max_rows) {
                RowSetting &row = rows_columns.row_settings[u16_at(data, 0)];
                row.height = u16_at(data, 6);
                row.options = u16_at(data, 12);
                row.xf = u16_at(data, 14);
            }
            return true;
        case rec::kColInfo:
            take_column(book, rows_columns, data);
            return true;
        case rec::kDefColWidth:
            if (data.size() >= 2) rows_columns.default_column_width = u16_at(data, 0);
            return true;
        case rec::kStandardWidth:
            if (data.size() >= 2) rows_columns.standard_width = u16_at(data, 0);
            return true;
        case rec::kGcw:
            if (data.size() >= rows_columns.gcw.size()) {
                std::copy_n(data.begin(), rows_columns.gcw.size(), rows_columns.gcw.begin());
            }
            return true;
        case rec::kDefaultRowHeight:
            if (data.size() >= 4) {
                rows_columns.default_row_options = u16_at(data, 0);
                rows_columns.default_row_height = u16_at(data, 2);
            }
            return true;
        default:
            return false;
    }
}

bool load_page_record(bool biff8, Sheet &sheet, const RawRecord &record) {
    PageSettings &page = sheet.page;
    const std::span<const uint8_t> data = record.data;
    switch (record.number) {
        case rec::kSetup:
            take_setup(page, data);
            return true;
        case rec::kLeftMargin:
        case rec::kRightMargin:
        case rec::kTopMargin:
        case rec::kBottomMargin:
            if (data.size() >= 8) {
                page.margins[record.number - rec::kLeftMargin] = f64_at(data, 0);
                page.margins_from_file[record.number - rec::kLeftMargin] = true;
            }
            return true;
        case rec::kHeader:
            take_page_text(biff8, page.header, data);
            return true;
        case rec::kFooter:
            take_page_text(biff8, page.footer, data);
            return true;
        case rec::kPrintHeaders:
        case rec::kPrintGridlines:
        case rec::kHCenter:
        case rec::kVCenter: {
            if (data.size() < 2) return true;
            uint16_t *field = record.number == rec::kPrintHeaders     ? &page.print_headers
                              : record.number == rec::kPrintGridlines ? &page.print_gridlines
                              : record.number == rec::kHCenter        ? &page.hcenter
                                                                      : &page.vcenter;
            *field = u16_at(data, 0);
            return true;
        }
        case rec::kHorizontalPageBreaks:
            take_breaks(biff8, page.row_breaks, kMaxRowBreaks, data);
            return true;
        case rec::kVerticalPageBreaks:
            take_breaks(biff8, page.column_breaks, kMaxColumnBreaks, data);
            return true;
        case rec::kWsBool:
            if (data.size() >= 2) {
                page.sheet_options = u16_at(data, 0) & ~kFitToPage;
                page.fit_to_page = (u16_at(data, 0) & kFitToPage) != 0;
            }
            return true;
        case rec::kPls:
            page.printer_settings.clear();
            page.printer_settings.append(record.number, data);
            return true;
        default:
            return false;
    }
}

bool load_window_record(const Workbook &book, Sheet &sheet, const RawRecord &record) {
    WindowSettings &window = sheet.window;
    const std::span<const uint8_t> data = record.data;
    switch (record.number) {
        case rec::kWindow2:
            take_window2(book.biff8(), window, data);
            return true;
        case rec::kPane:
            if (data.size() >= kPaneSize)
                window.pane.emplace(data.begin(), data.begin() + kPaneSize);
            return true;
        case rec::kSelection:
            take_selection(window, data);
            return true;
        case rec::kScl:
            if (data.size() >= 4 && u16_at(data, 2) != 0) {
                window.zoom_numerator = u16_at(data, 0);
                window.zoom_denominator = u16_at(data, 2);
            }
            return true;
        case rec::kPhonetic:
            take_phonetic(book.biff8(), sheet.carried.phonetic, data);
            return true;
        case rec::kMergedCells:
            // Excel 95 has no merged cells of its own: a writer's record there is carried.
            if (book.biff8()) {
                take_merged_ranges(book, sheet.merged, data);
            } else {
                sheet.carried.trailer.append(record.number, data);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace tabrix::engine
