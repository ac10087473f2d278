// FONT, FORMAT and XF record bodies as the attribute registry builds and registers them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/exports/boundary.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/default_records.h"
#include "engine/styles/font_records.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

class AttributeRecordsTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    int32_t create(bool biff8, int32_t version = 0) {
        std::string path = folder_.file("book" + std::to_string(files_++) + ".xls");
        int32_t h = version ? XM_CreateVer(path.c_str(), 1, version)
                            : (biff8 ? XM_Create97(path.c_str(), 1) : XM_Create(path.c_str(), 1));
        EXPECT_GE(h, 0);
        return h;
    }
    static const Bytes &last_font(int32_t h) { return workbook_at(h)->fonts.records().back().data; }
    static const Bytes &last_format(int32_t h) {
        return workbook_at(h)->formats.records().back().data;
    }
    static const Bytes &xf(int32_t h, int32_t number) {
        return workbook_at(h)->xfs.records().at(static_cast<size_t>(number)).data;
    }
    static XLATTR request() {
        XLATTR a;
        XM_InitAttr(&a);
        return a;
    }
    TempFolder folder_;
    int files_ = 0;
};

Bytes concat(Bytes head, const std::string &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(AttributeRecordsTest, FontBodiesCarryEveryStyleInBothFormats) {
    int32_t h8 = create(true);
    EXPECT_EQ(XM_FontNo(h8, "Arial", 10.0, xcRed, xsBold | xsItalic | xsStrike | xsUp, fuDouble), 6)
        << "five defaults hold numbers 0-3 and 5";
    EXPECT_EQ(last_font(h8),
              concat({0xC8, 0, 0x0A, 0, 10, 0, 0xBC, 0x02, 1, 0, 2, 0, 128, 0xA2, 5, 0}, "Arial"));
    // Subscript wins over superscript; a negative style and underline are none; colour 0 is
    // automatic.
    EXPECT_EQ(XM_FontNo(h8, "Arial", 10.0, 0, -1, -1), 7);
    EXPECT_EQ(Bytes(last_font(h8).begin(), last_font(h8).begin() + 14),
              (Bytes{0xC8, 0, 0, 0, 0xFF, 0x7F, 0x90, 0x01, 0, 0, 0, 0, 128, 0xA2}));
    EXPECT_EQ(XM_FontNo(h8, "Arial", 10.0, 0, xsUp | xsDown, fuNone), 8);
    EXPECT_EQ(last_font(h8)[8], 2);
    // A Japanese name is stored as UTF-16.
    EXPECT_EQ(XM_FontNo(h8, "\x96\xbe\x92\xa9", 11.0, 0, 0, 0), 9);  // 明朝
    EXPECT_EQ(Bytes(last_font(h8).begin() + 14, last_font(h8).end()),
              (Bytes{2, 1, 0x0E, 0x66, 0x1D, 0x67}));

    int32_t h5 = create(false);
    EXPECT_EQ(XM_FontNo(h5, "Arial", 12.5, xcBlue, xsItalic, fuNormal), 6);
    EXPECT_EQ(last_font(h5),
              concat({0xFA, 0, 0x02, 0, 12, 0, 0x90, 0x01, 0, 0, 1, 0, 128, 0xA2, 5}, "Arial"));
}

TEST_F(AttributeRecordsTest, FontSizesAreClampedAndNamesChecked) {
    int32_t h = create(true);
    auto height = [&](double size) {
        EXPECT_GE(XM_FontNo(h, "Arial", size, 0, 0, 0), 0);
        return load_u16(last_font(h).data());
    };
    EXPECT_EQ(height(0.0), 220);
    EXPECT_EQ(height(0.5), 20);
    EXPECT_EQ(height(500.0), 8180);
    EXPECT_EQ(height(10.99), 219);
    EXPECT_EQ(XM_FontNo(h, "Arial", -5.0, 0, 0, 0), XM_FontNo(h, "Arial", 0.0, 0, 0, 0));
    EXPECT_EQ(XM_FontNo(h, std::string(32, 'n').c_str(), 11.0, 0, 0, 0), 10);
    EXPECT_EQ(XM_FontNo(h, std::string(33, 'n').c_str(), 11.0, 0, 0, 0), -31);
    EXPECT_EQ(XM_FontNo(h, "Arial", 11.0, 0, 0, 0), XM_FontNo(h, "Arial", 11.0, 0, 0, 0));
    EXPECT_EQ(XM_FontNo(-1, "Arial", 11.0, 0, 0, 0), -2);
    EXPECT_EQ(XM_FontNo(3, "Arial", 11.0, 0, 0, 0), -3);
}

TEST_F(AttributeRecordsTest, AnEmptyFontNameAndSizeTakeTheWorkbookDefaults) {
    int32_t h = create(true);
    workbook_at(h)->default_font_size = 9.0;
    ASSERT_EQ(XM_FontNo(h, nullptr, -1.0, xcRed, 0, 0), 6);
    EXPECT_EQ(load_u16(last_font(h).data()), 180);
    Bytes name = biff8_chars(std::u16string_view(u"ＭＳ Ｐゴシック")).bytes;
    EXPECT_EQ(Bytes(last_font(h).begin() + 16, last_font(h).end()), name);
    EXPECT_EQ(XM_FontNo(h, "", -1.0, xcRed, 0, 0), 6);
    EXPECT_EQ(XM_FontNoW(h, u"ＭＳ Ｐゴシック", 9.0, xcRed, 0, 0), 6);
}

TEST_F(AttributeRecordsTest, TheFirstMatchingFontWinsAlsoAfterADefaultIsRewritten) {
    int32_t h = create(true);
    ASSERT_EQ(XM_FontNo(h, "Arial", 10.0, 0, 0, 0), 6);
    ASSERT_EQ(XM_FontNo(h, "Tahoma", 10.0, 0, 0, 0), 7);
    // The default-font calls rewrite position 0 in place.
    Workbook &book = *workbook_at(h);
    book.fonts.records()[0].data = book.fonts.records()[6].data;
    EXPECT_EQ(XM_FontNo(h, "Tahoma", 10.0, 0, 0, 0), 0);
    EXPECT_EQ(XM_FontNo(h, "Arial", 10.0, 0, 0, 0), 6);
    // A FONT appended by someone else (a template) is found too.
    Bytes verdana;
    ASSERT_EQ(build_font_body(true, FontRequest{"Verdana", 8.0, 0, 0, 0}, &verdana), 0);
    book.fonts.append(0x0031, verdana);
    EXPECT_EQ(XM_FontNo(h, "Verdana", 8.0, 0, 0, 0), 8);
    EXPECT_EQ(book.fonts.records().size(), 8u);
}

TEST_F(AttributeRecordsTest, DefaultFontSlotsChangeLaterWorkbooks) {
    EXPECT_EQ(XE_SetDefFont(5, "Arial", 10.0, 0, 0, 0), -34);
    EXPECT_EQ(XE_SetDefFont(0, std::string(40, 'n').c_str(), 10.0, 0, 0, 0), -31);
    ASSERT_EQ(XE_SetDefFont(4, "Arial", 9.0, xcRed, xsBold, 0), 0);
    int32_t h8 = create(true);
    int32_t h5 = create(false);
    EXPECT_EQ(workbook_at(h8)->fonts.records()[4].data,
              concat({0xB4, 0, 0, 0, 10, 0, 0xBC, 0x02, 0, 0, 0, 0, 128, 0xA2, 5, 0}, "Arial"));
    EXPECT_EQ(workbook_at(h5)->fonts.records()[4].data,
              concat({0xB4, 0, 0, 0, 10, 0, 0xBC, 0x02, 0, 0, 0, 0, 128, 0xA2, 5}, "Arial"));
    EXPECT_EQ(XM_FontNo(h8, "Arial", 9.0, xcRed, xsBold, 0), 5) << "slot 4 is font number 5";
}

TEST_F(AttributeRecordsTest, Excel95FontNamesAndFormatsHoldOnlyCodePage932) {
    int32_t h5 = create(false);
    // A stray byte and half a character become the middle dot 0x81 0x45.
    ASSERT_GE(XM_FontNo(h5, "Ar\xffial\x82", 11.0, 0, 0, 0), 0);
    const Bytes &font = last_font(h5);
    EXPECT_EQ(Bytes(font.begin() + 14, font.end()), concat({9}, "Ar\x81\x45ial\x81\x45"));
    EXPECT_EQ(XM_FmtNo(h5, "0.0\x80"), 176);
    EXPECT_EQ(last_format(h5), concat({176, 0, 5}, "0.0\x81\x45"));
    // Repairs that grow a name past its limit are length errors.
    EXPECT_EQ(XM_FontNo(h5, (std::string(31, 'n') + "\xff").c_str(), 11.0, 0, 0, 0), -31);
}

// Names and formats code page 932 lacks a character of are Excel 97's whole, never "?".
TEST_F(AttributeRecordsTest, WideNamesAndFormatsOutsideCodePage932) {
    int32_t h8 = create(true);
    const int32_t font = XM_FontNoW(h8, u"Ümlaut €", 10.0, 0, 0, 0);
    ASSERT_GT(font, 0);
    EXPECT_EQ(Bytes(last_font(h8).begin() + 16, last_font(h8).end()),
              biff8_chars(std::u16string_view(u"Ümlaut €")).bytes);
    EXPECT_EQ(XM_FontNoW(h8, u"Ümlaut €", 10.0, 0, 0, 0), font);
    EXPECT_EQ(XM_FmtNoW(h8, u"[赤]0 €"), 176);
    EXPECT_EQ(Bytes(last_format(h8).begin() + 5, last_format(h8).end()),
              biff8_chars(std::u16string_view(u"[Red]0 €")).bytes);
    EXPECT_EQ(XM_FontNoW(h8, std::u16string(33, u'é').c_str(), 10.0, 0, 0, 0), -31);
    int32_t h5 = create(false);
    EXPECT_EQ(XM_FontNoW(h5, u"Ümlaut", 10.0, 0, 0, 0), -31);
    EXPECT_EQ(XM_FmtNoW(h5, u"0 €"), -31);
}

TEST_F(AttributeRecordsTest, FormatsAreNumberedFrom176AndBuiltInStringsKeepTheirNumbers) {
    int32_t h = create(true);
    EXPECT_EQ(XM_FmtNo(h, "0.000"), 176);
    EXPECT_EQ(last_format(h), concat({176, 0, 5, 0, 0}, "0.000"));
    EXPECT_EQ(XM_FmtNo(h, "#,##0.000"), 177);
    EXPECT_EQ(XM_FmtNo(h, "0.000"), 176);
    EXPECT_EQ(XM_FmtNo(h, builtin_number_format(5)), 5);
    EXPECT_EQ(XM_FmtNo(h, builtin_number_format(24)), 24);
    EXPECT_EQ(XM_FmtNo(h, ""), -31);
    EXPECT_EQ(XM_FmtNo(h, nullptr), -31);
    EXPECT_EQ(workbook_at(h)->formats.records().size(), 14u);

    int32_t h5 = create(false);
    EXPECT_EQ(XM_FmtNo(h5, "0.0\x94N"), 176);  // 0.0年
    EXPECT_EQ(last_format(h5), concat({176, 0, 5}, "0.0\x94N"));
}

TEST_F(AttributeRecordsTest, JapaneseColourWordsBecomeEnglishOutsideQuotes) {
    int32_t h = create(true);
    auto text_of = [&](const char *format) {
        EXPECT_GE(XM_FmtNo(h, format), 176);
        const Bytes &body = last_format(h);
        return std::string(body.begin() + 5, body.end());
    };
    EXPECT_EQ(text_of("[\x90\xd4]#,##0"), "[Red]#,##0");  // [赤]
    EXPECT_EQ(text_of("[\x90\x46"
                      "10]0.0"),
              "[Color10]0.0");  // [色10]
    EXPECT_EQ(text_of("[\x90\xc2]0;[\x97\xce]-0;[\x89\xa9]0"), "[Blue]0;[Green]-0;[Yellow]0");
    EXPECT_EQ(text_of("[\x94\x92]0;[\x8d\x95]0;[\x90\x85]0;[\x8e\x87]@"),
              "[White]0;[Black]0;[Cyan]0;[Magenta]@");
    // Later words of the table are tried after an earlier one matched, never earlier ones.
    EXPECT_EQ(text_of("[\x90\xd4\x90\x46]0"), "[RedColor]0");
    // Inside quotes nothing changes; the record then holds UTF-16 for the Japanese text.
    ASSERT_EQ(XM_FmtNo(h, "\"[\x90\xd4]\"0"), 181);
    EXPECT_EQ(last_format(h)[4], 1);
    EXPECT_EQ(Bytes(last_format(h).begin() + 5, last_format(h).end()),
              (Bytes{'"', 0, '[', 0, 0x64, 0x8D, ']', 0, '"', 0, '0', 0}));
    // A double-byte character whose second byte is '[' opens no bracket: ー赤 stays.
    ASSERT_EQ(XM_FmtNo(h, "\x81[\x90\xd4"), 182);
    EXPECT_EQ(Bytes(last_format(h).begin() + 5, last_format(h).end()),
              (Bytes{0xFC, 0x30, 0x64, 0x8D}));
    EXPECT_EQ(XM_FmtNoW(h, u"[赤]#,##0"), 176);
}

TEST_F(AttributeRecordsTest, FormatLengthsAreCheckedBeforeAndAfterTheColourWords) {
    int32_t h5 = create(false);
    EXPECT_EQ(XM_FmtNo(h5, std::string(255, '0').c_str()), 176);
    EXPECT_EQ(XM_FmtNo(h5, std::string(256, '0').c_str()), -31);
    EXPECT_EQ(XM_FmtNo(h5, ("[\x90\xd4]" + std::string(250, '0')).c_str()), 177);
    EXPECT_EQ(XM_FmtNo(h5, ("[\x90\xd4]" + std::string(251, '0')).c_str()), -31);
    int32_t h8 = create(true);
    EXPECT_EQ(XM_FmtNo(h8, std::string(256, '0').c_str()), 176);
    EXPECT_EQ(XM_FmtNo(h8, std::string(257, '0').c_str()), -31);
}

TEST_F(AttributeRecordsTest, ABackgroundColourAloneGivesASolidFill) {
    int32_t h8 = create(true);
    XLATTR a = request();
    a.BackColor = xcRed;
    ASSERT_EQ(XM_GetAttrNo2(h8, &a), 21);
    EXPECT_EQ(xf(h8, 21),
              (Bytes{0, 0, 0, 0, 1, 0, 0x20, 0, 0, 0x50, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x0A, 0x20}));
    int32_t h5 = create(false);
    ASSERT_EQ(XM_GetAttrNo2(h5, &a), 21);
    EXPECT_EQ(xf(h5, 21), (Bytes{0, 0, 0, 0, 1, 0, 0x20, 0x40, 0x0A, 0x20, 1, 0, 0, 0, 0, 0}));
}

TEST_F(AttributeRecordsTest, Excel97XfCarriesEveryField) {
    int32_t h = create(true);
    XLATTR a = request();
    a.Font = 6;
    a.Format = 176;
    a.PosHorz = 8;  // distributed, last line justified
    a.OverReturn = 1;
    a.PosVert = 4;
    a.LineTop = 1;
    a.LineBottom = 13;
    a.LineLeft = 5;
    a.LineRight = 8;
    a.ColorTop = 10;  // bottom left without colour: automatic
    a.ColorRight = 63;
    a.Pattern = 18;
    a.PatternColor = 12;
    a.BackColor = 13;
    a.Fit = 1;
    a.DiagKind = 3;
    a.DiagStyle = 2;
    a.DiagColor = 11;
    a.Rotation = -45;
    a.Locked = 0;
    a.Hidden = 1;
    ASSERT_EQ(XM_GetAttrNo2(h, &a), 21);
    Bytes expected = {6, 0, 176, 0, 2, 0, 0x47 | 0x08 | 0x80, 135, 0x10, 0x7C, 0x85, 0xD1};
    put_u16(expected, static_cast<uint16_t>(64 | 63 << 7 | 3 << 14));
    put_u32(expected, 10u | 64u << 7 | 11u << 14 | 2u << 21 | 18u << 26);
    put_u16(expected, static_cast<uint16_t>(12 | 13 << 7));
    EXPECT_EQ(xf(h, 21), expected);
}

TEST_F(AttributeRecordsTest, Excel95XfPacksBordersOrientationAndFill) {
    int32_t h = create(false);
    XLATTR a = request();
    a.PosHorz = 3;
    a.PosVert = 0;
    a.Orient = 2;
    a.LineTop = 2;
    a.LineBottom = 6;
    a.LineLeft = 7;
    a.LineRight = 3;
    a.ColorBottom = 12;
    a.ColorLeft = 8;
    a.Pattern = 4;
    a.PatternColor = 10;
    a.BackColor = 9;
    a.LineLeft = 7;
    ASSERT_EQ(XM_GetAttrNo2(h, &a), 21);
    Bytes expected = {0, 0, 0, 0, 1, 0};
    put_u16(expected, static_cast<uint16_t>(3 | 0 << 4 | 2 << 8 | 1 << 12 | 1 << 13 | 1 << 14));
    put_u16(expected, static_cast<uint16_t>(10 | 9 << 7));
    put_u16(expected, static_cast<uint16_t>(4 | 6 << 6 | 12 << 9));
    put_u16(expected, static_cast<uint16_t>(2 | 7 << 3 | 3 << 6 | 64 << 9));
    put_u16(expected, static_cast<uint16_t>(8 | 64 << 7));
    EXPECT_EQ(xf(h, 21), expected);
    // Excel 95 knows styles 0-7 and no Excel 97 fields.
    XLATTR b = request();
    b.LineTop = 9;
    b.Rotation = 90;
    b.Fit = 1;
    EXPECT_EQ(XM_GetAttrNo2(h, &b), 22);
    EXPECT_EQ(xf(h, 22), (Bytes{0, 0, 0, 0, 1, 0, 0x20, 0, 0xC0, 0x20, 0, 0, 0, 0, 0, 0}));
}

TEST_F(AttributeRecordsTest, IndentRotationAndVersionDefaultsAreNormalised) {
    int32_t h8 = create(true);
    int32_t h5 = create(false);
    XLATTR a = request();
    a.PosHorz = 1;
    a.Indent = 3;
    ASSERT_EQ(XM_GetAttrNo2(h8, &a), 21);
    EXPECT_EQ(xf(h8, 21)[6] & 7, 1);
    EXPECT_EQ(xf(h8, 21)[8], 3);
    ASSERT_EQ(XM_GetAttrNo2(h5, &a), 21);
    EXPECT_EQ(load_u16(&xf(h5, 21)[6]) & 7, 0) << "Excel 95: general, no indent";

    auto rotation_of = [&](int16_t rotation) {
        XLATTR r = request();
        r.Rotation = rotation;
        int32_t n = XM_GetAttrNo2(h8, &r);
        EXPECT_GE(n, 21);
        return public_attribute(attribute_record(*workbook_at(h8), n)).Rotation;
    };
    EXPECT_EQ(rotation_of(-45), 135);
    EXPECT_EQ(rotation_of(200), 0);
    EXPECT_EQ(rotation_of(255), 255);
    EXPECT_EQ(rotation_of(90), 90);

    // Version 2002: the default XFs and requests without a vertical alignment are centred.
    int32_t h2002 = create(true, 2002);
    EXPECT_EQ(xf(h2002, 15)[6], 0x10);
    XLATTR c = request();
    c.Font = 6;
    ASSERT_EQ(XM_GetAttrNo2(h2002, &c), 21);
    EXPECT_EQ(xf(h2002, 21)[6], 0x10);
    EXPECT_EQ(xf(h2002, 21)[9], 0x14) << "font differs; alignment flag always set in Excel 97";
}

TEST_F(AttributeRecordsTest, BorderColoursFollowTheirStyles) {
    int32_t h = create(true);
    XLATTR a = request();
    a.LineTop = 1;         // no colour: automatic 64
    a.ColorBottom = 10;    // colour without a line: dropped
    a.LineLeft = kNoLine;  // "no line" registered directly is written as no line
    a.DiagKind = 1;        // diagonal without a style: no colour
    ASSERT_EQ(XM_GetAttrNo2(h, &a), 21);
    XLATTR stored = public_attribute(attribute_record(*workbook_at(h), 21));
    EXPECT_EQ(stored.ColorTop, 64);
    EXPECT_EQ(stored.ColorBottom, 0);
    EXPECT_EQ(stored.DiagColor, 0);
    EXPECT_EQ(xf(h, 21)[10], 0) << "left and right styles";
    EXPECT_EQ(xf(h, 21)[11], 0x01) << "top thin, bottom none";
    EXPECT_EQ(load_u16(&xf(h, 21)[12]) & 0x3FFF, 0) << "left and right colours";
    EXPECT_EQ(load_u32(&xf(h, 21)[14]) & 0x1FFFFF, 64u) << "top 64, bottom 0, diagonal 0";
}

TEST_F(AttributeRecordsTest, PackedBordersOfTheOlderForm) {
    int32_t h = create(true);
    EXPECT_EQ(XL_KeiNo(1, 2, 255, 0), 0x0102FF00);
    EXPECT_EQ(XL_KBoxNo(6), 0x06060606);
    EXPECT_EQ(XL_KTopNo(5), 0x05FFFFFF);
    EXPECT_EQ(XL_KBtmPNo(10), static_cast<int32_t>(0xFF0AFFFF));
    EXPECT_EQ(XL_KLftNo(3), static_cast<int32_t>(0xFFFF03FF));
    EXPECT_EQ(XL_KRitPNo(12), static_cast<int32_t>(0xFFFFFF0C));
    int32_t n = XM_GetAttrNo(h, XL_KeiNo(1, 2, 255, 0x1D), XL_KeiPNo(10, 0, 12, 11), 2, 6, 176);
    ASSERT_EQ(n, 21);
    XLATTR a = public_attribute(attribute_record(*workbook_at(h), n));
    EXPECT_EQ((std::vector<int16_t>{a.LineTop, a.LineBottom, a.LineLeft, a.LineRight}),
              (std::vector<int16_t>{1, 2, 0, 13}));
    EXPECT_EQ((std::vector<int16_t>{a.ColorTop, a.ColorBottom, a.ColorLeft, a.ColorRight}),
              (std::vector<int16_t>{10, 64, 0, 11}));
    EXPECT_EQ(a.PosHorz, 2);
    EXPECT_EQ(a.Font, 6);
    EXPECT_EQ(a.Format, 176);
    EXPECT_EQ(a.DiagStyle, 0);
    EXPECT_EQ(XM_GetAttrNo(h, 0, 0, 10, -1, -1), XM_GetAttrNo(h, 0, 0, 2, -1, -1))
        << "alignment masked to 0-7";
}

TEST_F(AttributeRecordsTest, RegisteredXfsFollowTheDefaultsInTheFile) {
    std::string path = folder_.file("xfs.xls");
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_EQ(h, 0);
    XLATTR a = request();
    a.Font = static_cast<int16_t>(XM_FontNo(h, "Arial", 14.0, xcBlue, xsBold, 0));
    a.Format = static_cast<int16_t>(XM_FmtNo(h, "0.0%"));
    ASSERT_EQ(XM_GetAttrNo2(h, &a), 21);
    ASSERT_EQ(XM_WriteDouble2(h, 0, 0, 0, 0.5, 21), 0);
    auto sections = split_sections(close_and_read(h, path, true));
    auto xfs = all_of(sections[0], 0x00E0);
    ASSERT_EQ(xfs.size(), 22u);
    EXPECT_EQ(xfs[21]->u16(0), 6);
    EXPECT_EQ(xfs[21]->u16(2), 176);
    EXPECT_EQ(all_of(sections[0], 0x0031).size(), 6u);
    EXPECT_EQ(all_of(sections[0], 0x041E).size(), 13u);
    EXPECT_EQ(all_of(sections[0], 0x041E).back()->u16(0), 176);
}

}  // namespace
}  // namespace tabrix::engine::test
