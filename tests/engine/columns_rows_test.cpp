// Column widths and row heights: snapping, the file unit, the column list's splits, the
// errors, and the records a closed workbook holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "engine/layout/columns.h"
#include "engine/layout/rows.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;
// (first, last, width, xf, options)
using Col = std::tuple<uint16_t, uint16_t, uint16_t, uint16_t, uint16_t>;

std::vector<Col> columns_of(const Sheet &sheet) {
    std::vector<Col> out;
    for (const ColumnInfo &c : sheet.rows_columns.columns) {
        out.emplace_back(c.first, c.last, c.width, c.xf, c.options);
    }
    return out;
}

uint16_t units(int characters) {
    return static_cast<uint16_t>(256 * characters + 159);  // 11-point default font
}

class ColumnsRowsTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    int32_t create(bool biff8, const std::string &name = "layout.xls") {
        path_ = folder_.file(name);
        int32_t h = biff8 ? XM_Create97(path_.c_str(), 2) : XM_Create(path_.c_str(), 2);
        EXPECT_GE(h, 0);
        return h;
    }
    Sheet &sheet(int32_t h, int s = 0) { return *workbook_at(h)->sheets[s]; }
    TempFolder folder_;
    std::string path_;
};

TEST(ColumnWidthSnapTest, FractionsSnapToShownWidths) {
    const std::pair<int64_t, int64_t> cases[] = {
        {800, 800},     {806, 800},     {807, 813},  {818, 813}, {819, 825}, {844, 850},
        {893, 888},     {894, 900},     {999, 1000}, {100, 100}, {0, 0},     {3, 0},
        {4, 8},         {11, 8},        {12, 15},    {50, 54},   {96, 92},   {97, 100},
        {25500, 25500}, {25599, 25600}, {-100, -100}};
    for (auto [given, snapped] : cases) EXPECT_EQ(snap_column_width(given), snapped) << given;
}

TEST(ColumnWidthSnapTest, WidthsBecomeFileUnitsByTheDefaultFontSize) {
    EXPECT_EQ(column_width_units(800, 11.0), 2207);
    EXPECT_EQ(column_width_units(1000, 11.0), 256 * 10 + 159);
    EXPECT_EQ(column_width_units(800, 10.0), 2230);  // d = 7, p = 2
    EXPECT_EQ(column_width_units(25500, 7.5), 65535);
    // At 5 points or less the formula has no value; such sizes convert as sizes just above 5.
    const uint16_t above_five = column_width_units(800, 5.5);
    for (double small : {5.0, 3.0, 1.0, 0.4, 0.0, -2.0, std::nan("")}) {
        EXPECT_EQ(column_width_units(800, small), above_five) << small;
    }
    EXPECT_EQ(above_five, 2048 + 255 - 64);
    EXPECT_GT(column_width_units(8, 1.0), 0);
    EXPECT_LT(column_width_units(25500, 409.0), 65535);
}

TEST(RowHeightSnapTest, HeightsSnapToQuarterPointsByThePointsModThree) {
    const std::pair<double, double> cases[] = {
        {13.2, 13.25},  {12.9, 13.0},   {14.9, 14.75},  {12.5, 12.5},   {13.5, 13.5},
        {12.07, 12.0},  {12.08, 12.25}, {13.02, 13.0},  {13.03, 13.25}, {14.17, 14.0},
        {14.18, 14.25}, {14.93, 15.0},  {409.5, 409.5}, {409.0, 409.0}, {0.0, 0.0},
        {-0.5, -0.5},   {-1.0, -1.0},   {-4.3, -4.3}};
    for (auto [given, snapped] : cases) EXPECT_DOUBLE_EQ(snap_row_height(given), snapped) << given;
    EXPECT_TRUE(std::isnan(snap_row_height(std::nan(""))));
}

TEST_F(ColumnsRowsTest, ColumnRangesSplitAndNeverOverlap) {
    int32_t h = create(true);
    Sheet &s = sheet(h);
    // C:E width 10, then D width 12: three records with the old XF.
    s.rows_columns.columns.push_back({2, 4, 0, 21, 0});
    ASSERT_EQ(XM_SetColWidth(h, 0, 4, 2, 10), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 3, 3, 12), 0);
    EXPECT_EQ(columns_of(s),
              (std::vector<Col>{
                  {2, 2, units(10), 21, 0}, {3, 3, units(12), 21, 0}, {4, 4, units(10), 21, 0}}));
    // Same range again: changed in place. Left and right edges of a covering record.
    ASSERT_EQ(XM_SetColWidth(h, 0, 3, 3, 5), 0);
    s.rows_columns.columns = {{10, 14, units(8), 22, 0}};
    ASSERT_EQ(XM_SetColWidth(h, 0, 10, 11, 3), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 14, 14, 4), 0);
    EXPECT_EQ(columns_of(s), (std::vector<Col>{{10, 11, units(3), 22, 0},
                                               {12, 13, units(8), 22, 0},
                                               {14, 14, units(4), 22, 0}}));
    // A range that wholly contains records and overlaps another at its end: one record per
    // column run, the later width everywhere, each record's XF kept, the gaps taking the XF
    // of the record that held the first column.
    ASSERT_EQ(XM_SetColWidth(h, 0, 9, 13, 20), 0);
    EXPECT_EQ(columns_of(s), (std::vector<Col>{{9, 9, units(20), 15, 0},
                                               {10, 11, units(20), 22, 0},
                                               {12, 13, units(20), 22, 0},
                                               {14, 14, units(4), 22, 0}}));
    s.rows_columns.columns = {{20, 20, units(8), 23, 0}, {22, 22, units(8), 24, 0}};
    ASSERT_EQ(XM_SetColWidth(h, 0, 20, 24, 6), 0);
    EXPECT_EQ(columns_of(s), (std::vector<Col>{{20, 20, units(6), 23, 0},
                                               {21, 21, units(6), 23, 0},
                                               {22, 22, units(6), 24, 0},
                                               {23, 24, units(6), 23, 0}}));
}

TEST_F(ColumnsRowsTest, WidthZeroHidesAndKeepsTheWidth) {
    int32_t h = create(false);
    Sheet &s = sheet(h);
    ASSERT_EQ(XM_SetColWidth(h, 0, 1, 3, 0), 0);
    EXPECT_EQ(columns_of(s), (std::vector<Col>{{1, 3, units(8), 15, 1}}));
    ASSERT_EQ(XM_SetColWidth(h, 0, 2, 2, 30), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 5, 5, 30), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 5, 5, 0), 0);
    EXPECT_EQ(columns_of(s), (std::vector<Col>{{1, 1, units(8), 15, 1},
                                               {2, 2, units(30), 15, 0},
                                               {3, 3, units(8), 15, 1},
                                               {5, 5, units(30), 15, 1}}));
    ASSERT_EQ(XM_SetColWidth(h, 0, 255, 255, 255), 0);
    EXPECT_EQ(std::get<2>(columns_of(s).back()), 256 * 255 + 159);
}

TEST_F(ColumnsRowsTest, GcwBitsFollowWidthsWhenTheSheetHasTheRecord) {
    int32_t h = create(true);
    auto &gcw = sheet(h).rows_columns.gcw;
    ASSERT_EQ(XM_SetColWidth(h, 0, 0, 9, 4), 0);
    EXPECT_EQ(gcw, (std::array<uint8_t, 34>{})) << "no GCW record: nothing set";
    gcw[0] = 32;
    ASSERT_EQ(XM_SetColWidth(h, 0, 6, 9, 4), 0);
    EXPECT_EQ(gcw[2], 0xC0);
    EXPECT_EQ(gcw[3], 0x03);
    ASSERT_EQ(XM_SetColWidth(h, 0, 7, 8, 0), 0);
    EXPECT_EQ(gcw[2], 0x40);
    EXPECT_EQ(gcw[3], 0x02);
}

TEST_F(ColumnsRowsTest, ErrorsAndAFailedCallChangesNothing) {
    int32_t h = create(true);
    Sheet &s = sheet(h);
    ASSERT_EQ(XM_SetColWidth(h, 0, 1, 2, 9), 0);
    ASSERT_EQ(XM_SetRowHeight(h, 0, 4, 20.0), 0);
    const auto columns = columns_of(s);
    const auto gcw = s.rows_columns.gcw;

    EXPECT_EQ(XM_SetColWidth(-1, 0, 0, 0, 5), -2);
    EXPECT_EQ(XM_SetColWidth(h + 1, 0, 0, 0, 5), -3);
    EXPECT_EQ(XM_SetColWidth(h, 2, 0, 0, 5), -4);
    EXPECT_EQ(XM_SetColWidth(h, -1, 300, 0, 5), -4) << "sheet before columns";
    EXPECT_EQ(XM_SetColWidth(h, 0, 0, 256, 5), -32);
    EXPECT_EQ(XM_SetColWidth(h, 0, -1, 2, 5), -32);
    EXPECT_EQ(XM_SetColWidth(h, 0, 1, 2, 256), -34);
    EXPECT_EQ(XM_SetColWidth(h, 0, 1, 2, -1), -34);
    EXPECT_EQ(XM_SetColWidth(h, 0, 1, 2, 2000000000), -34);

    EXPECT_EQ(XM_SetRowHeight(-5, 0, 0, 10.0), -2);
    EXPECT_EQ(XM_SetRowHeight(h + 1, 0, 0, 10.0), -3);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 65536, 10.0), -32);
    EXPECT_EQ(XM_SetRowHeight(h, 9, -1, 10.0), -32) << "row before sheet";
    EXPECT_EQ(XM_SetRowHeight(h, 2, 4, 10.0), -4);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, 409.5), -34);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, -1.0), -34);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, 1e300), -34);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, std::numeric_limits<double>::infinity()), -34);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, std::nan("")), -34);

    workbook_at(h)->read_only = true;
    EXPECT_EQ(XM_SetColWidth(h, 0, 1, 2, 5), -6);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 4, 10.0), -6);
    workbook_at(h)->read_only = false;

    EXPECT_EQ(columns_of(s), columns);
    EXPECT_EQ(s.rows_columns.gcw, gcw);
    ASSERT_EQ(s.rows_columns.row_settings.size(), 1u);
    EXPECT_EQ(s.rows_columns.row_settings.at(4).height, 400);

    int32_t h5 = XM_Create(folder_.file("rows5.xls").c_str(), 1);
    EXPECT_EQ(XM_SetRowHeight(h5, 0, 16384, 10.0), -32);
    EXPECT_EQ(XM_SetRowHeight(h5, 0, 16383, 10.0), 0);
}

TEST_F(ColumnsRowsTest, OlderLayerActsOnItsCurrentSheet) {
    EXPECT_EQ(XL_SetColWidth(0, 0, 5), -3);
    EXPECT_EQ(XL_SetRowHeight(0, 5.0), -3);
    ASSERT_EQ(XL_Create97(folder_.file("xl.xls").c_str(), 2), 0);
    ASSERT_EQ(XL_SelSheetNo(1), 0);
    EXPECT_EQ(XL_SetColWidth(3, 1, 5), 0);
    EXPECT_EQ(XL_SetRowHeight(7, 0.0), 0);
    EXPECT_EQ(XL_SetColWidth(1, 256, 5), -32);
    EXPECT_EQ(columns_of(sheet(0, 1)), (std::vector<Col>{{1, 3, units(5), 15, 0}}));
    EXPECT_EQ(sheet(0, 1).rows_columns.row_settings.at(7).options, 0x0120);
    EXPECT_TRUE(sheet(0, 0).rows_columns.columns.empty());
}

// The records as they reach the file, both formats.
TEST_F(ColumnsRowsTest, ClosedWorkbookHoldsTheColumnAndRowRecords) {
    for (bool biff8 : {false, true}) {
        SCOPED_TRACE(biff8);
        int32_t h = create(biff8, biff8 ? "records8.xls" : "records5.xls");
        ASSERT_EQ(XM_SetColWidth(h, 0, 0, 0, 8), 0);
        ASSERT_EQ(XM_SetColWidth(h, 0, 1, 3, 0), 0);
        ASSERT_EQ(XM_WriteInt(h, 0, 0, 2, 1), 0);
        ASSERT_EQ(XM_SetRowHeight(h, 0, 2, 13.2), 0);
        ASSERT_EQ(XM_SetRowHeight(h, 0, 5, 0.0), 0);
        ASSERT_EQ(XM_SetRowHeight(h, 0, 6, 12.9), 0);
        auto sheet = split_sections(close_and_read(h, path_, biff8))[1];
        EXPECT_EQ(first_of(sheet, 0x0055)->data, (Bytes{8, 0}));
        EXPECT_EQ(first_of(sheet, 0x0225)->data, (Bytes{0, 0, 0x0E, 0x01}));
        auto colinfo = all_of(sheet, 0x007D);
        ASSERT_EQ(colinfo.size(), 2u);
        EXPECT_EQ(colinfo[0]->data, (Bytes{0, 0, 0, 0, 0x9F, 0x08, 15, 0, 0, 0, 0, 0}));
        EXPECT_EQ(colinfo[1]->data, (Bytes{1, 0, 3, 0, 0x9F, 0x08, 15, 0, 1, 0, 0, 0}));
        auto rows = all_of(sheet, 0x0208);
        ASSERT_EQ(rows.size(), 3u);
        // The row with a cell keeps its cell span; the others have none.
        EXPECT_EQ(rows[0]->data,
                  (Bytes{2, 0, 0, 0, 1, 0, 0x09, 0x01, 0, 0, 0, 0, 0x40, 0x01, 0, 0}));
        EXPECT_EQ(rows[1]->data, (Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x01, 0, 0}));
        EXPECT_EQ(rows[2]->data,
                  (Bytes{6, 0, 0, 0, 0, 0, 0x04, 0x01, 0, 0, 0, 0, 0x40, 0x01, 0, 0}));
    }
}

TEST_F(ColumnsRowsTest, HeightKeepsARowFormat) {
    int32_t h = create(true);
    Sheet &s = sheet(h);
    s.rows_columns.row_settings[3] = {270, 0x0180, 22};
    ASSERT_EQ(XM_SetRowHeight(h, 0, 3, 20.0), 0);
    const RowSetting &row = s.rows_columns.row_settings.at(3);
    EXPECT_EQ(std::make_tuple(row.height, row.options, row.xf),
              std::make_tuple(uint16_t{400}, uint16_t{0x01C0}, uint16_t{22}));
}

}  // namespace
}  // namespace tabrix::engine::test
