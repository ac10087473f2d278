#include "engine/styles/default_records.h"

#include <algorithm>
#include <utility>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/styles/xf_records.h"

namespace tabrix::engine {

namespace {

constexpr std::string_view kBiff5DefaultFontName = "\x96\xbe\x92\xa9";  // 明朝
constexpr std::u16string_view kBiff8DefaultFontName = u"ＭＳ Ｐゴシック";

struct BuiltinFormat {
    uint16_t number;
    const char *text;
};

// Code page 932 bytes; 0x5C is the backslash.
constexpr BuiltinFormat kBuiltinFormats[] = {
    {0, ""},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {5, "\"\\\"#,##0;\"\\\"\\-#,##0"},
    {6, "\"\\\"#,##0;[Red]\"\\\"\\-#,##0"},
    {7, "\"\\\"#,##0.00;\"\\\"\\-#,##0.00"},
    {8, "\"\\\"#,##0.00;[Red]\"\\\"\\-#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "yyyy/m/d"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "yyyy/m/d h:mm"},
    {23, "\\$#,##0_);\\(\\$#,##0\\)"},
    {24, "\\$#,##0_);[Red]\\(\\$#,##0\\)"},
    {25, "\\$#,##0.00_);\\(\\$#,##0.00\\)"},
    {26, "\\$#,##0.00_);[Red]\\(\\$#,##0.00\\)"},
    {30, "m/d/yy"},
    {31, "yyyy\"\x94N\"m\"\x8c\x8e\"d\"\x93\xfa\""},  // yyyy"年"m"月"d"日"
    {32, "h\"\x8e\x9e\"mm\"\x95\xaa\""},              // h"時"mm"分"
    {33,
     "h\"\x8e\x9e\"mm\"\x95\xaa\"ss\"\x95"
     "b\""},  // h"時"mm"分"ss"秒"
    {37, "#,##0;-#,##0"},
    {38, "#,##0;[Red]-#,##0"},
    {39, "#,##0.00;-#,##0.00"},
    {40, "#,##0.00;[Red]-#,##0.00"},
    {41, "_ * #,##0_ ;_ * -#,##0_ ;_ * \"-\"_ ;_ @_ "},
    {42, "_ \"\\\"* #,##0_ ;_ \"\\\"* \\-#,##0_ ;_ \"\\\"* \"-\"_ ;_ @_ "},
    {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
    {44, "_ \"\\\"* #,##0.00_ ;_ \"\\\"* \\-#,##0.00_ ;_ \"\\\"* \"-\"??_ ;_ @_ "},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
    {55, "yyyy\"\x94N\"m\"\x8c\x8e\""},  // yyyy"年"m"月"
    {56, "m\"\x8c\x8e\"d\"\x93\xfa\""},  // m"月"d"日"
    {57, "ge.m.d"},
    {58, "ggge\"\x94N\"m\"\x8c\x8e\"d\"\x93\xfa\""},  // ggge"年"m"月"d"日"
};

// The default FORMAT records, in list order. 41 and 43 differ from the built-in table: the
// records carry a backslash before the minus sign of the second section.
constexpr BuiltinFormat kDefaultFormatRecords[] = {
    {5, nullptr},  {6, nullptr},
    {7, nullptr},  {8, nullptr},
    {42, nullptr}, {41, "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ "},
    {44, nullptr}, {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
    {23, nullptr}, {24, nullptr},
    {25, nullptr}, {26, nullptr},
};

void put_font_fields(std::vector<uint8_t> &out, const FontFields &f) {
    put_u16(out, f.height);
    put_u16(out, f.options);
    put_u16(out, f.colour);
    put_u16(out, f.weight);
    put_u16(out, f.escapement);
    put_u8(out, f.underline);
    put_u8(out, f.family);
    put_u8(out, f.charset);
    put_u8(out, f.reserved);
}

// Position 4 of the table is font number 5: BIFF readers skip font number 4.
DefaultFontTable make_default_font_table() {
    DefaultFontTable table;
    Biff8Chars biff8_name = biff8_chars(kBiff8DefaultFontName);
    for (int i = 0; i < 5; ++i) {
        FontFields biff5;
        FontFields biff8;
        biff8.family = 3;
        if (i == 1 || i == 3) {
            biff5.options |= 0x0001;
            biff5.weight = 700;
        }
        if (i == 2 || i == 3) biff5.options |= 0x0002;
        if (i == 4) biff8.height = 120;
        table.biff5[i] = font_body_biff5(biff5, kBiff5DefaultFontName);
        table.biff8[i] = font_body_biff8(biff8, biff8_name);
    }
    return table;
}

// Built-in XFs 0-14 are styles (parent 0xFFF), 15 is the default cell XF, 16-20 are the
// number-format styles.
XfFields default_xf(int index, bool biff8, uint16_t version_stamp) {
    constexpr uint16_t kStyleProtection = 0xFFF5;  // locked, style XF, no parent
    constexpr uint16_t kCellProtection = 0x0001;   // locked, parent XF 0
    constexpr uint16_t kFormats[] = {9, 38, 40, 6, 8};
    XfFields xf;
    if (index >= 16) {
        xf.font = biff8 ? 1 : 5;
        xf.format = kFormats[index - 16];
    } else {
        xf.font = (index == 1 || index == 2) ? 1 : (index == 3 || index == 4) ? 2 : 0;
    }
    xf.protection = index == 15 ? kCellProtection : kStyleProtection;
    xf.pos_vert = biff8 && version_stamp >= 2002 ? 1 : 2;
    xf.used = (index == 0 || index == 15) ? 0x00 : index >= 16 ? 0xF8 : 0xF4;
    xf.pattern_colour = 64;  // automatic foreground
    xf.back_colour = 65;     // automatic background
    return xf;
}

std::vector<uint8_t> style_body(uint16_t xf, uint8_t builtin_style) {
    std::vector<uint8_t> body;
    put_u16(body, static_cast<uint16_t>(xf | 0x8000));
    put_u8(body, builtin_style);
    put_u8(body, 0xFF);
    return body;
}

}  // namespace

std::vector<uint8_t> font_body_biff5(const FontFields &fields, std::string_view narrow_name) {
    std::vector<uint8_t> body;
    put_font_fields(body, fields);
    put_u8(body, static_cast<uint8_t>(narrow_name.size()));
    put_bytes(body, narrow_name.data(), narrow_name.size());
    return body;
}

std::vector<uint8_t> font_body_biff8(const FontFields &fields, const Biff8Chars &name) {
    std::vector<uint8_t> body;
    put_font_fields(body, fields);
    put_biff8_short_string(body, name);
    return body;
}

std::vector<uint8_t> format_body(bool biff8, uint16_t number, std::string_view narrow) {
    std::vector<uint8_t> body;
    put_u16(body, number);
    if (biff8) {
        put_biff8_string(body, biff8_chars(narrow));
    } else {
        put_u8(body, static_cast<uint8_t>(narrow.size()));
        put_bytes(body, narrow.data(), narrow.size());
    }
    return body;
}

std::vector<uint8_t> format_body(uint16_t number, std::u16string_view wide) {
    std::vector<uint8_t> body;
    put_u16(body, number);
    put_biff8_string(body, biff8_chars(wide));
    return body;
}

const char *builtin_number_format(uint16_t number) {
    auto it = std::find_if(std::begin(kBuiltinFormats), std::end(kBuiltinFormats),
                           [number](const BuiltinFormat &f) { return f.number == number; });
    return it == std::end(kBuiltinFormats) ? nullptr : it->text;
}

DefaultFontTable &default_font_table() {
    std::optional<DefaultFontTable> &table = process_state().default_fonts;
    if (!table) table = make_default_font_table();
    return *table;
}

void append_default_records(bool biff8, uint16_t version_stamp, RecordList &fonts,
                            RecordList &formats, RecordList &xfs, RecordList &styles) {
    std::array<std::vector<uint8_t>, 5> font_bodies;
    {
        // A copy, so that a default font set on another thread meanwhile waits no longer.
        const std::lock_guard lock(settings_mutex());
        const DefaultFontTable &table = default_font_table();
        font_bodies = biff8 ? table.biff8 : table.biff5;
    }
    for (const std::vector<uint8_t> &body : font_bodies) {
        fonts.append(rec::kFont, body);
    }
    for (const BuiltinFormat &format : kDefaultFormatRecords) {
        const char *text = format.text ? format.text : builtin_number_format(format.number);
        formats.append(rec::kFormat, format_body(biff8, format.number, text));
    }
    for (int index = 0; index <= 20; ++index) {
        const XfFields xf = default_xf(index, biff8, version_stamp);
        xfs.append(rec::kXf, biff8 ? xf_body_biff8(xf) : xf_body_biff5(xf));
    }
    constexpr std::pair<uint16_t, uint8_t> kStyles[] = {{16, 5}, {17, 6}, {18, 3},
                                                        {19, 7}, {20, 4}, {0, 0}};
    for (auto [xf, style] : kStyles) styles.append(rec::kStyle, style_body(xf, style));
}

}  // namespace tabrix::engine
