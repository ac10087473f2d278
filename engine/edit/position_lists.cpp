#include "engine/edit/position_lists.h"

#include <algorithm>
#include <map>

#include "engine/biff/le_bytes.h"

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

// A break lies before its row (column): it goes with that row and moves with it.
void move_breaks(std::vector<uint16_t> &breaks, const AxisMove &move) {
    std::erase_if(breaks, [&](uint16_t &position) {
        const int32_t moved = move_position(move, position);
        if (moved <= 0) return true;
        position = static_cast<uint16_t>(moved);
        return false;
    });
}

// A cell of the window that is gone is taken by the one now in its place.
int32_t moved_or_in_place(const AxisMove &move, int32_t position) {
    const int32_t moved = move_position(move, position);
    return moved >= 0 ? moved : std::min(move.at, move.last);
}

// A boundary before a row (column) of the window: it follows the rows before it, so rows
// inserted right at it come after it.
int32_t moved_boundary(const AxisMove &move, int32_t boundary) {
    int32_t first = 0;
    int32_t last = boundary - 1;
    if (boundary <= 0) return 0;
    return move_span(move, first, false, last, true) ? last + 1 : 0;
}

// PANE: the split (columns, rows), the first row and column of the lower-right pane, the
// active pane. Frozen panes split after a count of rows and columns; a split window's split
// is a distance, which stays.
constexpr size_t kPaneBytes = 10;
constexpr uint16_t kFrozen = 0x0008;
// SELECTION: pane, active cell (row, column), active range, range count, then each range
// (rows in two bytes, columns in one).
constexpr size_t kSelectionHeadBytes = 9;
constexpr size_t kSelectionRangeBytes = 6;

void move_pane(WindowSettings &window, const AxisMove &move, bool rows) {
    if (!window.pane || window.pane->size() < kPaneBytes) return;
    uint8_t *pane = window.pane->data();
    uint8_t *split = pane + (rows ? 2 : 0);
    uint8_t *first = pane + (rows ? 4 : 6);
    if (window.options & kFrozen) {
        store_u16(split, static_cast<uint16_t>(moved_boundary(move, load_u16(split))));
    }
    store_u16(first, static_cast<uint16_t>(moved_boundary(move, load_u16(first))));
}

void move_selection(WindowSettings &window, const AxisMove &move, bool rows) {
    if (!window.selection || window.selection->size() < kSelectionHeadBytes) return;
    std::vector<uint8_t> &data = *window.selection;
    uint8_t *active = data.data() + (rows ? 1 : 3);
    store_u16(active, static_cast<uint16_t>(moved_or_in_place(move, load_u16(active))));
    const size_t count = std::min<size_t>(
        load_u16(data.data() + 7), (data.size() - kSelectionHeadBytes) / kSelectionRangeBytes);
    for (size_t i = 0; i < count; ++i) {
        uint8_t *range = data.data() + kSelectionHeadBytes + i * kSelectionRangeBytes;
        int32_t first = rows ? load_u16(range) : range[4];
        int32_t last = rows ? load_u16(range + 2) : range[5];
        // A range of deleted cells only shrinks to the active cell.
        if (!move_span(move, first, true, last, true)) first = last = load_u16(active);
        if (rows) {
            store_u16(range, static_cast<uint16_t>(first));
            store_u16(range + 2, static_cast<uint16_t>(last));
        } else {
            range[4] = static_cast<uint8_t>(first);
            range[5] = static_cast<uint8_t>(last);
        }
    }
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
    move_breaks(sheet.page.row_breaks, move);
    move_pane(sheet.window, move, true);
    move_selection(sheet.window, move, true);
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
    move_breaks(sheet.page.column_breaks, move);
    move_pane(sheet.window, move, false);
    move_selection(sheet.window, move, false);
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
