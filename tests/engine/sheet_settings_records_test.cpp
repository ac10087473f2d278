// Sheet settings that other calls fill in become records in their places.
#include <gtest/gtest.h>

#include "engine/biff/le_bytes.h"
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

}  // namespace
}  // namespace tabrix::engine::test
