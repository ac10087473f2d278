// Sheet settings that other calls fill in become records in their places.
#include <gtest/gtest.h>

#include "engine/biff/le_bytes.h"
#include "engine/layout/page_setup.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes f64_bytes(double value) {
    Bytes out;
    put_f64(out, value);
    return out;
}

void fill_settings(Sheet &sheet) {
    sheet.page.margins[0] = 10.0 / 25.4;
    sheet.page.margins[3] = 30.0 / 25.4;
    sheet.page.header = Bytes{3, 0, 0, '&', 'C', 'x'};
    sheet.page.row_breaks = {4, 9};
    sheet.page.column_breaks = {2};
    sheet.rows_columns.columns.push_back({1, 3, 2207, 21, 1});
    sheet.carried.settings.append_u16(0x9999, 7);
    sheet.page.fit_to_page = true;
    sheet.page.orientation = 0;
    sheet.page.setup.scale = 80;
    sheet.window.show_grid = false;
    sheet.window.zoom_numerator = 3;
    sheet.window.zoom_denominator = 4;
    sheet.rows_columns.standard_width = 2000;
    sheet.rows_columns.gcw[0] = 32;
    sheet.rows_columns.gcw[2] = 0x0E;
    sheet.window.pane = Bytes{1, 0, 2, 0, 0, 0, 0, 0, 3, 0};
    sheet.window.selection = Bytes{3, 0, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1};
    sheet.carried.trailer.append_u16(0x8888, 1);
    sheet.carried.objects.append_u16(0x005D, 0);
}

TEST(SheetSettingsRecordsTest, Biff8SettingsInTheirPlaces) {
    TempFolder folder;
    std::string path = folder.file("settings.xls");
    int32_t h = XM_Create97(path.c_str(), 1);
    fill_settings(*workbook_at(h)->sheets[0]);
    auto sections = split_sections(close_and_read(h, path, true));
    ASSERT_EQ(sections.size(), 2u);
    const auto &sheet = sections[1];
    EXPECT_EQ(numbers_of(sheet),
              (std::vector<uint16_t>{0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F,
                                     0x002A, 0x002B, 0x0082, 0x0080, 0x0225, 0x0081, 0x001B, 0x001A,
                                     0x0014, 0x0083, 0x0084, 0x0026, 0x0029, 0x00A1, 0x0055, 0x007D,
                                     0x9999, 0x0200, 0x005D, 0x023E, 0x0041, 0x001D, 0x00EF, 0x8888,
                                     0x00AB, 0x0099, 0x00A0, 0x000A}));
    EXPECT_EQ(first_of(sheet, 0x0081)->data, (Bytes{0xC1, 0x05}));
    EXPECT_EQ(first_of(sheet, 0x001B)->data, (Bytes{2, 0, 4, 0, 0, 0, 255, 0, 9, 0, 0, 0, 255, 0}));
    EXPECT_EQ(first_of(sheet, 0x001A)->data, (Bytes{1, 0, 2, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(first_of(sheet, 0x0026)->data, f64_bytes(10.0 / 25.4));
    EXPECT_EQ(first_of(sheet, 0x0029)->data, f64_bytes(30.0 / 25.4));
    const StreamRecord *setup = first_of(sheet, 0x00A1);
    EXPECT_EQ(setup->u16(2), 80);
    EXPECT_EQ(setup->u16(10), 0) << "landscape";
    EXPECT_EQ(first_of(sheet, 0x007D)->data, (Bytes{1, 0, 3, 0, 0x9F, 0x08, 21, 0, 1, 0, 0, 0}));
    EXPECT_EQ(first_of(sheet, 0x023E)->u16(0), 0x06B4) << "grid lines off";
    EXPECT_EQ(first_of(sheet, 0x001D)->data.size(), 16u);
    EXPECT_EQ(first_of(sheet, 0x00AB)->data.size(), 34u);
    EXPECT_EQ(first_of(sheet, 0x0099)->data, (Bytes{0xD0, 0x07}));
    EXPECT_EQ(first_of(sheet, 0x00A0)->data, (Bytes{3, 0, 4, 0}));
}

TEST(SheetSettingsRecordsTest, Biff5BreaksAreRowsOnly) {
    TempFolder folder;
    std::string path = folder.file("settings5.xls");
    int32_t h = XM_Create(path.c_str(), 1);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    sheet.page.row_breaks = {4, 9};
    for (uint16_t c = 0; c < 300; ++c) sheet.page.column_breaks.push_back(c);
    auto records = split_sections(close_and_read(h, path, false))[1];
    EXPECT_EQ(first_of(records, 0x001B)->data, (Bytes{2, 0, 4, 0, 9, 0}));
    const StreamRecord *vertical = first_of(records, 0x001A);
    EXPECT_EQ(vertical->u16(0), 256) << "at most 256 column breaks";
    EXPECT_EQ(vertical->data.size(), 2u + 2 * 256);
    EXPECT_EQ(first_of(records, 0x00EF), nullptr);
}

// The optional records of a new sheet are absent; SETUP holds the new-sheet values.
TEST(SheetSettingsRecordsTest, NewSheetCarriesOnlyTheFixedSettings) {
    for (bool biff8 : {false, true}) {
        TempFolder folder;
        std::string path = folder.file("new.xls");
        int32_t h = biff8 ? XM_Create97(path.c_str(), 1) : XM_Create(path.c_str(), 1);
        auto sheet = split_sections(close_and_read(h, path, biff8))[1];
        Bytes setup{9, 0, 100, 0, 1, 0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0};
        for (double margin : {0.5, 0.5}) {
            Bytes bytes = f64_bytes(margin);
            setup.insert(setup.end(), bytes.begin(), bytes.end());
        }
        setup.insert(setup.end(), {1, 0});
        EXPECT_EQ(first_of(sheet, 0x00A1)->data, setup) << biff8;
        for (uint16_t absent :
             {0x001B, 0x001A, 0x0014, 0x0015, 0x0026, 0x0027, 0x0028, 0x0029, 0x00A0, 0x0041}) {
            EXPECT_EQ(first_of(sheet, absent), nullptr) << std::hex << absent;
        }
        EXPECT_EQ(first_of(sheet, 0x0081)->data, (Bytes{0xC1, 0x04}));
        EXPECT_EQ(first_of(sheet, 0x023E)->u16(0), 0x06B6) << "grid lines shown";
    }
}

TEST(SheetSettingsRecordsTest, PageModeBecomesTheSetupRecord) {
    TempFolder folder;
    std::string path = folder.file("setup.xls");
    int32_t h = XM_Create97(path.c_str(), 2);
    ASSERT_EQ(XM_SetPageMode(h, 0, psA3, 80, orLandscape, 10.0, 15.0), 0);
    ASSERT_EQ(XM_SetPageMode(h, 1, psB5, 120, 1, 5.0, 5.0), 0);
    auto sections = split_sections(close_and_read(h, path, true));
    Bytes landscape{8, 0, 80, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    for (double mm : {10.0, 15.0}) {
        Bytes bytes = f64_bytes(mm / 25.4);
        landscape.insert(landscape.end(), bytes.begin(), bytes.end());
    }
    landscape.insert(landscape.end(), {1, 0});
    EXPECT_EQ(first_of(sections[1], 0x00A1)->data, landscape);
    const StreamRecord *portrait = first_of(sections[2], 0x00A1);
    EXPECT_EQ(portrait->u16(0), 13);
    EXPECT_EQ(portrait->u16(2), 120);
    EXPECT_EQ(portrait->u16(10), 0x0002) << "portrait bit alone, no printer-settings bit";
}

TEST(SheetSettingsRecordsTest, TextsMarginsZoomAndBreaksInBothFormats) {
    for (bool biff8 : {false, true}) {
        SCOPED_TRACE(biff8 ? "BIFF8" : "BIFF5");
        TempFolder folder;
        std::string path = folder.file("texts.xls");
        int32_t h = biff8 ? XM_Create97(path.c_str(), 1) : XM_Create(path.c_str(), 1);
        Workbook &book = *workbook_at(h);
        ASSERT_EQ(set_page_text(book, 0, PageText::kHeader, u"", u"見積", u"&P"), 0);
        ASSERT_EQ(set_page_text(book, 0, PageText::kFooter, u"ab", u"", u""), 0);
        ASSERT_EQ(set_margins(book, 0, 20, 15, 25, 30), 0);
        ASSERT_EQ(set_page_break(book, 0, 2, 4, true), 0);
        ASSERT_EQ(set_page_break(book, 0, 1, 9, true), 0);
        ASSERT_EQ(XM_SetZoom(h, 0, 75), 0);
        auto sheet = split_sections(close_and_read(h, path, biff8))[1];
        if (biff8) {
            EXPECT_EQ(first_of(sheet, 0x0014)->data,
                      (Bytes{8, 0, 1, '&', 0, 'C', 0, 0x8B, 0x89, 0x4D, 0x7A, '&', 0, 'R', 0, '&',
                             0, 'P', 0}));
            EXPECT_EQ(first_of(sheet, 0x0015)->data, (Bytes{4, 0, 0, '&', 'L', 'a', 'b'}));
            EXPECT_EQ(first_of(sheet, 0x001B)->data,
                      (Bytes{2, 0, 4, 0, 0, 0, 255, 0, 9, 0, 0, 0, 255, 0}));
            EXPECT_EQ(first_of(sheet, 0x001A)->data,
                      (Bytes{2, 0, 1, 0, 0, 0, 0xFF, 0xFF, 2, 0, 0, 0, 0xFF, 0xFF}));
        } else {
            EXPECT_EQ(first_of(sheet, 0x0014)->data,
                      (Bytes{10, '&', 'C', 0x8C, 0xA9, 0x90, 0xCF, '&', 'R', '&', 'P'}));
            EXPECT_EQ(first_of(sheet, 0x0015)->data, (Bytes{4, '&', 'L', 'a', 'b'}));
            EXPECT_EQ(first_of(sheet, 0x001B)->data, (Bytes{2, 0, 4, 0, 9, 0}));
            EXPECT_EQ(first_of(sheet, 0x001A)->data, (Bytes{2, 0, 1, 0, 2, 0}));
        }
        EXPECT_EQ(first_of(sheet, 0x0026), nullptr) << "left margin at its default";
        EXPECT_EQ(first_of(sheet, 0x0027)->data, f64_bytes(15 / 25.4));
        EXPECT_EQ(first_of(sheet, 0x0028), nullptr) << "top margin at its default";
        EXPECT_EQ(first_of(sheet, 0x0029)->data, f64_bytes(30 / 25.4));
        EXPECT_EQ(first_of(sheet, 0x00A0)->data, (Bytes{3, 0, 4, 0}));
    }
}

// Every setting a caller can change, set through the calls, in a sheet of each format.
TEST(SheetSettingsRecordsTest, RecordOrderOfASheetWithEverySetting) {
    for (bool biff8 : {false, true}) {
        SCOPED_TRACE(biff8 ? "BIFF8" : "BIFF5");
        TempFolder folder;
        std::string path = folder.file("order.xls");
        int32_t h = biff8 ? XM_Create97(path.c_str(), 1) : XM_Create(path.c_str(), 1);
        Workbook &book = *workbook_at(h);
        ASSERT_EQ(XM_SetGridMode(h, 0, 0), 0);
        ASSERT_EQ(XM_SetZoom(h, 0, 150), 0);
        ASSERT_EQ(XM_SetPageMode(h, 0, psLetter, 90, orPortrait, 8.0, 8.0), 0);
        ASSERT_EQ(set_margins(book, 0, 11, 12, 13, 14), 0);
        ASSERT_EQ(set_page_text(book, 0, PageText::kHeader, u"h", u"", u""), 0);
        ASSERT_EQ(set_page_text(book, 0, PageText::kFooter, u"", u"f", u""), 0);
        ASSERT_EQ(set_page_break(book, 0, 3, 3, true), 0);
        ASSERT_EQ(set_print_headings(book, 0, true), 0);
        ASSERT_EQ(set_print_gridlines(book, 0, true), 0);
        ASSERT_EQ(set_centring(book, 0, true, true), 0);
        ASSERT_EQ(set_fit_to_page(book, 0, true), 0);
        auto sheet = split_sections(close_and_read(h, path, biff8))[1];
        std::vector<uint16_t> expected{
            0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A, 0x002B, 0x0082,
            0x0080, 0x0225, 0x0081, 0x001B, 0x001A, 0x0014, 0x0015, 0x0083, 0x0084, 0x0026, 0x0027,
            0x0028, 0x0029, 0x00A1, 0x0055, 0x0200, 0x023E, 0x001D, 0x00A0, 0x000A};
        if (!biff8) {
            expected.insert(expected.begin() + 13, 0x008C);  // COUNTRY before WSBOOL
        } else {
            expected.insert(expected.end() - 2, 0x00EF);  // phonetic settings before SCL
        }
        EXPECT_EQ(numbers_of(sheet), expected);
        EXPECT_EQ(first_of(sheet, 0x002A)->data, (Bytes{1, 0}));
        EXPECT_EQ(first_of(sheet, 0x002B)->data, (Bytes{1, 0}));
        EXPECT_EQ(first_of(sheet, 0x0083)->data, (Bytes{1, 0}));
        EXPECT_EQ(first_of(sheet, 0x0084)->data, (Bytes{1, 0}));
        EXPECT_EQ(first_of(sheet, 0x0081)->data, (Bytes{0xC1, 0x05})) << "fit to page";
        EXPECT_EQ(first_of(sheet, 0x023E)->u16(0), 0x06B4) << "grid lines off";
        EXPECT_EQ(first_of(sheet, 0x00A0)->data, (Bytes{3, 0, 2, 0}));
    }
}

}  // namespace
}  // namespace tabrix::engine::test
