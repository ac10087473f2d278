#include "engine/edit/position_lists.h"

#include <algorithm>
#include <map>

namespace tabrix::engine {
namespace {

bool single_cell(const MergedRange &range) {
    return range.first_row == range.last_row && range.first_column == range.last_column;
}

// Moves the merged ranges along one axis (the rows when `rows`), dropping those left empty
// or as a single cell.
void move_merged(std::vector<MergedRange> &merged, const AxisMove &move, bool rows) {
    std::erase_if(merged, [&](MergedRange &range) {
        int32_t first = rows ? range.first_row : range.first_column;
        int32_t last = rows ? range.last_row : range.last_column;
        if (!move_span(move, first, true, last, true)) return true;
        (rows ? range.first_row : range.first_column) = static_cast<uint16_t>(first);
        (rows ? range.last_row : range.last_column) = static_cast<uint16_t>(last);
        return single_cell(range);
    });
}

void move_keywords(std::vector<KeywordEntry> &keywords, const AxisMove &move, bool rows) {
    std::erase_if(keywords, [&](KeywordEntry &entry) {
        uint16_t &position = rows ? entry.row : entry.column;
        const int32_t moved = move_position(move, position);
        if (moved < 0) return true;
        position = static_cast<uint16_t>(moved);
        return false;
    });
}

}  // namespace

void move_rows_in_lists(Sheet &sheet, const AxisMove &move) {
    std::map<uint16_t, RowSetting> &settings = sheet.rows_columns.row_settings;
    std::map<uint16_t, RowSetting> moved_settings;
    for (auto &[row, setting] : settings) {
        const int32_t moved = move_position(move, row);
        if (moved >= 0) moved_settings.emplace_hint(moved_settings.end(), moved, setting);
    }
    settings.swap(moved_settings);
    move_merged(sheet.merged, move, true);
    move_keywords(sheet.keywords, move, true);
}

void move_columns_in_lists(Sheet &sheet, const AxisMove &move) {
    std::erase_if(sheet.rows_columns.columns, [&](ColumnInfo &info) {
        int32_t first = info.first;
        int32_t last = std::min<int32_t>(info.last, move.last);
        if (!move_span(move, first, true, last, true)) return true;
        info.first = static_cast<uint16_t>(first);
        info.last = static_cast<uint16_t>(last);
        return false;
    });
    move_merged(sheet.merged, move, false);
    move_keywords(sheet.keywords, move, false);
}

void clear_block_in_lists(Sheet &sheet, const CellRect &rect) {
    const auto inside = [&](int32_t x, int32_t y) {
        return x >= rect.x && x <= rect.last_x() && y >= rect.y && y <= rect.last_y();
    };
    std::erase_if(sheet.merged, [&](const MergedRange &range) {
        return inside(range.first_column, range.first_row) &&
               inside(range.last_column, range.last_row);
    });
    std::erase_if(sheet.keywords,
                  [&](const KeywordEntry &entry) { return inside(entry.column, entry.row); });
}

}  // namespace tabrix::engine
