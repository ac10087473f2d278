#include "engine/styles/xf_records.h"

#include <utility>

#include "engine/biff/le_bytes.h"

namespace tabrix::engine {

namespace {

bool in_range(int v, int low, int high) {
    return v >= low && v <= high;
}

int16_t *border_styles(CellAttribute &a, int i) {
    int16_t *styles[] = {&a.line_top, &a.line_bottom, &a.line_left, &a.line_right};
    return styles[i];
}

int16_t *border_colours(CellAttribute &a, int i) {
    int16_t *colours[] = {&a.color_top, &a.color_bottom, &a.color_left, &a.color_right};
    return colours[i];
}

// The values an XF is written with: unset fields get their write values, and a style of
// 255 ("no line") is no line, so it is never written as a style number of its own.
struct XfValues {
    unsigned font, format, locked, hidden;
    unsigned pos_horz, wrap, pos_vert, justify_last, orient, rotation;
    unsigned indent, fit, joint;
    unsigned style[4], colour[4];  // top, bottom, left, right
    unsigned diag_kind, diag_style, diag_colour;
    unsigned pattern, pattern_colour, back_colour;
};

unsigned line_style(int16_t style) {
    return style < 0 || style == kNoLine ? 0u : static_cast<unsigned>(style);
}

XfValues write_values(const XfFormat &format, const CellAttribute &in) {
    CellAttribute a = in;
    XfValues v{};
    v.font = static_cast<uint16_t>(a.font);
    v.format = static_cast<uint16_t>(a.format);
    v.locked = a.locked == kUnset ? 1u : a.locked & 1u;
    v.hidden = a.hidden == kUnset ? 0u : a.hidden & 1u;
    v.pos_horz = a.pos_horz == 8 ? 7u : a.pos_horz & 7u;
    v.justify_last = a.pos_horz == 8 ? 1u : 0u;
    v.wrap = a.over_return == kUnset ? 0u : a.over_return & 1u;
    v.pos_vert = a.pos_vert & 7u;
    v.orient = format.biff8 ? 0u : a.orient & 3u;
    v.rotation = format.biff8 ? static_cast<uint8_t>(a.rotation) : 0u;
    for (int i = 0; i < 4; ++i) {
        v.style[i] = line_style(*border_styles(a, i));
        v.colour[i] = *border_styles(a, i) == kNoLine ? 0u : *border_colours(a, i) & 0x7Fu;
    }
    if (format.biff8) {
        v.indent = a.indent & 0xFu;
        v.fit = a.fit == kUnset ? 0u : a.fit & 1u;
        v.joint = a.joint & 1u;
        v.diag_kind = a.diag_kind & 3u;
        v.diag_style = line_style(a.diag_style) & 0xFu;
        v.diag_colour = a.diag_color & 0x7Fu;
    }
    v.pattern = a.pattern & 0x3Fu;
    v.pattern_colour = a.pattern_color & 0x7Fu;
    v.back_colour = a.back_color & 0x7Fu;
    return v;
}

// Bits 10-15 of the Excel 95 alignment word: which parts differ from the parent style.
unsigned used_attribute_flags(const XfFormat &format, const CellAttribute &a, const XfValues &v) {
    unsigned flags = 0;
    if (a.font > 0) flags |= 1u << 10;
    if (a.format > 0) flags |= 1u << 11;
    bool default_alignment = a.pos_horz == 0 && a.pos_vert == format.default_pos_vert() &&
                             v.wrap == 0 && (format.biff8 ? v.rotation == 0 : v.orient == 0);
    if (!default_alignment || format.biff8) flags |= 1u << 12;
    bool borders = false;
    for (int i = 0; i < 4; ++i) borders = borders || v.style[i] != 0 || v.colour[i] != 0;
    if (borders) flags |= 1u << 13;
    if (!(v.pattern == 0 && v.pattern_colour == 64 && v.back_colour == 65)) flags |= 1u << 14;
    return flags;
}

std::vector<uint8_t> xf_body_biff5(const XfValues &v, unsigned flags) {
    std::vector<uint8_t> body;
    body.reserve(16);
    put_u16(body, static_cast<uint16_t>(v.font));
    put_u16(body, static_cast<uint16_t>(v.format));
    put_u16(body, static_cast<uint16_t>(v.locked | v.hidden << 1));
    put_u16(body, static_cast<uint16_t>(v.pos_horz | v.wrap << 3 | v.pos_vert << 4 |
                                        v.justify_last << 7 | v.orient << 8 | flags));
    put_u16(body, static_cast<uint16_t>(v.pattern_colour | v.back_colour << 7));
    put_u16(body, static_cast<uint16_t>(v.pattern | (v.style[1] & 7) << 6 | v.colour[1] << 9));
    put_u16(body, static_cast<uint16_t>((v.style[0] & 7) | (v.style[2] & 7) << 3 |
                                        (v.style[3] & 7) << 6 | v.colour[0] << 9));
    put_u16(body, static_cast<uint16_t>(v.colour[2] | v.colour[3] << 7));
    return body;
}

std::vector<uint8_t> xf_body_biff8(const XfValues &v, unsigned flags) {
    std::vector<uint8_t> body;
    body.reserve(20);
    put_u16(body, static_cast<uint16_t>(v.font));
    put_u16(body, static_cast<uint16_t>(v.format));
    put_u16(body, static_cast<uint16_t>(v.locked | v.hidden << 1));
    put_u8(body,
           static_cast<uint8_t>(v.pos_horz | v.wrap << 3 | v.pos_vert << 4 | v.justify_last << 7));
    put_u8(body, static_cast<uint8_t>(v.rotation));
    put_u8(body, static_cast<uint8_t>(v.indent | v.fit << 4 | v.joint << 5));
    put_u8(body, static_cast<uint8_t>(flags >> 8));
    put_u8(body, static_cast<uint8_t>((v.style[2] & 0xF) | (v.style[3] & 0xF) << 4));
    put_u8(body, static_cast<uint8_t>((v.style[0] & 0xF) | (v.style[1] & 0xF) << 4));
    put_u16(body, static_cast<uint16_t>(v.colour[2] | v.colour[3] << 7 | v.diag_kind << 14));
    put_u32(body, v.colour[0] | v.colour[1] << 7 | v.diag_colour << 14 | v.diag_style << 21 |
                      v.pattern << 26);
    put_u16(body, static_cast<uint16_t>(v.pattern_colour | v.back_colour << 7));
    return body;
}

}  // namespace

CellAttribute unset_attribute() {
    AttributeFields fields;
    fields.fill(kUnset);
    CellAttribute a = attribute_of_fields(fields);
    a.rotation = kRotationUnset;
    return a;
}

CellAttribute default_attribute(const XfFormat &format) {
    CellAttribute a = unset_attribute();
    a.font = 0;
    a.format = 0;
    a.pos_horz = 0;
    a.pos_vert = format.default_pos_vert();
    a.orient = 0;
    a.locked = 1;
    a.hidden = 0;
    return a;
}

void normalise_attribute(const XfFormat &format, CellAttribute &a) {
    if (a.font < 0) a.font = 0;
    if (a.format < 0) a.format = 0;
    if (!in_range(a.pos_horz, 0, 8)) a.pos_horz = 0;
    if (!in_range(a.pos_vert, 0, 4)) a.pos_vert = format.default_pos_vert();
    if (!in_range(a.over_return, 0, 1)) a.over_return = kUnset;
    if (!in_range(a.locked, 0, 1)) a.locked = 1;
    if (!in_range(a.hidden, 0, 1)) a.hidden = 0;
    const int max_style = format.biff8 ? 13 : 7;
    for (int i = 0; i < 4; ++i) {
        int16_t &style = *border_styles(a, i);
        if (!in_range(style, 0, max_style) && style != kNoLine) style = kUnset;
    }
    if (!format.biff8) {
        if (a.indent > 0) a.indent = a.pos_horz = 0;
        if (!in_range(a.orient, 0, 3)) a.orient = 0;
    } else {
        if (a.rotation < 0) a.rotation = static_cast<int16_t>(90 - a.rotation);
        if (a.rotation != 255 && !in_range(a.rotation, 0, 180)) a.rotation = 0;
        if (!in_range(a.diag_style, 0, 13) && a.diag_style != kNoLine) a.diag_style = kUnset;
        if (!in_range(a.fit, 0, 1)) a.fit = kUnset;
        if (!in_range(a.joint, 0, 1)) a.joint = 0;
        if (!in_range(a.diag_kind, 0, 3)) a.diag_kind = 0;
        if (!in_range(a.diag_color, 8, 63)) a.diag_color = 64;
        if (!(a.pos_horz == 1 && in_range(a.indent, 0, 15))) a.indent = 0;
        if (a.diag_kind == 0 || a.diag_style < 1) a.diag_color = 0;
        if (a.diag_style > 0 && a.diag_color == 0) a.diag_color = 64;
    }
    for (int i = 0; i < 4; ++i) {
        int16_t &colour = *border_colours(a, i);
        if (!in_range(colour, 8, 63)) colour = 64;
    }
    if (!in_range(a.pattern_color, 8, 63)) a.pattern_color = 64;
    if (!in_range(a.back_color, 8, 63)) a.back_color = 65;
    if (a.pattern < 0 || a.pattern > 18) a.pattern = 0;
    if (a.pattern == 0 && a.back_color != 65) a.pattern = 1;
    for (int i = 0; i < 4; ++i) {
        int16_t style = *border_styles(a, i);
        int16_t &colour = *border_colours(a, i);
        if (style < 1) colour = 0;
        if (style > 0 && colour == 0) colour = 64;
    }
}

std::vector<uint8_t> xf_body(const XfFormat &format, const CellAttribute &attr) {
    CellAttribute a = attr;
    // A solid fill shows the pattern colour: the caller's background colour goes there.
    if (a.pattern == 1) std::swap(a.pattern_color, a.back_color);
    XfValues v = write_values(format, a);
    unsigned flags = used_attribute_flags(format, a, v);
    return format.biff8 ? xf_body_biff8(v, flags) : xf_body_biff5(v, flags);
}

}  // namespace tabrix::engine
