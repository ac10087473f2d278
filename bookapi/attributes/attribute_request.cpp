#include "bookapi/attributes/attribute_request.h"

#include <algorithm>
#include <limits>

#include "engine/exports/book_services/book_services.h"
#include "tabrix.h"

namespace tabrix::bookapi {

namespace {

namespace services = engine::services;

constexpr int16_t kNoLine = 255;       // a border style that removes the line
constexpr int32_t kFirstPosHorz = 20;  // phNormal; below it a left indent
constexpr int32_t kFirstTurn = 100;    // ptHorz; below it a rotation in degrees
constexpr int32_t kMaxPattern = 18;

// A 32-bit value in a 16-bit field: out-of-range values stay out of range (the engine then
// normalises them) instead of wrapping into a valid one.
int16_t field(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

// Packed lines and patterns: the number in bits 24-31 (sign kept), the colour in the low 16.
int32_t packed_style(int32_t value) {
    return value >> 24;
}
int16_t packed_colour(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

void put_edge(int32_t value, int16_t &style, int16_t &colour) {
    if (value == -1) return;
    const int32_t number = packed_style(value);
    style = number == 0 ? kNoLine : field(number);
    colour = packed_colour(value);
}

// Both diagonals in one: each one pending with a line adds its kind; the line's style and
// colour are the right-up one's whenever that draws, and no line at all removes both.
void put_diagonals(const PendingAttributes &p, XLATTR &request) {
    const bool left_set = p.line_left_up != -1;
    const bool right_set = p.line_right_up != -1;
    if (!left_set && !right_set) return;
    const int32_t left = left_set ? packed_style(p.line_left_up) : 0;
    const int32_t right = right_set ? packed_style(p.line_right_up) : 0;
    const int32_t kind = (left != 0 ? 1 : 0) | (right != 0 ? 2 : 0);
    const bool from_left = kind == 1 || (kind == 0 && !right_set);
    const int32_t value = from_left ? p.line_left_up : p.line_right_up;
    request.DiagKind = static_cast<int16_t>(kind);
    request.DiagStyle = kind == 0 ? kNoLine : field(packed_style(value));
    request.DiagColor = packed_colour(value);
}

void put_turn(int32_t turn, XLATTR &request) {
    if (turn >= kFirstTurn) {
        const int64_t orient = int64_t{turn} - kFirstTurn;
        request.Orient = field(orient);
        request.Rotation = orient == 1 ? 255 : orient == 2 ? 90 : orient == 3 ? -90 : 0;
    } else {
        request.Rotation = turn >= -90 && turn <= 90 ? static_cast<int16_t>(turn) : 0;
    }
}

bool font_pending(const PendingAttributes &p) {
    return !p.font_name.empty() || p.font_size != -1.0 || p.font_colour != -1 ||
           p.font_style != -1 || p.underline != -1;
}

}  // namespace

int32_t pending_request(const BookRecord &book, XLATTR &request) {
    const PendingAttributes &p = book.pending;
    XM_InitAttr(&request);
    if (!p.format.empty()) {
        const int32_t number = XM_FmtNo(book.engine_handle, p.format.c_str());
        if (number >= 0) {
            request.Format = field(number);
        } else if (number != -errLength) {
            return number;
        }
    }
    if (p.pos_horz != -1) {
        if (p.pos_horz < kFirstPosHorz) {
            request.PosHorz = 1;
            request.Indent = field(p.pos_horz);
        } else {
            request.PosHorz = field(int64_t{p.pos_horz} - kFirstPosHorz);
        }
    }
    if (p.pos_vert != -1) request.PosVert = field(p.pos_vert);
    if (p.turn != -1) put_turn(p.turn, request);
    if (p.over_return != -1) request.OverReturn = field(p.over_return);
    if (p.fit != -1) request.Fit = field(p.fit);
    if (p.joint != -1) request.Joint = field(p.joint);
    put_edge(p.line_top, request.LineTop, request.ColorTop);
    put_edge(p.line_bottom, request.LineBottom, request.ColorBottom);
    put_edge(p.line_left, request.LineLeft, request.ColorLeft);
    put_edge(p.line_right, request.LineRight, request.ColorRight);
    put_diagonals(p, request);
    if (p.pattern != -1) {
        const int32_t number = packed_style(p.pattern);
        request.Pattern = static_cast<int16_t>(number >= 0 && number <= kMaxPattern ? number : 0);
        request.PatternColor = packed_colour(p.pattern);
    }
    if (p.back_colour != -1) request.BackColor = field(p.back_colour);
    return 0;
}

int32_t resolve_font(const BookRecord &book, int32_t x, int32_t y, XLATTR &request) {
    const PendingAttributes &p = book.pending;
    // Without a font property pending the cell keeps its font record as it is.
    if (!font_pending(p)) return 0;
    services::PresentFont present;
    if (int32_t rc = services::present_font(book.engine_handle, book.current_sheet, x, y, present);
        rc != 0) {
        return rc;
    }
    auto chosen = [](int32_t pending, int32_t cells) { return pending != -1 ? pending : cells; };
    const std::string &name = p.font_name.empty() ? present.name : p.font_name;
    const int32_t number = XM_FontNo(
        book.engine_handle, name.c_str(), p.font_size != -1.0 ? p.font_size : present.size,
        chosen(p.font_colour, present.colour), chosen(p.font_style, present.style),
        chosen(p.underline, present.underline));
    if (number >= 0) {
        request.Font = field(number);
    } else if (number != -errLength) {
        return number;
    }
    return 0;
}

}  // namespace tabrix::bookapi
