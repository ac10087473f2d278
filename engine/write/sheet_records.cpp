#include "engine/write/sheet_records.h"

#include <algorithm>

#include "engine/biff/common_records.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/layout/page_setup.h"

namespace tabrix::engine {

namespace {

constexpr size_t kMergedRangesPerRecord = 1024;
constexpr uint16_t kPortrait = 0x0002;

std::vector<uint8_t> bytes(std::initializer_list<uint8_t> list) {
    return list;
}

// First row and last row + 1: 32-bit fields in Excel 97, 16-bit in Excel 95.
void put_row_range(std::vector<uint8_t> &out, bool biff8, const CellArea &area) {
    if (biff8) {
        put_u32(out, area.first_row);
        put_u32(out, area.row_end);
    } else {
        put_u16(out, static_cast<uint16_t>(area.first_row));
        put_u16(out, static_cast<uint16_t>(area.row_end));
    }
}

Record index_record(bool biff8, const CellArea &area) {
    Record record{rec::kIndex, {}};
    put_u32(record.data, 0);
    put_row_range(record.data, biff8, area);
    put_u32(record.data, 0);
    for (uint32_t position : area.dbcell_positions) put_u32(record.data, position);
    return record;
}

Record dimensions_record(bool biff8, const CellArea &area) {
    Record record{rec::kDimensions, {}};
    put_row_range(record.data, biff8, area);
    put_u16(record.data, area.first_column);
    put_u16(record.data, area.column_end);
    put_u16(record.data, 0);
    return record;
}

Record f64_record(uint16_t number, double value) {
    Record record{number, {}};
    put_f64(record.data, value);
    return record;
}

Record u16_record(uint16_t number, uint16_t value) {
    Record record{number, {}};
    put_u16(record.data, value);
    return record;
}

// A calculation setting as a template had it (of the size the record has), else the default.
Record calculation_record(const RecordList &carried, const Record &fallback) {
    for (const Record &record : carried.records()) {
        if (record.number == fallback.number && record.data.size() == fallback.data.size()) {
            return record;
        }
    }
    return fallback;
}

Record page_breaks_record(bool biff8, uint16_t number, const std::vector<uint16_t> &breaks,
                          size_t limit, uint16_t span_end) {
    size_t count = std::min(breaks.size(), limit);
    Record record{number, {}};
    put_u16(record.data, static_cast<uint16_t>(count));
    for (size_t i = 0; i < count; ++i) {
        put_u16(record.data, breaks[i]);
        if (biff8) {
            put_u16(record.data, 0);
            put_u16(record.data, span_end);
        }
    }
    return record;
}

Record setup_record(const Sheet &sheet) {
    const SetupRecord &setup = sheet.page.setup;
    Record record{rec::kSetup, {}};
    put_u16(record.data, setup.paper_size);
    put_u16(record.data, setup.scale);
    put_u16(record.data, setup.first_page);
    put_u16(record.data, setup.fit_width);
    put_u16(record.data, setup.fit_height);
    // The sheet's orientation value decides the portrait bit whatever the stored word holds.
    put_u16(record.data, static_cast<uint16_t>((setup.options & ~kPortrait) |
                                               (sheet.page.orientation & kPortrait)));
    put_u16(record.data, setup.resolution);
    put_u16(record.data, setup.vertical_resolution);
    put_f64(record.data, setup.header_margin);
    put_f64(record.data, setup.footer_margin);
    put_u16(record.data, setup.copies);
    return record;
}

Record column_info_record(const ColumnInfo &column) {
    Record record{rec::kColInfo, {}};
    put_u16(record.data, column.first);
    put_u16(record.data, column.last);
    put_u16(record.data, column.width);
    put_u16(record.data, column.xf);
    put_u16(record.data, column.options);
    put_u16(record.data, 0);
    return record;
}

// A margin is written when it differs from its default in millimetres or came from a file.
void append_margin(RecordList &list, const PageSettings &page, size_t side, double default_mm) {
    const double inches = page.margins[side];
    if (inches * 25.4 != default_mm || page.margins_from_file[side]) {
        list.records().push_back(
            f64_record(static_cast<uint16_t>(rec::kLeftMargin + side), inches));
    }
}

Record window2_record(bool biff8, const Sheet &sheet, bool active) {
    Record record{rec::kWindow2, {}};
    put_u16(record.data, window2_options(sheet, active));
    put_u16(record.data, sheet.window.first_visible_row);
    put_u16(record.data, sheet.window.first_visible_column);
    if (biff8) {
        put_u16(record.data, 64);
        put_u16(record.data, 0);
        put_u16(record.data, sheet.window.page_break_zoom);
        put_u16(record.data, sheet.window.normal_zoom);
        put_u32(record.data, 0);
    } else {
        put_u32(record.data, 0);
    }
    return record;
}

void append_merged_cells(RecordList &list, const std::vector<MergedRange> &ranges) {
    for (size_t start = 0; start < ranges.size(); start += kMergedRangesPerRecord) {
        size_t count = std::min(kMergedRangesPerRecord, ranges.size() - start);
        std::vector<uint8_t> body;
        body.reserve(2 + 8 * count);
        put_u16(body, static_cast<uint16_t>(count));
        for (size_t i = start; i < start + count; ++i) {
            put_u16(body, ranges[i].first_row);
            put_u16(body, ranges[i].last_row);
            put_u16(body, ranges[i].first_column);
            put_u16(body, ranges[i].last_column);
        }
        list.append(rec::kMergedCells, std::move(body));
    }
}

void append_all(RecordList &list, const RecordList &from) {
    for (const Record &record : from.records()) list.records().push_back(record);
}

}  // namespace

uint16_t window2_options(const Sheet &sheet, bool active) {
    uint16_t options = static_cast<uint16_t>(sheet.window.options & ~0x0002);
    if (sheet.window.show_grid) options |= 0x0002;
    options &= 0x00FF;
    if (active) options |= 0x0600;
    return options;
}

RecordList sheet_header_records(bool biff8, const Sheet &sheet, const CellArea &area) {
    RecordList list;
    list.records().push_back(bof_record(biff8, kBofWorksheet));
    list.records().push_back(index_record(biff8, area));
    for (const Record &setting :
         {u16_record(rec::kCalcMode, 1), u16_record(rec::kCalcCount, 100),
          u16_record(rec::kRefMode, 1), u16_record(rec::kIteration, 0),
          f64_record(rec::kDelta, 0.001), u16_record(rec::kSaveRecalc, 1)}) {
        list.records().push_back(calculation_record(sheet.carried.calculation, setting));
    }
    list.append_u16(rec::kPrintHeaders, sheet.page.print_headers);
    list.append_u16(rec::kPrintGridlines, sheet.page.print_gridlines);
    list.append_u16(rec::kGridSet, 1);
    list.append(rec::kGuts, std::vector<uint8_t>(8, 0));
    std::vector<uint8_t> default_row_height;
    put_u16(default_row_height, sheet.rows_columns.default_row_options);
    put_u16(default_row_height, sheet.rows_columns.default_row_height);
    list.append(rec::kDefaultRowHeight, std::move(default_row_height));
    if (!biff8) list.append(rec::kCountry, bytes({81, 0, 81, 0}));
    list.append_u16(rec::kWsBool, static_cast<uint16_t>(sheet.page.sheet_options |
                                                        (sheet.page.fit_to_page ? 0x0100 : 0)));
    if (!sheet.page.row_breaks.empty()) {
        list.records().push_back(page_breaks_record(biff8, rec::kHorizontalPageBreaks,
                                                    sheet.page.row_breaks, kMaxRowBreaks, 255));
    }
    if (!sheet.page.column_breaks.empty()) {
        list.records().push_back(page_breaks_record(
            biff8, rec::kVerticalPageBreaks, sheet.page.column_breaks, kMaxColumnBreaks, 65535));
    }
    if (sheet.page.header) list.append(rec::kHeader, *sheet.page.header);
    if (sheet.page.footer) list.append(rec::kFooter, *sheet.page.footer);
    list.append_u16(rec::kHCenter, sheet.page.hcenter);
    list.append_u16(rec::kVCenter, sheet.page.vcenter);
    append_margin(list, sheet.page, 0, 20.0);
    append_margin(list, sheet.page, 1, 20.0);
    append_margin(list, sheet.page, 2, 25.0);
    append_margin(list, sheet.page, 3, 25.0);
    append_all(list, sheet.page.printer_settings);
    list.records().push_back(setup_record(sheet));
    list.append_u16(rec::kDefColWidth, sheet.rows_columns.default_column_width);
    for (const ColumnInfo &column : sheet.rows_columns.columns) {
        list.records().push_back(column_info_record(column));
    }
    append_all(list, sheet.carried.settings);
    list.records().push_back(dimensions_record(biff8, area));
    return list;
}

void add_index_base(Record &index, bool biff8, uint32_t base) {
    size_t first = biff8 ? 16 : 12;
    for (size_t at = first; at + 4 <= index.data.size(); at += 4) {
        store_u32(&index.data[at], load_u32(&index.data[at]) + base);
    }
}

RecordList sheet_trailer_records(bool biff8, const Sheet &sheet, bool active) {
    RecordList list;
    append_all(list, sheet.carried.caller_records);
    list.records().push_back(window2_record(biff8, sheet, active));
    if (sheet.window.pane) list.append(rec::kPane, *sheet.window.pane);
    if (sheet.window.selection) {
        list.append(rec::kSelection, *sheet.window.selection);
    } else {
        list.append(rec::kSelection, bytes({0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    }
    if (biff8) {
        append_merged_cells(list, sheet.merged);
        if (sheet.carried.phonetic) {
            list.records().push_back(*sheet.carried.phonetic);
        } else {
            list.append(rec::kPhonetic, bytes({0x05, 0x00, 0x35, 0x00, 0x00, 0x00}));
        }
    }
    append_all(list, sheet.carried.trailer);
    if (sheet.carried.code_name) list.records().push_back(*sheet.carried.code_name);
    if (load_u16(sheet.rows_columns.gcw.data()) > 0) list.append(rec::kGcw, sheet.rows_columns.gcw);
    if (sheet.rows_columns.standard_width != 0)
        list.append_u16(rec::kStandardWidth, sheet.rows_columns.standard_width);
    if (sheet.window.zoom_numerator != 0 || sheet.window.zoom_denominator != 0) {
        std::vector<uint8_t> scl;
        put_u16(scl, sheet.window.zoom_numerator);
        put_u16(scl, sheet.window.zoom_denominator);
        list.append(rec::kScl, std::move(scl));
    }
    list.records().push_back(eof_record());
    return list;
}

}  // namespace tabrix::engine
