// A sheet's display and print settings: the engine calls and the layout functions behind
// them, their checks, and what each leaves in the sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/biff/biff_string.h"
#include "engine/layout/page_setup.h"
#include "engine/layout/window_settings.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

class PageSettingsTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    int32_t create(bool biff8, int32_t sheets = 2) {
        std::string path = folder_.file(biff8 ? "page8.xls" : "page5.xls");
        int32_t h = biff8 ? XM_Create97(path.c_str(), sheets) : XM_Create(path.c_str(), sheets);
        EXPECT_GE(h, 0);
        return h;
    }
    Workbook &book(int32_t h) { return *workbook_at(h); }
    Sheet &sheet(int32_t h, int32_t s) { return *workbook_at(h)->sheets[s]; }
    std::u16string header(int32_t h, int32_t s) {
        const auto &body = sheet(h, s).page.header;
        return body ? page_text_of(book(h), *body) : u"(none)";
    }
    TempFolder folder_;
};

TEST_F(PageSettingsTest, ZoomIsReducedByTheFirstDividingDivisor) {
    const std::pair<int32_t, std::pair<int, int>> cases[] = {
        {75, {3, 4}},  {150, {3, 2}}, {100, {1, 1}}, {33, {33, 100}},
        {10, {1, 10}}, {400, {4, 1}}, {40, {2, 5}},  {64, {16, 25}}};
    for (const auto &[zoom, fraction] : cases) {
        const ZoomFraction got = zoom_fraction(zoom);
        EXPECT_EQ(got.numerator, fraction.first) << zoom;
        EXPECT_EQ(got.denominator, fraction.second) << zoom;
    }
}

TEST_F(PageSettingsTest, ZoomChecksRangeThenWorkbookThenSheet) {
    int32_t h = create(true);
    EXPECT_EQ(XM_SetZoom(h, 1, 75), 0);
    EXPECT_EQ(sheet(h, 1).window.zoom_numerator, 3);
    EXPECT_EQ(sheet(h, 1).window.zoom_denominator, 4);
    EXPECT_EQ(XM_SetZoom(h, 1, 9), -34);
    EXPECT_EQ(XM_SetZoom(h, 1, 401), -34);
    EXPECT_EQ(XM_SetZoom(h + 1, 1, 9), -34) << "the zoom is checked first";
    EXPECT_EQ(XM_SetZoom(h + 1, 1, 100), -3);
    EXPECT_EQ(XM_SetZoom(-1, 1, 100), -3);
    EXPECT_EQ(XM_SetZoom(h, 2, 100), -4);
    EXPECT_EQ(XM_SetZoom(h, -1, 100), -4);
    EXPECT_EQ(sheet(h, 1).window.zoom_numerator, 3) << "failed calls change nothing";
    EXPECT_EQ(sheet(h, 0).window.zoom_numerator, 0);

    EXPECT_EQ(XL_SetZoom(9), -1) << "the older layer refuses the zoom before the workbook";
    EXPECT_EQ(XL_SetZoom(100), -3);
}

TEST_F(PageSettingsTest, GridModeSelectsTheSheet) {
    int32_t h = create(false, 3);
    EXPECT_EQ(XM_SetGridMode(h, 2, 0), 0);
    EXPECT_FALSE(sheet(h, 2).window.show_grid);
    EXPECT_EQ(book(h).current_sheet, 2);
    EXPECT_EQ(XM_SetGridMode(h, 2, 7), 0);
    EXPECT_TRUE(sheet(h, 2).window.show_grid);
    EXPECT_EQ(XM_SetGridMode(-1, 0, 0), -2);
    EXPECT_EQ(XM_SetGridMode(h + 1, 0, 0), -3);
    EXPECT_EQ(XM_SetGridMode(h, 3, 0), -4);
    EXPECT_TRUE(sheet(h, 0).window.show_grid);
    EXPECT_EQ(book(h).current_sheet, 2);

    EXPECT_EQ(XL_SetGridMode(0), -3);
}

TEST_F(PageSettingsTest, PageModeNormalisesItsArguments) {
    int32_t h = create(true);
    const SetupRecord &setup = sheet(h, 0).page.setup;
    EXPECT_EQ(XM_SetPageMode(h, 0, psA3, 80, orLandscape, 10.0, 15.0), 0);
    EXPECT_EQ(setup.paper_size, 8);
    EXPECT_EQ(setup.scale, 80);
    EXPECT_EQ(sheet(h, 0).page.orientation, 0);
    EXPECT_DOUBLE_EQ(setup.header_margin, 10.0 / 25.4);
    EXPECT_DOUBLE_EQ(setup.footer_margin, 15.0 / 25.4);

    EXPECT_EQ(XM_SetPageMode(h, 0, 2, 5, 1, -1.0, std::nan("")), 0);
    EXPECT_EQ(setup.paper_size, 9) << "unknown paper";
    EXPECT_EQ(setup.scale, 100) << "scale below 10";
    EXPECT_EQ(sheet(h, 0).page.orientation, 2) << "any non-zero orientation is portrait";
    EXPECT_DOUBLE_EQ(setup.header_margin, 13.0 / 25.4);
    EXPECT_DOUBLE_EQ(setup.footer_margin, 13.0 / 25.4);
    EXPECT_EQ(XM_SetPageMode(h, 0, psB5, 401, 2, std::numeric_limits<double>::infinity(), 0.0), 0);
    EXPECT_EQ(setup.scale, 100);
    EXPECT_DOUBLE_EQ(setup.header_margin, 13.0 / 25.4) << "no infinite margin reaches the file";
    EXPECT_DOUBLE_EQ(setup.footer_margin, 0.0);
}

TEST_F(PageSettingsTest, PageModeResetsATemplatesMissingPrinterSettings) {
    int32_t h = create(true);
    SetupRecord &setup = sheet(h, 0).page.setup;
    setup.options = 0x0004;
    setup.first_page = 5;
    setup.copies = 3;
    setup.resolution = 600;
    setup.fit_width = 2;
    EXPECT_EQ(XM_SetPageMode(h, 0, psA5, 90, 2, 5.0, 5.0), 0);
    EXPECT_EQ(setup.first_page, 1);
    EXPECT_EQ(setup.copies, 1);
    EXPECT_EQ(setup.resolution, 0);
    EXPECT_EQ(setup.fit_width, 1);
    EXPECT_EQ(setup.options, 2);

    setup.first_page = 5;
    EXPECT_EQ(XM_SetPageMode(h, 0, psA5, 90, 2, 5.0, 5.0), 0);
    EXPECT_EQ(setup.first_page, 5) << "kept once the printer settings are the sheet's own";
}

TEST_F(PageSettingsTest, PageModeErrorsChangeNothing) {
    int32_t h = create(false);
    EXPECT_EQ(XM_SetPageMode(-1, 0, psA3, 50, 0, 1.0, 1.0), -2);
    EXPECT_EQ(XM_SetPageMode(h + 1, 0, psA3, 50, 0, 1.0, 1.0), -3);
    EXPECT_EQ(XM_SetPageMode(h, 2, psA3, 50, 0, 1.0, 1.0), -4);
    EXPECT_EQ(sheet(h, 0).page.setup.paper_size, 9);
    EXPECT_EQ(sheet(h, 1).page.orientation, 2);
    EXPECT_EQ(XL_SetPageMode(psA3, 50, 0, 1.0, 1.0), -3);
}

TEST_F(PageSettingsTest, MarginsTakeTheLow16BitsInMillimetres) {
    int32_t h = create(true);
    const auto &margins = sheet(h, 0).page.margins;
    EXPECT_EQ(set_margins(book(h), 0, 10, 0x10000 + 30, -1, 1000), 0);
    EXPECT_DOUBLE_EQ(margins[0], 10 / 25.4);
    EXPECT_DOUBLE_EQ(margins[1], 30 / 25.4);
    EXPECT_DOUBLE_EQ(margins[2], 25 / 25.4) << "negative is the default";
    EXPECT_DOUBLE_EQ(margins[3], 1000 / 25.4);
    EXPECT_EQ(set_margins(book(h), 0, 0xFFFF, 0, 0, 0), 0);
    EXPECT_DOUBLE_EQ(margins[0], 20 / 25.4) << "0xFFFF is -1";
    EXPECT_DOUBLE_EQ(margins[1], 0.0);

    EXPECT_EQ(set_margins(book(h), 0, 5, 5, 5, 1001), -34);
    EXPECT_DOUBLE_EQ(margins[0], 20 / 25.4) << "a refused call changes no margin";
    EXPECT_EQ(set_margins(book(h), 2, 5, 5, 5, 5), -4);
}

TEST_F(PageSettingsTest, HeaderSectionsAreComposedInLeftCentreRightOrder) {
    for (bool biff8 : {false, true}) {
        SCOPED_TRACE(biff8 ? "BIFF8" : "BIFF5");
        int32_t h = create(biff8);
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"", u"中央", u""), 0);
        EXPECT_EQ(header(h, 0), u"&C中央");
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"&P / &N", u"", u""), 0);
        EXPECT_EQ(header(h, 0), u"&L&P / &N&C中央");
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"", u"", u"右&&"), 0);
        EXPECT_EQ(header(h, 0), u"&L&P / &N&C中央&R右&&");
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"", u"新", u""), 0);
        EXPECT_EQ(header(h, 0), u"&L&P / &N&C新&R右&&");
        EXPECT_FALSE(sheet(h, 0).page.footer) << "the footer is its own text";

        EXPECT_EQ(set_page_text(book(h), 0, PageText::kFooter, u"", u"", u""), 0);
        EXPECT_FALSE(sheet(h, 0).page.footer) << "nothing to write leaves the footer unset";
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kFooter, u"a", u"b", u"c"), 0);
        EXPECT_EQ(page_text_of(book(h), *sheet(h, 1).page.footer), u"&La&Cb&Rc");
        EXPECT_EQ(set_page_text(book(h), 2, PageText::kFooter, u"a", u"", u""), -4);
        reset_process_state();
    }
}

TEST_F(PageSettingsTest, HeaderSectionsAreFoundByTheirCodesInAnyOrder) {
    int32_t h = create(true);
    // A template's text in another order, with text before its first code.
    std::vector<uint8_t> body;
    put_biff8_string(body, biff8_chars(std::u16string_view(u"x&Rright&Ccentre&Lleft")));
    sheet(h, 0).page.header = body;
    EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"", u"", u"R"), 0);
    EXPECT_EQ(header(h, 0), u"&Lleft&Ccentre&RR");
}

TEST_F(PageSettingsTest, HeaderLengthLimitsOfEachFormat) {
    const std::u16string ascii255(253, u'a');   // "&L" makes 255 8-bit characters
    const std::u16string kanji126(126, u'漢');  // with "&L" 254 bytes in code page 932
    {
        int32_t h = create(false);
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, ascii255, u"", u""), 0);
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, u"", u"", u"b"), -34)
            << "256 bytes in the Excel 95 record";
        EXPECT_EQ(header(h, 0), u"&L" + ascii255) << "a refused text keeps the present one";
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kHeader, kanji126, u"", u""), 0);
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kHeader, kanji126 + u"漢", u"", u""), -34);
        reset_process_state();
    }
    {
        int32_t h = create(true);
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, ascii255, u"", u""), 0);
        EXPECT_EQ(set_page_text(book(h), 0, PageText::kHeader, ascii255 + u"a", u"", u""), -34)
            << "256 8-bit characters";
        const std::u16string wide(253, u'漢');
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kHeader, wide, u"", u""), 0)
            << "255 characters, 510 bytes as UTF-16";
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kHeader, wide, u"", u"漢"), -34);
        const std::u16string long_text(300, u'漢');
        EXPECT_EQ(set_page_text(book(h), 1, PageText::kHeader, long_text, long_text, u""), -34)
            << "511 characters or more";
        EXPECT_EQ(header(h, 1), u"&L" + wide);
    }
}

TEST_F(PageSettingsTest, PageBreaksStaySortedAndUnique) {
    int32_t h = create(true);
    const PageSettings &page = sheet(h, 0).page;
    EXPECT_EQ(set_page_break(book(h), 0, 2, 4, true), 0);  // C5
    EXPECT_EQ(set_page_break(book(h), 0, 0, 65535, true), 0);
    EXPECT_EQ(set_page_break(book(h), 0, 2, 1, true), 0);
    EXPECT_EQ(set_page_break(book(h), 0, 255, 4, true), 0);
    EXPECT_EQ(page.row_breaks, (std::vector<uint16_t>{1, 4, 65535}));
    EXPECT_EQ(page.column_breaks, (std::vector<uint16_t>{0, 2, 255}));
    EXPECT_EQ(set_page_break(book(h), 0, 2, 4, false), 0);
    EXPECT_EQ(set_page_break(book(h), 0, 7, 7, false), 0) << "removing a missing break";
    EXPECT_EQ(page.row_breaks, (std::vector<uint16_t>{1, 65535}));
    EXPECT_EQ(page.column_breaks, (std::vector<uint16_t>{0, 255}));

    EXPECT_EQ(set_page_break(book(h), 0, 256, 0, true), -32);
    EXPECT_EQ(set_page_break(book(h), 0, 0, -1, true), -32);
    EXPECT_EQ(set_page_break(book(h), 2, 0, 0, true), -4);
    int32_t h5 = create(false);
    EXPECT_EQ(set_page_break(book(h5), 0, 0, 16384, true), -32) << "Excel 95 rows end at 16383";
}

TEST_F(PageSettingsTest, FullBreakListsRefuseBeforeAddingAnything) {
    int32_t h = create(true);
    const PageSettings &page = sheet(h, 0).page;
    for (int32_t row = 0; row < 1026; ++row) {
        ASSERT_EQ(set_page_break(book(h), 0, row % 200, row, true), 0);
    }
    EXPECT_EQ(set_page_break(book(h), 0, 210, 2000, true), -34);
    EXPECT_EQ(page.row_breaks.size(), 1026u);
    EXPECT_EQ(page.column_breaks.size(), 200u) << "the column was not added either";

    EXPECT_EQ(set_page_break(book(h), 1, 0, 0, true), 0);
    for (int32_t column = 1; column < 256; ++column) {
        ASSERT_EQ(set_page_break(book(h), 1, column, 0, true), 0);
    }
    EXPECT_EQ(set_page_break(book(h), 1, 0, 9, true), -34);
    EXPECT_EQ(sheet(h, 1).page.row_breaks, (std::vector<uint16_t>{0}));
    EXPECT_EQ(set_page_break(book(h), 1, 5, 0, false), 0);
    EXPECT_EQ(set_page_break(book(h), 1, 5, 9, true), 0) << "room again after a removal";
}

TEST_F(PageSettingsTest, PrintSwitches) {
    int32_t h = create(false);
    EXPECT_EQ(set_print_headings(book(h), 1, true), 0);
    EXPECT_EQ(set_print_gridlines(book(h), 1, true), 0);
    EXPECT_EQ(set_centring(book(h), 1, true, false), 0);
    EXPECT_EQ(set_fit_to_page(book(h), 1, true), 0);
    const PageSettings &page = sheet(h, 1).page;
    EXPECT_EQ(page.print_headers, 1);
    EXPECT_EQ(page.print_gridlines, 1);
    EXPECT_EQ(page.hcenter, 1);
    EXPECT_EQ(page.vcenter, 0);
    EXPECT_TRUE(page.fit_to_page);
    EXPECT_EQ(set_centring(book(h), 1, false, true), 0);
    EXPECT_EQ(page.hcenter, 0);
    EXPECT_EQ(page.vcenter, 1);
    EXPECT_EQ(set_print_headings(book(h), 2, true), -4);
    EXPECT_EQ(set_print_gridlines(book(h), -1, true), -4);
    EXPECT_EQ(set_centring(book(h), 2, true, true), -4);
    EXPECT_EQ(set_fit_to_page(book(h), 2, true), -4);
    EXPECT_EQ(sheet(h, 0).page.print_headers, 0);
}

}  // namespace
}  // namespace tabrix::engine::test
