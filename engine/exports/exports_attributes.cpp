// C entry points: fonts, number formats and attribute numbers, applying attributes to cells
// and ranges (also at keyword cells), border lines, and the older layer's forms of all these.
#include <string>

#include "engine/edit/apply_attributes.h"
#include "engine/edit/value_writes.h"
#include "engine/exports/boundary.h"
#include "engine/model/workbook.h"
#include "engine/styles/attribute_merge.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/font_records.h"
#include "engine/styles/format_records.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

template <class Body>
int32_t with_book(int32_t h, Body &&body) {
    const BookRef ref = book_ref(h);
    return ref.book ? body(*ref.book) : ref.missing;
}

int32_t font_no(int32_t h, CallerText name, double size, int32_t colour, int32_t style,
                int32_t underline) {
    return with_book(h, [&](Workbook &book) {
        return register_font(book, FontRequest{name, size, colour, style, underline});
    });
}

int32_t packed(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right) {
    return static_cast<int32_t>(static_cast<uint32_t>(top) << 24 |
                                static_cast<uint32_t>(bottom) << 16 |
                                static_cast<uint32_t>(left) << 8 | right);
}

AttributeRequest record_request(const XLATTR *attr) {
    return AttributeRequest::of_record(attribute_of(*attr));
}

template <class Call>
int32_t on_xl_book(Call &&call) {
    if (!xl_current()) return err::kNotOpen;
    return call();
}

int32_t cell_at_keyword(int32_t h, int32_t s, std::u16string_view keyword, int32_t dx, int32_t dy,
                        const AttributeRequest &request) {
    const BookRef book = book_ref(h);
    return write_at_keyword(book, s, keyword, dx, dy, [&](int32_t x, int32_t y) {
        return set_cell_attribute(book_ref(h), s, x, y, request);
    });
}

int32_t range_at_keyword(int32_t h, int32_t s, std::u16string_view keyword, int32_t dx1,
                         int32_t dy1, int32_t dx2, int32_t dy2, const AttributeRequest &request) {
    const BookRef book = book_ref(h);
    return write_at_keyword(book, s, keyword, dx1, dy1, [&](int32_t x, int32_t y) {
        return set_range_attribute(book, s, x, y, shifted_coordinate(int64_t{x} - dx1, dx2),
                                   shifted_coordinate(int64_t{y} - dy1, dy2), request);
    });
}

}  // namespace

extern "C" {

// Registration.

TABRIX_API int32_t XM_FontNo(int32_t h, const char *name, double size, int32_t colour,
                             int32_t style, int32_t underline) {
    return guarded([&] {
        const NarrowArgument given(name);
        return font_no(h, given.text(), size, colour, style, underline);
    });
}

TABRIX_API int32_t XM_FontNoW(int32_t h, const char16_t *name, double size, int32_t colour,
                              int32_t style, int32_t underline) {
    return guarded([&] { return font_no(h, wide_view(name), size, colour, style, underline); });
}

TABRIX_API int32_t XM_FmtNo(int32_t h, const char *format) {
    return guarded([&] {
        const NarrowArgument given(format);
        return with_book(
            h, [&](Workbook &book) { return register_number_format(book, given.text()); });
    });
}

TABRIX_API int32_t XM_FmtNoW(int32_t h, const char16_t *format) {
    return guarded([&] {
        return with_book(
            h, [&](Workbook &book) { return register_number_format(book, wide_view(format)); });
    });
}

TABRIX_API int32_t XM_InitAttr(XLATTR *attr) {
    if (!attr) return err::kParam;
    *attr = public_attribute(unset_attribute());
    return 0;
}

TABRIX_API int32_t XM_GetAttrNo2(int32_t h, const XLATTR *attr) {
    return guarded([&] {
        return with_book(h, [&](Workbook &book) {
            return attr ? attribute_number(book, attribute_of(*attr)) : err::kParam;
        });
    });
}

TABRIX_API int32_t XM_GetAttrNo(int32_t h, int32_t lines, int32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format) {
    return guarded([&] {
        return with_book(h, [&](Workbook &book) {
            return attribute_number_packed(book, static_cast<uint32_t>(lines),
                                           static_cast<uint32_t>(colours), pos_horz, font, format);
        });
    });
}

TABRIX_API int32_t XE_SetDefFont(int32_t slot, const char *name, double size, int32_t colour,
                                 int32_t style, int32_t underline) {
    return guarded([&] {
        const NarrowArgument given(name);
        return set_default_font(slot, FontRequest{given.text(), size, colour, style, underline});
    });
}

TABRIX_API int32_t XL_SetAttrMode(int32_t replace) {
    set_replace_mode(replace != 0);
    return 0;
}

TABRIX_API int32_t XL_KeiNo(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right) {
    return packed(top, bottom, left, right);
}

TABRIX_API int32_t XL_KeiPNo(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right) {
    return packed(top, bottom, left, right);
}

TABRIX_API int32_t XL_KBoxNo(uint8_t v) {
    return packed(v, v, v, v);
}
TABRIX_API int32_t XL_KBoxPNo(uint8_t v) {
    return packed(v, v, v, v);
}
TABRIX_API int32_t XL_KTopNo(uint8_t v) {
    return packed(v, 255, 255, 255);
}
TABRIX_API int32_t XL_KTopPNo(uint8_t v) {
    return packed(v, 255, 255, 255);
}
TABRIX_API int32_t XL_KBtmNo(uint8_t v) {
    return packed(255, v, 255, 255);
}
TABRIX_API int32_t XL_KBtmPNo(uint8_t v) {
    return packed(255, v, 255, 255);
}
TABRIX_API int32_t XL_KLftNo(uint8_t v) {
    return packed(255, 255, v, 255);
}
TABRIX_API int32_t XL_KLftPNo(uint8_t v) {
    return packed(255, 255, v, 255);
}
TABRIX_API int32_t XL_KRitNo(uint8_t v) {
    return packed(255, 255, 255, v);
}
TABRIX_API int32_t XL_KRitPNo(uint8_t v) {
    return packed(255, 255, 255, v);
}

// Applying to cells.

TABRIX_API int32_t XM_SetAttr(int32_t h, int32_t s, int32_t x, int32_t y, int32_t attr) {
    return guarded([&] {
        return set_cell_attribute(book_ref(h), s, x, y, AttributeRequest::of_number(attr));
    });
}

TABRIX_API int32_t XM_SetAttrExt(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, int32_t attr) {
    return guarded([&] {
        return set_range_attribute(book_ref(h), s, x1, y1, x2, y2,
                                   AttributeRequest::of_number(attr));
    });
}

TABRIX_API int32_t XM_SetAttr2(int32_t h, int32_t s, int32_t x, int32_t y, const XLATTR *attr) {
    if (!attr) return err::kParam;
    return guarded([&] { return set_cell_attribute(book_ref(h), s, x, y, record_request(attr)); });
}

TABRIX_API int32_t XM_SetAttrExt2(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2, const XLATTR *attr) {
    if (!attr) return err::kParam;
    return guarded(
        [&] { return set_range_attribute(book_ref(h), s, x1, y1, x2, y2, record_request(attr)); });
}

TABRIX_API int32_t XM_SetAttrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                int32_t dy, int32_t attr) {
    return guarded([&] {
        return cell_at_keyword(h, s, wide_view(keyword), dx, dy, AttributeRequest::of_number(attr));
    });
}

TABRIX_API int32_t XM_SetAttrh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                               int32_t attr) {
    return guarded([&] { return XM_SetAttrhW(h, s, wide_of(keyword).c_str(), dx, dy, attr); });
}

TABRIX_API int32_t XM_SetAttrExthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr) {
    return guarded([&] {
        return range_at_keyword(h, s, wide_view(keyword), dx1, dy1, dx2, dy2,
                                AttributeRequest::of_number(attr));
    });
}

TABRIX_API int32_t XM_SetAttrExth(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                  int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr) {
    return guarded(
        [&] { return XM_SetAttrExthW(h, s, wide_of(keyword).c_str(), dx1, dy1, dx2, dy2, attr); });
}

TABRIX_API int32_t XM_SetAttr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const XLATTR *attr) {
    if (!attr) return err::kParam;
    return guarded(
        [&] { return cell_at_keyword(h, s, wide_view(keyword), dx, dy, record_request(attr)); });
}

TABRIX_API int32_t XM_SetAttr2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                const XLATTR *attr) {
    return guarded([&] { return XM_SetAttr2hW(h, s, wide_of(keyword).c_str(), dx, dy, attr); });
}

TABRIX_API int32_t XM_SetAttrExt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                    int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr) {
    if (!attr) return err::kParam;
    return guarded([&] {
        return range_at_keyword(h, s, wide_view(keyword), dx1, dy1, dx2, dy2, record_request(attr));
    });
}

TABRIX_API int32_t XM_SetAttrExt2h(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr) {
    return guarded(
        [&] { return XM_SetAttrExt2hW(h, s, wide_of(keyword).c_str(), dx1, dy1, dx2, dy2, attr); });
}

// Border lines.

#define TABRIX_LINE_CALL(name, kind)                                                              \
    TABRIX_API int32_t name(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, \
                            int32_t line) {                                                       \
        return guarded(                                                                           \
            [&] { return draw_lines(book_ref(h), s, x1, y1, x2, y2, LineKind::kind, line); });    \
    }
TABRIX_LINE_CALL(XM_BoxLine, box)
TABRIX_LINE_CALL(XM_LtcLine, lattice)
TABRIX_LINE_CALL(XM_OverLine, over)
TABRIX_LINE_CALL(XM_UnderLine, under)
TABRIX_LINE_CALL(XM_LeftLine, left)
TABRIX_LINE_CALL(XM_RightLine, right)
#undef TABRIX_LINE_CALL

// The older layer: workbook 0 and its current sheet.

TABRIX_API int32_t XL_FontNo(const char *name, double size, int32_t colour, int32_t style,
                             int32_t underline) {
    return guarded([&] {
        return on_xl_book([&] { return XM_FontNo(0, name, size, colour, style, underline); });
    });
}

TABRIX_API int32_t XL_FmtNo(const char *format) {
    return guarded([&] { return on_xl_book([&] { return XM_FmtNo(0, format); }); });
}

TABRIX_API int32_t XL_InitAttr(XLATTR *attr) {
    return XM_InitAttr(attr);
}

TABRIX_API int32_t XL_GetAttrNo2(const XLATTR *attr) {
    return guarded([&] { return on_xl_book([&] { return XM_GetAttrNo2(0, attr); }); });
}

TABRIX_API int32_t XL_GetAttrNo(int32_t lines, int32_t colours, int32_t pos_horz, int32_t font,
                                int32_t format) {
    return guarded([&] {
        return on_xl_book([&] { return XM_GetAttrNo(0, lines, colours, pos_horz, font, format); });
    });
}

TABRIX_API int32_t XL_SetAttr(int32_t x, int32_t y, int32_t attr) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SetAttr(0, s, x, y, attr); }); });
}

TABRIX_API int32_t XL_SetAttrExt(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t attr) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_SetAttrExt(0, s, x1, y1, x2, y2, attr); });
    });
}

TABRIX_API int32_t XL_SetAttr2(int32_t x, int32_t y, const XLATTR *attr) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SetAttr2(0, s, x, y, attr); }); });
}

TABRIX_API int32_t XL_SetAttrExt2(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  const XLATTR *attr) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_SetAttrExt2(0, s, x1, y1, x2, y2, attr); });
    });
}

TABRIX_API int32_t XL_SetAttrh(const char *keyword, int32_t dx, int32_t dy, int32_t attr) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_SetAttrh(0, s, keyword, dx, dy, attr); });
    });
}

TABRIX_API int32_t XL_SetAttrExth(const char *keyword, int32_t dx1, int32_t dy1, int32_t dx2,
                                  int32_t dy2, int32_t attr) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_SetAttrExth(0, s, keyword, dx1, dy1, dx2, dy2, attr); });
    });
}

TABRIX_API int32_t XL_SetAttr2h(const char *keyword, int32_t dx, int32_t dy, const XLATTR *attr) {
    return guarded([&] {
        return on_xl_sheet([&](int32_t s) { return XM_SetAttr2h(0, s, keyword, dx, dy, attr); });
    });
}

TABRIX_API int32_t XL_SetAttrExt2h(const char *keyword, int32_t dx1, int32_t dy1, int32_t dx2,
                                   int32_t dy2, const XLATTR *attr) {
    return guarded([&] {
        return on_xl_sheet(
            [&](int32_t s) { return XM_SetAttrExt2h(0, s, keyword, dx1, dy1, dx2, dy2, attr); });
    });
}

#define TABRIX_XL_LINE_CALL(name, engine_call)                                              \
    TABRIX_API int32_t name(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line) { \
        return guarded([&] {                                                                \
            return on_xl_sheet(                                                             \
                [&](int32_t s) { return engine_call(0, s, x1, y1, x2, y2, line); });        \
        });                                                                                 \
    }
TABRIX_XL_LINE_CALL(XL_BoxLine, XM_BoxLine)
TABRIX_XL_LINE_CALL(XL_LtcLine, XM_LtcLine)
TABRIX_XL_LINE_CALL(XL_OverLine, XM_OverLine)
TABRIX_XL_LINE_CALL(XL_UnderLine, XM_UnderLine)
TABRIX_XL_LINE_CALL(XL_LeftLine, XM_LeftLine)
TABRIX_XL_LINE_CALL(XL_RightLine, XM_RightLine)
#undef TABRIX_XL_LINE_CALL

}  // extern "C"
