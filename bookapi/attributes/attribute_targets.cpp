#include "bookapi/attributes/attribute_targets.h"

#include <algorithm>
#include <limits>

#include "bookapi/positions/position_parser.h"
#include "engine/exports/book_services/book_services.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

namespace {

namespace services = engine::services;

constexpr int32_t kLastColumn = 255;

int32_t moved(int32_t coordinate, int32_t offset) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{coordinate} + offset,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t target_rectangles(const BookRecord &book, std::string_view position, TargetRule rule,
                          std::vector<CellRect> &rects) {
    rects.clear();
    std::vector<PositionItem> items;
    if (int32_t rc = parse_position(book, position, rule != TargetRule::boxes, items); rc != 0)
        return rc;
    const int32_t rows = services::workbook_max_rows(book.engine_handle);
    if (rows < 0) return rows;
    auto add = [&](const CellRect &rect) {
        if (rect.x1 < 0 || rect.x2 > kLastColumn || rect.y1 < 0 || rect.y2 >= rows) return false;
        rects.push_back(rect);
        return true;
    };
    for (const PositionItem &item : items) {
        if (rule != TargetRule::cells && (item.keyword || !item.range))
            return rule == TargetRule::merges ? -errParam : -errPosition;
        if (!item.keyword) {
            const CellRect rect = item.range ? CellRect{item.x1, item.y1, item.x2, item.y2}
                                             : CellRect{item.x1, item.y1, item.x1, item.y1};
            if (!add(rect)) return -errPosition;
            continue;
        }
        std::vector<services::CellPoint> cells;
        if (int32_t rc = services::keyword_cells(book.engine_handle, book.current_sheet,
                                                 item.keyword_text, cells);
            rc != 0) {
            return rc;
        }
        for (const services::CellPoint &cell : cells) {
            const int32_t x = moved(cell.x, item.dx);
            const int32_t y = moved(cell.y, item.dy);
            if (!add({x, y, x, y})) return -errPosition;
        }
    }
    return 0;
}

}  // namespace tabrix::bookapi
