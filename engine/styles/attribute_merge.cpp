#include "engine/styles/attribute_merge.h"

#include <new>

#include "engine/model/process_state.h"
#include "engine/styles/attribute_registry.h"

namespace tabrix::engine {

namespace {

bool in_range(int v, int low, int high) {
    return v >= low && v <= high;
}

// A request that replaces: every field it leaves open takes the plain cell's value.
void complete_replacing_request(const XfFormat &format, CellAttribute &r) {
    auto zero_if_unset = [](int16_t &field) {
        if (field == kUnset) field = 0;
    };
    for (int16_t *field :
         {&r.font, &r.format, &r.pos_horz, &r.orient, &r.line_top, &r.line_bottom, &r.line_left,
          &r.line_right, &r.color_top, &r.color_bottom, &r.color_left, &r.color_right, &r.pattern,
          &r.pattern_color, &r.hidden}) {
        zero_if_unset(*field);
    }
    if (r.pos_vert == kUnset) r.pos_vert = format.default_pos_vert();
    if (r.back_color == kUnset) r.back_color = 1;
    if (r.locked == kUnset) r.locked = 1;
    if (format.biff8) {
        for (int16_t *field :
             {&r.fit, &r.joint, &r.diag_kind, &r.diag_style, &r.diag_color, &r.indent}) {
            zero_if_unset(*field);
        }
        if (!in_range(r.rotation, -90, 90) && r.rotation != 255) r.rotation = 0;
    }
    normalise_attribute(format, r);
}

void take_if(int16_t &to, int16_t from, bool condition) {
    if (condition) to = from;
}

// A flag that is only 0 or 1: an unset value in the cell counts as 0.
void take_flag(int16_t &to, int16_t from) {
    if (in_range(from, 0, 1)) {
        to = from;
    } else if (to == kUnset) {
        to = 0;
    }
}

}  // namespace

CellAttribute merge_attribute_records(const XfFormat &format, const CellAttribute &cell,
                                      const CellAttribute &request, bool merge) {
    CellAttribute r = request;
    if (!merge) complete_replacing_request(format, r);
    CellAttribute c = cell;
    take_if(c.font, r.font, r.font > 0);
    take_if(c.format, r.format, r.format > 0);
    take_if(c.orient, r.orient, r.orient > 0);
    take_if(c.hidden, r.hidden, r.hidden > 0);
    for (auto [to, from] : {std::pair{&c.pos_horz, r.pos_horz},
                            {&c.pos_vert, r.pos_vert},
                            {&c.line_top, r.line_top},
                            {&c.line_bottom, r.line_bottom},
                            {&c.line_left, r.line_left},
                            {&c.line_right, r.line_right},
                            {&c.pattern, r.pattern},
                            {&c.pattern_color, r.pattern_color},
                            {&c.back_color, r.back_color}}) {
        take_if(*to, from, from >= 0);
    }
    take_flag(c.over_return, r.over_return);
    for (auto [to, from] : {std::pair{&c.color_top, r.color_top},
                            {&c.color_bottom, r.color_bottom},
                            {&c.color_left, r.color_left},
                            {&c.color_right, r.color_right}}) {
        take_if(*to, from, in_range(from, 1, 63));
    }
    take_if(c.locked, r.locked, r.locked != 1);
    if (format.biff8) {
        take_flag(c.fit, r.fit);
        take_if(c.joint, r.joint, r.joint > 0);
        take_if(c.indent, r.indent, r.indent > 0);
        if (r.diag_kind >= 0 && r.diag_kind != c.diag_kind) {
            // A second diagonal joins the one the cell has.
            c.diag_kind = (c.diag_kind >= 1 && r.diag_kind != 0) ? int16_t{3} : r.diag_kind;
        }
        take_if(c.diag_style, r.diag_style, r.diag_style >= 0);
        take_if(c.diag_color, r.diag_color, r.diag_color >= 0);
        take_if(c.rotation, r.rotation, in_range(r.rotation, -90, 180) || r.rotation == 255);
    }
    // 255 asks for no line; an open style is no line either.
    for (int16_t *style : {&c.line_top, &c.line_bottom, &c.line_left, &c.line_right}) {
        if (*style == kUnset || *style == kNoLine) *style = 0;
    }
    // A background colour of 0 removes the fill.
    if (r.back_color == 0) c.pattern = c.pattern_color = 0;
    normalise_attribute(format, c);
    return c;
}

int32_t apply_request(Workbook &book, int32_t cell_xf, const CellAttribute &request, bool merge) {
    const XfFormat format = xf_format(book);
    const CellAttribute cell = merge ? attribute_record(book, cell_xf) : default_attribute(format);
    return register_attribute(book, merge_attribute_records(format, cell, request, merge));
}

uint16_t merge_attributes(Workbook &book, uint16_t existing, uint16_t overlay) {
    int32_t number = apply_request(book, existing, attribute_record(book, overlay), true);
    // The value writes report any registry failure as lack of memory.
    if (number < 0) throw std::bad_alloc();
    return static_cast<uint16_t>(number);
}

bool replace_mode() {
    return process_state().replace_mode;
}

void set_replace_mode(bool on) {
    process_state().replace_mode = on;
}

}  // namespace tabrix::engine
