#include "engine/attribute_merge.h"

#include <new>

#include "engine/attribute_registry.h"

namespace tabrix::engine {

namespace {

bool g_replace_mode = false;

bool in_range(int v, int low, int high) {
    return v >= low && v <= high;
}

// A request that replaces: every field it leaves open takes the plain cell's value.
void complete_replacing_request(const XfFormat &format, XLATTR &r) {
    auto zero_if_unset = [](int16_t &field) {
        if (field == kUnset) field = 0;
    };
    for (int16_t *field : {&r.Font, &r.Format, &r.PosHorz, &r.Orient, &r.LineTop, &r.LineBottom,
                           &r.LineLeft, &r.LineRight, &r.ColorTop, &r.ColorBottom, &r.ColorLeft,
                           &r.ColorRight, &r.Pattern, &r.PatternColor, &r.Hidden}) {
        zero_if_unset(*field);
    }
    if (r.PosVert == kUnset) r.PosVert = format.default_pos_vert();
    if (r.BackColor == kUnset) r.BackColor = 1;
    if (r.Locked == kUnset) r.Locked = 1;
    if (format.biff8) {
        for (int16_t *field :
             {&r.Fit, &r.Joint, &r.DiagKind, &r.DiagStyle, &r.DiagColor, &r.Indent}) {
            zero_if_unset(*field);
        }
        if (!in_range(r.Rotation, -90, 90) && r.Rotation != 255) r.Rotation = 0;
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

XLATTR merge_attribute_records(const XfFormat &format, const XLATTR &cell, const XLATTR &request,
                               bool merge) {
    XLATTR r = request;
    if (!merge) complete_replacing_request(format, r);
    XLATTR c = cell;
    take_if(c.Font, r.Font, r.Font > 0);
    take_if(c.Format, r.Format, r.Format > 0);
    take_if(c.Orient, r.Orient, r.Orient > 0);
    take_if(c.Hidden, r.Hidden, r.Hidden > 0);
    for (auto [to, from] : {std::pair{&c.PosHorz, r.PosHorz},
                            {&c.PosVert, r.PosVert},
                            {&c.LineTop, r.LineTop},
                            {&c.LineBottom, r.LineBottom},
                            {&c.LineLeft, r.LineLeft},
                            {&c.LineRight, r.LineRight},
                            {&c.Pattern, r.Pattern},
                            {&c.PatternColor, r.PatternColor},
                            {&c.BackColor, r.BackColor}}) {
        take_if(*to, from, from >= 0);
    }
    take_flag(c.OverReturn, r.OverReturn);
    for (auto [to, from] : {std::pair{&c.ColorTop, r.ColorTop},
                            {&c.ColorBottom, r.ColorBottom},
                            {&c.ColorLeft, r.ColorLeft},
                            {&c.ColorRight, r.ColorRight}}) {
        take_if(*to, from, in_range(from, 1, 63));
    }
    take_if(c.Locked, r.Locked, r.Locked != 1);
    if (format.biff8) {
        take_flag(c.Fit, r.Fit);
        take_if(c.Joint, r.Joint, r.Joint > 0);
        take_if(c.Indent, r.Indent, r.Indent > 0);
        if (r.DiagKind >= 0 && r.DiagKind != c.DiagKind) {
            // A second diagonal joins the one the cell has.
            c.DiagKind = (c.DiagKind >= 1 && r.DiagKind != 0) ? int16_t{3} : r.DiagKind;
        }
        take_if(c.DiagStyle, r.DiagStyle, r.DiagStyle >= 0);
        take_if(c.DiagColor, r.DiagColor, r.DiagColor >= 0);
        take_if(c.Rotation, r.Rotation, in_range(r.Rotation, -90, 180) || r.Rotation == 255);
    }
    // 255 asks for no line; an open style is no line either.
    for (int16_t *style : {&c.LineTop, &c.LineBottom, &c.LineLeft, &c.LineRight}) {
        if (*style == kUnset || *style == kNoLine) *style = 0;
    }
    // A background colour of 0 removes the fill.
    if (r.BackColor == 0) c.Pattern = c.PatternColor = 0;
    normalise_attribute(format, c);
    return c;
}

int32_t apply_request(Workbook &book, int32_t cell_xf, const XLATTR &request, bool merge) {
    const XfFormat format = xf_format(book);
    const XLATTR cell = merge ? attribute_record(book, cell_xf) : default_attribute(format);
    return register_attribute(book, merge_attribute_records(format, cell, request, merge));
}

uint16_t merge_attributes(Workbook &book, uint16_t existing, uint16_t overlay) {
    int32_t number = apply_request(book, existing, attribute_record(book, overlay), true);
    // The value writes report any registry failure as lack of memory.
    if (number < 0) throw std::bad_alloc();
    return static_cast<uint16_t>(number);
}

bool replace_mode() {
    return g_replace_mode;
}

void set_replace_mode(bool on) {
    g_replace_mode = on;
}

}  // namespace tabrix::engine
