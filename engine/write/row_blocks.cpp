#include "engine/write/row_blocks.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

namespace {

constexpr size_t kRowsPerBlock = 32;
constexpr size_t kRowRecordSize = 20;
// ROW options: the row is hidden; the row has a format of its own (a template's).
constexpr uint16_t kRowHidden = 0x0020;
constexpr uint16_t kRowFormatted = 0x0080;

struct RowEntry {
    uint16_t row = 0;
    uint16_t first_column = 0;
    uint16_t column_end = 0;
    uint16_t height = 270;
    uint16_t options = 0x0100;
    uint16_t xf = 15;
    std::span<const uint8_t> cells;
};

void put_row_record(std::vector<uint8_t> &out, const RowEntry &entry) {
    put_u16(out, rec::kRow);
    put_u16(out, 16);
    put_u16(out, entry.row);
    put_u16(out, entry.first_column);
    put_u16(out, entry.column_end);
    put_u16(out, entry.height);
    put_u16(out, 0);
    put_u16(out, 0);
    put_u16(out, entry.options);
    put_u16(out, entry.xf);
}

RowEntry setting_entry(uint16_t row, const RowSetting &setting) {
    RowEntry entry;
    entry.row = row;
    entry.height = setting.height;
    entry.options = setting.options;
    entry.xf = setting.xf;
    return entry;
}

// ROW records in row order: rows with cells, with the settings of rows in between that are
// hidden, formatted or not of the sheet's default height, and after the last row with cells
// all settings left.
std::vector<RowEntry> collect_rows(Sheet &sheet) {
    std::vector<RowEntry> entries;
    entries.reserve(static_cast<size_t>(sheet.cells.last_row() + 1) +
                    sheet.rows_columns.row_settings.size());
    auto setting = sheet.rows_columns.row_settings.begin();
    auto end = sheet.rows_columns.row_settings.end();
    sheet.cells.for_each_row([&](const RowView &view) {
        for (; setting != end && setting->first < view.row; ++setting) {
            RowSetting &s = setting->second;
            if (s.written || ((s.options & (kRowHidden | kRowFormatted)) == 0 &&
                              s.height == sheet.rows_columns.default_row_height)) {
                continue;
            }
            entries.push_back(setting_entry(setting->first, s));
            s.written = true;
        }
        RowEntry entry;
        entry.row = view.row;
        entry.first_column = view.first_column;
        entry.column_end = static_cast<uint16_t>(view.last_column + 1);
        entry.height = sheet.rows_columns.default_row_height;
        entry.options = sheet.rows_columns.default_row_height > 270 ? 0x0140 : 0x0100;
        if (setting != end && setting->first == view.row && !setting->second.written) {
            entry.height = setting->second.height;
            entry.options = setting->second.options;
            entry.xf = setting->second.xf;
            setting->second.written = true;
            ++setting;
        }
        entry.cells = view.bytes;
        entries.push_back(entry);
    });
    for (; setting != end; ++setting) {
        if (setting->second.written) continue;
        entries.push_back(setting_entry(setting->first, setting->second));
        setting->second.written = true;
    }
    return entries;
}

std::vector<uint8_t> dbcell_record(std::span<const RowEntry> rows, size_t cell_bytes) {
    std::vector<uint8_t> record;
    record.reserve(8 + 2 * rows.size());
    put_u16(record, rec::kDbCell);
    put_u16(record, static_cast<uint16_t>(4 + 2 * rows.size()));
    put_u32(record, static_cast<uint32_t>(kRowRecordSize * rows.size() + cell_bytes));
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t offset = i == 0 ? kRowRecordSize * (rows.size() - 1) : rows[i - 1].cells.size();
        put_u16(record, offset >= 65536 ? 0 : static_cast<uint16_t>(offset));
    }
    return record;
}

}  // namespace

CellArea build_cell_area(Sheet &sheet) {
    std::vector<RowEntry> entries = collect_rows(sheet);
    CellArea area;
    if (entries.empty()) return area;
    area.first_row = entries.front().row;
    area.row_end = entries.back().row + 1u;
    area.first_column = UINT16_MAX;
    for (const RowEntry &entry : entries) {
        area.first_column = std::min(area.first_column, entry.first_column);
        area.column_end = std::max(area.column_end, entry.column_end);
    }
    area.blocks.reserve((entries.size() + kRowsPerBlock - 1) / kRowsPerBlock);
    for (size_t start = 0; start < entries.size(); start += kRowsPerBlock) {
        std::span<const RowEntry> rows(entries.data() + start,
                                       std::min(kRowsPerBlock, entries.size() - start));
        RowBlock block;
        block.rows.reserve(kRowRecordSize * rows.size());
        block.cells.reserve(rows.size());
        size_t cell_bytes = 0;
        for (const RowEntry &row : rows) {
            put_row_record(block.rows, row);
            if (!row.cells.empty()) block.cells.push_back({row.row, row.cells});
            cell_bytes += row.cells.size();
        }
        block.dbcell = dbcell_record(rows, cell_bytes);
        area.byte_total += block.rows.size() + cell_bytes;
        area.dbcell_positions.push_back(static_cast<uint32_t>(area.byte_total));
        area.byte_total += block.dbcell.size();
        area.blocks.push_back(std::move(block));
    }
    return area;
}

}  // namespace tabrix::engine
