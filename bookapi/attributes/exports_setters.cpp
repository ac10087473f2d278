// C entry points: the attribute setters, which gather properties for one position and apply
// all of them to its cells at every call, and the borders drawn over ranges.
#include <string>
#include <vector>

#include "bookapi/attributes/attribute_request.h"
#include "bookapi/attributes/attribute_targets.h"
#include "bookapi/books/book_call.h"
#include "bookapi/positions/current_position.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

// Applies everything pending to the cells of the book's position: a merge over each range as
// one, anything else cell by cell, row by row, each cell with its own font. Every part is
// checked before the first cell changes.
int32_t apply_pending(BookRecord &book, bool merge) {
    std::vector<CellRect> rects;
    if (int32_t rc = target_rectangles(book, book.current_position,
                                       merge ? TargetRule::merges : TargetRule::cells, rects);
        rc != 0) {
        return rc;
    }
    XLATTR request;
    if (int32_t rc = pending_request(book, request); rc != 0) return rc;
    const int32_t h = book.engine_handle;
    const int32_t s = book.current_sheet;
    for (const CellRect &rect : rects) {
        if (merge) {
            XLATTR cell = request;
            int32_t rc = resolve_font(book, rect.x1, rect.y1, cell);
            if (rc == 0) rc = XM_SetAttrExt2(h, s, rect.x1, rect.y1, rect.x2, rect.y2, &cell);
            if (rc != 0) return rc;
            continue;
        }
        for (int32_t y = rect.y1; y <= rect.y2; ++y) {
            for (int32_t x = rect.x1; x <= rect.x2; ++x) {
                XLATTR cell = request;
                int32_t rc = resolve_font(book, x, y, cell);
                if (rc == 0) rc = XM_SetAttr2(h, s, x, y, &cell);
                if (rc != 0) return rc;
            }
        }
    }
    return 0;
}

// The setter sequence: move to the position, keep the value, apply everything pending.
template <class Store>
int32_t put_attribute(const char *position, Store &&store, bool merge = false) {
    return on_writable_book([&](BookRecord &book) {
        if (int32_t rc = move_to(book, position); rc != 0) return rc;
        store(book.pending);
        return apply_pending(book, merge);
    });
}

int32_t put_number(int32_t PendingAttributes::*field, int32_t value, const char *position) {
    return put_attribute(position, [&](PendingAttributes &p) { p.*field = value; });
}

// Some callers pass -1 for true.
int32_t put_flag(int32_t PendingAttributes::*field, int32_t flag, const char *position,
                 bool merge = false) {
    return put_attribute(
        position, [&](PendingAttributes &p) { p.*field = flag == -1 ? 1 : flag; }, merge);
}

// A longer text than the block keeps is refused before anything changes: cutting a format
// or a name would apply a different one.
int32_t put_text(std::string PendingAttributes::*field, const char *text, const char *position) {
    const std::string_view value = narrow_view(text);
    if (value.size() > kMaxPendingText) {
        return on_writable_book([](BookRecord &) { return -errLength; });
    }
    return put_attribute(position, [&](PendingAttributes &p) { p.*field = value; });
}

// The engine's line code: style in bits 0-7, colour in bits 8-15.
int32_t line_code(int32_t line) {
    const auto packed = static_cast<uint32_t>(line);
    return static_cast<int32_t>(((packed & 0x00FFFFFFu) << 8) + (packed >> 24));
}

using LineCall = int32_t (*)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);

LineCall line_call(int32_t box_type) {
    switch (box_type) {
        case btLtc:
            return XM_LtcLine;
        case btOver:
            return XM_OverLine;
        case btUnder:
            return XM_UnderLine;
        case btLeft:
            return XM_LeftLine;
        case btRight:
            return XM_RightLine;
        default:
            return XM_BoxLine;
    }
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsPutFormat(const char *format, const char *position) {
    return put_text(&PendingAttributes::format, format, position);
}

TABRIX_API int32_t XlsPutFontName(const char *name, const char *position) {
    return put_text(&PendingAttributes::font_name, name, position);
}

TABRIX_API int32_t XlsPutFontPoint(double size, const char *position) {
    return put_attribute(position, [&](PendingAttributes &p) { p.font_size = size; });
}

TABRIX_API int32_t XlsPutFontColor(int32_t colour, const char *position) {
    return put_number(&PendingAttributes::font_colour, colour, position);
}

TABRIX_API int32_t XlsPutFontStyle(int32_t style, const char *position) {
    return put_number(&PendingAttributes::font_style, style, position);
}

TABRIX_API int32_t XlsPutFontULine(int32_t underline, const char *position) {
    return put_number(&PendingAttributes::underline, underline, position);
}

TABRIX_API int32_t XlsPutLineTop(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_top, line, position);
}

TABRIX_API int32_t XlsPutLineBottom(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_bottom, line, position);
}

TABRIX_API int32_t XlsPutLineLeft(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_left, line, position);
}

TABRIX_API int32_t XlsPutLineRight(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_right, line, position);
}

TABRIX_API int32_t XlsPutLineLeftUp(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_left_up, line, position);
}

TABRIX_API int32_t XlsPutLineRightUp(int32_t line, const char *position) {
    return put_number(&PendingAttributes::line_right_up, line, position);
}

TABRIX_API int32_t XlsPutPattern(int32_t pattern, const char *position) {
    return put_number(&PendingAttributes::pattern, pattern, position);
}

TABRIX_API int32_t XlsPutBackColor(int32_t colour, const char *position) {
    return put_number(&PendingAttributes::back_colour, colour, position);
}

TABRIX_API int32_t XlsPutPosHorz(int32_t value, const char *position) {
    return put_number(&PendingAttributes::pos_horz, value, position);
}

TABRIX_API int32_t XlsPutPosVert(int32_t value, const char *position) {
    return put_number(&PendingAttributes::pos_vert, value, position);
}

TABRIX_API int32_t XlsPutPosTurn(int32_t value, const char *position) {
    return put_number(&PendingAttributes::turn, value, position);
}

TABRIX_API int32_t XlsPutOverReturn(int32_t flag, const char *position) {
    return put_flag(&PendingAttributes::over_return, flag, position);
}

TABRIX_API int32_t XlsPutFit(int32_t flag, const char *position) {
    return put_flag(&PendingAttributes::fit, flag, position);
}

TABRIX_API int32_t XlsPutJoint(int32_t flag, const char *position) {
    return put_flag(&PendingAttributes::joint, flag, position, true);
}

TABRIX_API int32_t XlsPutBox(int32_t line, int32_t box_type, const char *position) {
    return on_writable_book([&](BookRecord &book) {
        std::vector<CellRect> rects;
        if (int32_t rc = target_rectangles(book, position_or_current(book, position),
                                           TargetRule::boxes, rects);
            rc != 0) {
            return rc;
        }
        const LineCall draw = line_call(box_type);
        for (const CellRect &rect : rects) {
            if (int32_t rc = draw(book.engine_handle, book.current_sheet, rect.x1, rect.y1, rect.x2,
                                  rect.y2, line_code(line));
                rc != 0) {
                return rc;
            }
        }
        return 0;
    });
}

}  // extern "C"
