#include "engine/write/row_blocks.h"

#include <algorithm>
#include <array>

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

// Stored field by field into its place: a sheet's close makes one for every row.
void store_row_record(uint8_t *out, const RowEntry &entry) {
    store_u16(out, rec::kRow);
    store_u16(out + 2, 16);
    store_u16(out + 4, entry.row);
    store_u16(out + 6, entry.first_column);
    store_u16(out + 8, entry.column_end);
    store_u16(out + 10, entry.height);
    store_u16(out + 12, 0);
    store_u16(out + 14, 0);
    store_u16(out + 16, entry.options);
    store_u16(out + 18, entry.xf);
}

RowEntry setting_entry(uint16_t row, const RowSetting &setting) {
    RowEntry entry;
    entry.row = row;
    entry.height = setting.height;
    entry.options = setting.options;
    entry.xf = setting.xf;
    return entry;
}

// ROW records in row order, handed to `visit`: rows with cells, with the settings of rows in
// between that are hidden, formatted or not of the sheet's default height, and after the last
// row with cells all settings left.
template <class Visit>
void visit_rows(Sheet &sheet, Visit &&visit) {
    auto setting = sheet.rows_columns.row_settings.begin();
    auto end = sheet.rows_columns.row_settings.end();
    sheet.cells.for_each_row([&](const RowView &view) {
        for (; setting != end && setting->first < view.row; ++setting) {
            RowSetting &s = setting->second;
            if (s.written || ((s.options & (kRowHidden | kRowFormatted)) == 0 &&
                              s.height == sheet.rows_columns.default_row_height)) {
                continue;
            }
            visit(setting_entry(setting->first, s));
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
        visit(entry);
    });
    for (; setting != end; ++setting) {
        if (setting->second.written) continue;
        visit(setting_entry(setting->first, setting->second));
        setting->second.written = true;
    }
}

std::vector<uint8_t> dbcell_record(std::span<const RowEntry> rows, size_t cell_bytes) {
    std::vector<uint8_t> record(8 + 2 * rows.size());
    store_u16(record.data(), rec::kDbCell);
    store_u16(record.data() + 2, static_cast<uint16_t>(4 + 2 * rows.size()));
    store_u32(record.data() + 4, static_cast<uint32_t>(kRowRecordSize * rows.size() + cell_bytes));
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t offset = i == 0 ? kRowRecordSize * (rows.size() - 1) : rows[i - 1].cells.size();
        store_u16(record.data() + 8 + 2 * i, offset >= 65536 ? 0 : static_cast<uint16_t>(offset));
    }
    return record;
}

}  // namespace

// The blocks are made as the rows come, 32 at a time.
CellArea build_cell_area(Sheet &sheet) {
    CellArea area;
    area.blocks.reserve(static_cast<size_t>(sheet.cells.last_row() + 1) / kRowsPerBlock + 1);
    std::array<RowEntry, kRowsPerBlock> pending;
    size_t count = 0;
    const auto add_block = [&] {
        const std::span<const RowEntry> rows(pending.data(), count);
        RowBlock block;
        block.rows.resize(kRowRecordSize * rows.size());
        block.cells.reserve(rows.size());
        size_t cell_bytes = 0;
        uint8_t *row_record = block.rows.data();
        for (const RowEntry &row : rows) {
            store_row_record(row_record, row);
            row_record += kRowRecordSize;
            if (!row.cells.empty()) block.cells.push_back({row.row, row.cells});
            cell_bytes += row.cells.size();
        }
        block.dbcell = dbcell_record(rows, cell_bytes);
        area.byte_total += block.rows.size() + cell_bytes;
        area.dbcell_positions.push_back(static_cast<uint32_t>(area.byte_total));
        area.byte_total += block.dbcell.size();
        area.blocks.push_back(std::move(block));
        count = 0;
    };
    area.first_column = UINT16_MAX;
    visit_rows(sheet, [&](const RowEntry &entry) {
        if (area.row_end == 0) area.first_row = entry.row;
        area.row_end = entry.row + 1u;
        area.first_column = std::min(area.first_column, entry.first_column);
        area.column_end = std::max(area.column_end, entry.column_end);
        pending[count++] = entry;
        if (count == kRowsPerBlock) add_block();
    });
    if (count > 0) add_block();
    if (area.row_end == 0) area.first_column = 0;
    return area;
}

}  // namespace tabrix::engine
