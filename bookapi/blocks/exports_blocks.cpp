// C entry points: rows, columns and blocks of the current sheet inserted, deleted, cleared,
// copied and pasted. The engine's -1 (a wrong or empty buffer, a bad count or size) reads
// as the operation's own error.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

int32_t as_operation_error(int32_t rc, XLERROR own) {
    return rc == -1 ? -static_cast<int32_t>(own) : rc;
}

// The cells or ranges of a position (null: the book's current one). A keyword or a name
// that names no cell is a position error.
int32_t position_areas(const BookRecord &book, const char *position,
                       std::vector<PositionItem> &items) {
    if (int32_t rc = parse_position(book, position_or_current(book, position), true, items);
        rc != 0) {
        return rc;
    }
    for (const PositionItem &item : items) {
        if (item.keyword || item.x1 < 0 || item.y1 < 0) return -errPosition;
    }
    return 0;
}

// The extent of a part, held at the largest 32-bit value (far beyond any sheet).
int32_t extent(bool range, int32_t first, int32_t last) {
    if (!range) return 1;
    return static_cast<int32_t>(std::min<int64_t>(int64_t{last} - first + 1, INT32_MAX));
}
int32_t width_of(const PositionItem &item) {
    return extent(item.range, item.x1, item.x2);
}
int32_t height_of(const PositionItem &item) {
    return extent(item.range, item.y1, item.y2);
}

// Runs an engine call on the current book (one that may be changed) and sheet, its -1 read
// as `own`.
template <class Call>
int32_t on_current_sheet(XLERROR own, Call &&call) {
    return on_writable_book([&](BookRecord &book) {
        return as_operation_error(call(book.engine_handle, book.current_sheet), own);
    });
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsRowDelete(int32_t row, int32_t count) {
    return on_current_sheet(errDelete,
                            [&](int32_t h, int32_t s) { return XM_RowDelete(h, s, row, count); });
}

TABRIX_API int32_t XlsRowClear(int32_t row, int32_t count) {
    return on_current_sheet(errClear,
                            [&](int32_t h, int32_t s) { return XM_RowClear(h, s, row, count); });
}

TABRIX_API int32_t XlsRowInsert(int32_t row, int32_t count) {
    return on_current_sheet(errInsert,
                            [&](int32_t h, int32_t s) { return XM_RowInsert(h, s, row, count); });
}

TABRIX_API int32_t XlsRowCopy(int32_t source, int32_t target) {
    return on_current_sheet(errCopy,
                            [&](int32_t h, int32_t s) { return XM_RowCopy(h, s, source, target); });
}

TABRIX_API int32_t XlsRowPaste(int32_t row) {
    return on_current_sheet(errPaste, [&](int32_t h, int32_t s) { return XM_RowPaste(h, s, row); });
}

TABRIX_API int32_t XlsColumnDelete(int32_t column, int32_t count) {
    return on_current_sheet(
        errDelete, [&](int32_t h, int32_t s) { return XM_ColumnDelete(h, s, column, count); });
}

TABRIX_API int32_t XlsColumnClear(int32_t column, int32_t count) {
    return on_current_sheet(
        errClear, [&](int32_t h, int32_t s) { return XM_ColumnClear(h, s, column, count); });
}

TABRIX_API int32_t XlsColumnInsert(int32_t column, int32_t count) {
    return on_current_sheet(
        errInsert, [&](int32_t h, int32_t s) { return XM_ColumnInsert(h, s, column, count); });
}

TABRIX_API int32_t XlsColumnCopy(int32_t source, int32_t target) {
    return on_current_sheet(
        errCopy, [&](int32_t h, int32_t s) { return XM_ColumnCopy(h, s, source, target); });
}

TABRIX_API int32_t XlsColumnPaste(int32_t column) {
    return on_current_sheet(errPaste,
                            [&](int32_t h, int32_t s) { return XM_ColumnPaste(h, s, column); });
}

// Every part of the position is cleared.
TABRIX_API int32_t XlsClear(const char *range) {
    return on_writable_book([&](BookRecord &book) {
        std::vector<PositionItem> items;
        if (int32_t rc = position_areas(book, range, items); rc != 0) return rc;
        for (const PositionItem &item : items) {
            const int32_t rc = XM_BlockClear(book.engine_handle, book.current_sheet, item.x1,
                                             item.y1, width_of(item), height_of(item));
            if (rc != 0) return as_operation_error(rc, errClear);
        }
        return 0;
    });
}

// The first part of each position: the block copied, the cell it is pasted at. Without a
// target (null or empty) the block is only copied, for a later XlsPaste; pasting it onto
// itself would be no use.
TABRIX_API int32_t XlsCopy(const char *source, const char *target) {
    return on_writable_book([&](BookRecord &book) {
        std::vector<PositionItem> from;
        if (int32_t rc = position_areas(book, source, from); rc != 0) return rc;
        const PositionItem &block = from.front();
        if (!target || !*target) {
            return as_operation_error(
                XM_BlockCopyOnly(book.engine_handle, book.current_sheet, block.x1, block.y1,
                                 width_of(block), height_of(block)),
                errCopy);
        }
        std::vector<PositionItem> to;
        if (int32_t rc = position_areas(book, target, to); rc != 0) return rc;
        return as_operation_error(
            XM_BlockCopy(book.engine_handle, book.current_sheet, block.x1, block.y1,
                         width_of(block), height_of(block), to.front().x1, to.front().y1),
            errCopy);
    });
}

TABRIX_API int32_t XlsPaste(const char *target) {
    return on_writable_book([&](BookRecord &book) {
        std::vector<PositionItem> to;
        if (int32_t rc = position_areas(book, target, to); rc != 0) return rc;
        return as_operation_error(
            XM_BlockPaste(book.engine_handle, book.current_sheet, to.front().x1, to.front().y1),
            errPaste);
    });
}

}  // extern "C"
