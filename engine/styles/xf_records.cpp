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

// The stored fields of the values and used-attribute flags worked out above.
XfFields stored_fields(const XfValues &v, unsigned flags) {
    XfFields f;
    f.font = static_cast<uint16_t>(v.font);
    f.format = static_cast<uint16_t>(v.format);
    f.protection = static_cast<uint16_t>(v.locked | v.hidden << 1);
    f.pos_horz = static_cast<uint8_t>(v.pos_horz);
    f.wrap = static_cast<uint8_t>(v.wrap);
    f.pos_vert = static_cast<uint8_t>(v.pos_vert);
    f.justify_last = static_cast<uint8_t>(v.justify_last);
    f.orient = static_cast<uint8_t>(v.orient);
    f.rotation = static_cast<uint8_t>(v.rotation);
    f.indent = static_cast<uint8_t>(v.indent);
    f.fit = static_cast<uint8_t>(v.fit);
    f.joint = static_cast<uint8_t>(v.joint);
    f.used = static_cast<uint8_t>(flags >> 8);
    for (int i = 0; i < 4; ++i) {
        f.style[i] = static_cast<uint8_t>(v.style[i]);
        f.colour[i] = static_cast<uint8_t>(v.colour[i]);
    }
    f.diag_kind = static_cast<uint8_t>(v.diag_kind);
    f.diag_style = static_cast<uint8_t>(v.diag_style);
    f.diag_colour = static_cast<uint8_t>(v.diag_colour);
    f.pattern = static_cast<uint8_t>(v.pattern);
    f.pattern_colour = static_cast<uint8_t>(v.pattern_colour);
    f.back_colour = static_cast<uint8_t>(v.back_colour);
    return f;
}

constexpr size_t kBiff5XfBytes = 16;
constexpr size_t kBiff8XfBytes = 20;

}  // namespace

std::vector<uint8_t> xf_body_biff5(const XfFields &f) {
    std::vector<uint8_t> body;
    body.reserve(kBiff5XfBytes);
    put_u16(body, f.font);
    put_u16(body, f.format);
    put_u16(body, f.protection);
    put_u16(body, static_cast<uint16_t>((f.pos_horz & 7) | (f.wrap & 1) << 3 |
                                        (f.pos_vert & 7) << 4 | (f.justify_last & 1) << 7 |
                                        (f.orient & 3) << 8 | (f.used & 0xFC) << 8));
    put_u16(body, static_cast<uint16_t>((f.pattern_colour & 0x7F) | (f.back_colour & 0x7F) << 7));
    put_u16(body, static_cast<uint16_t>((f.pattern & 0x3F) | (f.style[1] & 7) << 6 |
                                        (f.colour[1] & 0x7F) << 9));
    put_u16(body, static_cast<uint16_t>((f.style[0] & 7) | (f.style[2] & 7) << 3 |
                                        (f.style[3] & 7) << 6 | (f.colour[0] & 0x7F) << 9));
    put_u16(body, static_cast<uint16_t>((f.colour[2] & 0x7F) | (f.colour[3] & 0x7F) << 7));
    return body;
}

std::vector<uint8_t> xf_body_biff8(const XfFields &f) {
    std::vector<uint8_t> body;
    body.reserve(kBiff8XfBytes);
    put_u16(body, f.font);
    put_u16(body, f.format);
    put_u16(body, f.protection);
    put_u8(body, static_cast<uint8_t>((f.pos_horz & 7) | (f.wrap & 1) << 3 | (f.pos_vert & 7) << 4 |
                                      (f.justify_last & 1) << 7));
    put_u8(body, f.rotation);
    put_u8(body, static_cast<uint8_t>((f.indent & 0xF) | (f.fit & 1) << 4 | (f.joint & 1) << 5));
    put_u8(body, static_cast<uint8_t>(f.used & 0xFC));
    put_u8(body, static_cast<uint8_t>((f.style[2] & 0xF) | (f.style[3] & 0xF) << 4));
    put_u8(body, static_cast<uint8_t>((f.style[0] & 0xF) | (f.style[1] & 0xF) << 4));
    put_u16(body, static_cast<uint16_t>((f.colour[2] & 0x7F) | (f.colour[3] & 0x7F) << 7 |
                                        (f.diag_kind & 3) << 14));
    put_u32(body, (f.colour[0] & 0x7Fu) | (f.colour[1] & 0x7Fu) << 7 |
                      (f.diag_colour & 0x7Fu) << 14 | (f.diag_style & 0xFu) << 21 |
                      (f.pattern & 0x3Fu) << 26);
    put_u16(body, static_cast<uint16_t>((f.pattern_colour & 0x7F) | (f.back_colour & 0x7F) << 7));
    return body;
}

std::optional<XfFields> read_xf_biff5(std::span<const uint8_t> body) {
    if (body.size() < kBiff5XfBytes) return std::nullopt;
    const uint8_t *b = body.data();
    XfFields f;
    f.font = load_u16(b);
    f.format = load_u16(b + 2);
    f.protection = load_u16(b + 4);
    const unsigned align = load_u16(b + 6);
    f.pos_horz = align & 7;
    f.wrap = align >> 3 & 1;
    f.pos_vert = align >> 4 & 7;
    f.justify_last = align >> 7 & 1;
    f.orient = align >> 8 & 3;
    f.used = align >> 8 & 0xFC;
    const unsigned fill = load_u16(b + 8);
    f.pattern_colour = fill & 0x7F;
    f.back_colour = fill >> 7 & 0x7F;
    const unsigned bottom = load_u16(b + 10);
    f.pattern = bottom & 0x3F;
    f.style[1] = bottom >> 6 & 7;
    f.colour[1] = bottom >> 9 & 0x7F;
    const unsigned lines = load_u16(b + 12);
    f.style[0] = lines & 7;
    f.style[2] = lines >> 3 & 7;
    f.style[3] = lines >> 6 & 7;
    f.colour[0] = lines >> 9 & 0x7F;
    const unsigned sides = load_u16(b + 14);
    f.colour[2] = sides & 0x7F;
    f.colour[3] = sides >> 7 & 0x7F;
    return f;
}

std::optional<XfFields> read_xf_biff8(std::span<const uint8_t> body) {
    if (body.size() < kBiff8XfBytes) return std::nullopt;
    const uint8_t *b = body.data();
    XfFields f;
    f.font = load_u16(b);
    f.format = load_u16(b + 2);
    f.protection = load_u16(b + 4);
    f.pos_horz = b[6] & 7;
    f.wrap = b[6] >> 3 & 1;
    f.pos_vert = b[6] >> 4 & 7;
    f.justify_last = b[6] >> 7 & 1;
    f.rotation = b[7];
    f.indent = b[8] & 0xF;
    f.fit = b[8] >> 4 & 1;
    f.joint = b[8] >> 5 & 1;
    f.used = b[9] & 0xFC;
    f.style[2] = b[10] & 0xF;
    f.style[3] = b[10] >> 4;
    f.style[0] = b[11] & 0xF;
    f.style[1] = b[11] >> 4;
    const unsigned sides = load_u16(b + 12);
    f.colour[2] = sides & 0x7F;
    f.colour[3] = sides >> 7 & 0x7F;
    f.diag_kind = sides >> 14 & 3;
    const uint32_t rest = load_u32(b + 14);
    f.colour[0] = rest & 0x7F;
    f.colour[1] = rest >> 7 & 0x7F;
    f.diag_colour = rest >> 14 & 0x7F;
    f.diag_style = rest >> 21 & 0xF;
    f.pattern = rest >> 26 & 0x3F;
    const unsigned fill = load_u16(b + 18);
    f.pattern_colour = fill & 0x7F;
    f.back_colour = fill >> 7 & 0x7F;
    return f;
}

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
    XfFields fields = stored_fields(v, used_attribute_flags(format, a, v));
    return format.biff8 ? xf_body_biff8(fields) : xf_body_biff5(fields);
}

std::optional<CellAttribute> read_xf_attribute(const XfFormat &format,
                                               std::span<const uint8_t> body) {
    std::optional<XfFields> read = format.biff8 ? read_xf_biff8(body) : read_xf_biff5(body);
    if (!read) return std::nullopt;
    const XfFields &f = *read;
    CellAttribute a = unset_attribute();
    a.font = static_cast<int16_t>(f.font);
    a.format = static_cast<int16_t>(f.format);
    a.locked = f.protection & 1;
    a.hidden = f.protection >> 1 & 1;
    a.pos_horz = f.justify_last && f.pos_horz == 7 ? 8 : f.pos_horz;
    a.over_return = f.wrap;
    a.pos_vert = f.pos_vert;
    for (int i = 0; i < 4; ++i) {
        *border_styles(a, i) = f.style[i];
        *border_colours(a, i) = f.colour[i];
    }
    a.pattern = f.pattern;
    a.pattern_color = f.pattern_colour;
    a.back_color = f.back_colour;
    // The writer puts a solid fill's colour in the pattern colour.
    if (a.pattern == 1) std::swap(a.pattern_color, a.back_color);
    if (format.biff8) {
        a.orient = 0;
        a.rotation = f.rotation;
        a.indent = f.indent;
        a.fit = f.fit;
        a.joint = f.joint;
        a.diag_kind = f.diag_kind;
        a.diag_style = f.diag_style;
        a.diag_color = f.diag_colour;
    } else {
        a.orient = f.orient;
    }
    return a;
}

}  // namespace tabrix::engine
