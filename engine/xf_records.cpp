#include "engine/xf_records.h"

#include <utility>

#include "engine/le_bytes.h"

namespace tabrix::engine {

namespace {

bool in_range(int v, int low, int high) {
    return v >= low && v <= high;
}

int16_t *border_styles(XLATTR &a, int i) {
    int16_t *styles[] = {&a.LineTop, &a.LineBottom, &a.LineLeft, &a.LineRight};
    return styles[i];
}

int16_t *border_colours(XLATTR &a, int i) {
    int16_t *colours[] = {&a.ColorTop, &a.ColorBottom, &a.ColorLeft, &a.ColorRight};
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

XfValues write_values(const XfFormat &format, const XLATTR &in) {
    XLATTR a = in;
    XfValues v{};
    v.font = static_cast<uint16_t>(a.Font);
    v.format = static_cast<uint16_t>(a.Format);
    v.locked = a.Locked == kUnset ? 1u : a.Locked & 1u;
    v.hidden = a.Hidden == kUnset ? 0u : a.Hidden & 1u;
    v.pos_horz = a.PosHorz == 8 ? 7u : a.PosHorz & 7u;
    v.justify_last = a.PosHorz == 8 ? 1u : 0u;
    v.wrap = a.OverReturn == kUnset ? 0u : a.OverReturn & 1u;
    v.pos_vert = a.PosVert & 7u;
    v.orient = format.biff8 ? 0u : a.Orient & 3u;
    v.rotation = format.biff8 ? static_cast<uint8_t>(a.Rotation) : 0u;
    for (int i = 0; i < 4; ++i) {
        v.style[i] = line_style(*border_styles(a, i));
        v.colour[i] = *border_styles(a, i) == kNoLine ? 0u : *border_colours(a, i) & 0x7Fu;
    }
    if (format.biff8) {
        v.indent = a.Indent & 0xFu;
        v.fit = a.Fit == kUnset ? 0u : a.Fit & 1u;
        v.joint = a.Joint & 1u;
        v.diag_kind = a.DiagKind & 3u;
        v.diag_style = line_style(a.DiagStyle) & 0xFu;
        v.diag_colour = a.DiagColor & 0x7Fu;
    }
    v.pattern = a.Pattern & 0x3Fu;
    v.pattern_colour = a.PatternColor & 0x7Fu;
    v.back_colour = a.BackColor & 0x7Fu;
    return v;
}

// Bits 10-15 of the Excel 95 alignment word: which parts differ from the parent style.
unsigned used_attribute_flags(const XfFormat &format, const XLATTR &a, const XfValues &v) {
    unsigned flags = 0;
    if (a.Font > 0) flags |= 1u << 10;
    if (a.Format > 0) flags |= 1u << 11;
    bool default_alignment = a.PosHorz == 0 && a.PosVert == format.default_pos_vert() &&
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

XLATTR unset_attribute() {
    AttributeFields fields;
    fields.fill(kUnset);
    XLATTR a = attribute_of_fields(fields);
    a.Rotation = kRotationUnset;
    return a;
}

XLATTR default_attribute(const XfFormat &format) {
    XLATTR a = unset_attribute();
    a.Font = 0;
    a.Format = 0;
    a.PosHorz = 0;
    a.PosVert = format.default_pos_vert();
    a.Orient = 0;
    a.Locked = 1;
    a.Hidden = 0;
    return a;
}

void normalise_attribute(const XfFormat &format, XLATTR &a) {
    if (a.Font < 0) a.Font = 0;
    if (a.Format < 0) a.Format = 0;
    if (!in_range(a.PosHorz, 0, 8)) a.PosHorz = 0;
    if (!in_range(a.PosVert, 0, 4)) a.PosVert = format.default_pos_vert();
    if (!in_range(a.OverReturn, 0, 1)) a.OverReturn = kUnset;
    if (!in_range(a.Locked, 0, 1)) a.Locked = 1;
    if (!in_range(a.Hidden, 0, 1)) a.Hidden = 0;
    const int max_style = format.biff8 ? 13 : 7;
    for (int i = 0; i < 4; ++i) {
        int16_t &style = *border_styles(a, i);
        if (!in_range(style, 0, max_style) && style != kNoLine) style = kUnset;
    }
    if (!format.biff8) {
        if (a.Indent > 0) a.Indent = a.PosHorz = 0;
        if (!in_range(a.Orient, 0, 3)) a.Orient = 0;
    } else {
        if (a.Rotation < 0) a.Rotation = static_cast<int16_t>(90 - a.Rotation);
        if (a.Rotation != 255 && !in_range(a.Rotation, 0, 180)) a.Rotation = 0;
        if (!in_range(a.DiagStyle, 0, 13) && a.DiagStyle != kNoLine) a.DiagStyle = kUnset;
        if (!in_range(a.Fit, 0, 1)) a.Fit = kUnset;
        if (!in_range(a.Joint, 0, 1)) a.Joint = 0;
        if (!in_range(a.DiagKind, 0, 3)) a.DiagKind = 0;
        if (!in_range(a.DiagColor, 8, 63)) a.DiagColor = 64;
        if (!(a.PosHorz == 1 && in_range(a.Indent, 0, 15))) a.Indent = 0;
        if (a.DiagKind == 0 || a.DiagStyle < 1) a.DiagColor = 0;
        if (a.DiagStyle > 0 && a.DiagColor == 0) a.DiagColor = 64;
    }
    for (int i = 0; i < 4; ++i) {
        int16_t &colour = *border_colours(a, i);
        if (!in_range(colour, 8, 63)) colour = 64;
    }
    if (!in_range(a.PatternColor, 8, 63)) a.PatternColor = 64;
    if (!in_range(a.BackColor, 8, 63)) a.BackColor = 65;
    if (a.Pattern < 0 || a.Pattern > 18) a.Pattern = 0;
    if (a.Pattern == 0 && a.BackColor != 65) a.Pattern = 1;
    for (int i = 0; i < 4; ++i) {
        int16_t style = *border_styles(a, i);
        int16_t &colour = *border_colours(a, i);
        if (style < 1) colour = 0;
        if (style > 0 && colour == 0) colour = 64;
    }
}

std::vector<uint8_t> xf_body(const XfFormat &format, const XLATTR &attr) {
    XLATTR a = attr;
    // A solid fill shows the pattern colour: the caller's background colour goes there.
    if (a.Pattern == 1) std::swap(a.PatternColor, a.BackColor);
    XfValues v = write_values(format, a);
    unsigned flags = used_attribute_flags(format, a, v);
    return format.biff8 ? xf_body_biff8(v, flags) : xf_body_biff5(v, flags);
}

}  // namespace tabrix::engine
