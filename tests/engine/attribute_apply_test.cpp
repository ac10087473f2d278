// Applying attributes to cells: the merge rule, replacing, ranges with their blank records,
// merged ranges, border lines, keyword cells, inheritance and de-duplication.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/exports/boundary.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "engine/styles/attribute_merge.h"
#include "engine/styles/attribute_registry.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

class AttributeApplyTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    int32_t create(bool biff8 = true) {
        path_ = folder_.file("apply" + std::to_string(files_++) + ".xls");
        biff8_ = biff8;
        int32_t h = biff8 ? XM_Create97(path_.c_str(), 2) : XM_Create(path_.c_str(), 2);
        EXPECT_GE(h, 0);
        return h;
    }
    static XLATTR request() {
        XLATTR a;
        XM_InitAttr(&a);
        return a;
    }
    // The attribute number stored for a cell, or -1 without a record.
    static int32_t xf_of(int32_t h, int32_t x, int32_t y, int32_t sheet = 0) {
        CellView cell;
        if (!workbook_at(h)->sheets[sheet]->cells.find(static_cast<uint16_t>(y),
                                                       static_cast<uint8_t>(x), &cell)) {
            return -1;
        }
        return cell.xf_at(static_cast<uint8_t>(x));
    }
    static XLATTR attr_of(int32_t h, int32_t x, int32_t y) {
        return public_attribute(attribute_record(*workbook_at(h), xf_of(h, x, y)));
    }
    static size_t attribute_count(int32_t h) {
        return workbook_at(h)->attributes.attributes.size();
    }
    // (record number, first column, last column) of the records of a row.
    static std::vector<std::tuple<uint16_t, int, int>> row_records(int32_t h, uint16_t row) {
        std::vector<std::tuple<uint16_t, int, int>> found;
        workbook_at(h)->sheets[0]->cells.for_each([&](const CellView &cell) {
            if (cell.row == row)
                found.emplace_back(cell.number, cell.first_column, cell.last_column);
            return true;
        });
        return found;
    }
    TempFolder folder_;
    std::string path_;
    bool biff8_ = true;
    int files_ = 0;
};

TEST_F(AttributeApplyTest, AFontColourKeepsTheCellsBorder) {
    int32_t h = create();
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 1, "text"), 0);
    XLATTR border = request();
    border.LineTop = 2;
    border.ColorTop = xcBlue;
    ASSERT_EQ(XM_SetAttr2(h, 0, 1, 1, &border), 0);
    XLATTR font = request();
    font.Font = static_cast<int16_t>(XM_FontNo(h, nullptr, -1.0, xcRed, 0, 0));
    ASSERT_EQ(XM_SetAttr2(h, 0, 1, 1, &font), 0);
    XLATTR a = attr_of(h, 1, 1);
    EXPECT_EQ(a.Font, 6);
    EXPECT_EQ(a.LineTop, 2);
    EXPECT_EQ(a.ColorTop, xcBlue);
    EXPECT_EQ(std::get<0>(row_records(h, 1).at(0)), 0x00FD) << "the text stays";
}

TEST_F(AttributeApplyTest, BackColourZeroRemovesTheFillAnd255RemovesALine) {
    int32_t h = create();
    XLATTR look = request();
    look.BackColor = xcYellow;
    look.LineTop = 1;
    look.LineLeft = 5;
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &look), 0);
    XLATTR before = attr_of(h, 0, 0);
    EXPECT_EQ(before.Pattern, 1);
    EXPECT_EQ(before.BackColor, xcYellow);
    XLATTR removal = request();
    removal.BackColor = 0;
    removal.LineTop = 255;
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &removal), 0);
    XLATTR after = attr_of(h, 0, 0);
    EXPECT_EQ(after.Pattern, 0);
    EXPECT_EQ(after.BackColor, 65);
    EXPECT_EQ(after.PatternColor, 64);
    EXPECT_EQ(after.LineTop, 0);
    EXPECT_EQ(after.ColorTop, 0);
    EXPECT_EQ(after.LineLeft, 5) << "other lines stay";
}

TEST_F(AttributeApplyTest, ReplacingDropsWhatTheCellHad) {
    int32_t h = create();
    XLATTR border = request();
    border.LineBottom = 1;
    XLATTR wrap = request();
    wrap.OverReturn = 1;
    int32_t wrap_no = XM_GetAttrNo2(h, &wrap);
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &border), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 1, 0, &border), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 2, 0, &border), 0);

    ASSERT_EQ(XM_SetAttr(h, 0, 0, 0, wrap_no), 0);  // merges
    EXPECT_EQ(attr_of(h, 0, 0).LineBottom, 1);
    EXPECT_EQ(attr_of(h, 0, 0).OverReturn, 1);
    ASSERT_EQ(XM_SetAttr(h, 0, 1, 0, -wrap_no), 0);  // replaces
    EXPECT_EQ(attr_of(h, 1, 0).LineBottom, 0);
    EXPECT_EQ(attr_of(h, 1, 0).OverReturn, 1);
    ASSERT_EQ(XL_SetAttrMode(1), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 2, 0, &wrap), 0);
    EXPECT_EQ(xf_of(h, 2, 0), xf_of(h, 1, 0)) << "replace mode";
    // Range calls merge regardless of the mode.
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 0, 1, 0, 1, &border), 0);
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 0, 1, 0, 1, &wrap), 0);
    EXPECT_EQ(attr_of(h, 0, 1).LineBottom, 1);
    ASSERT_EQ(XL_SetAttrMode(0), 0);
    ASSERT_EQ(XM_SetAttrExt(h, 0, 0, 1, 0, 1, -wrap_no), 0);
    EXPECT_EQ(xf_of(h, 0, 1), xf_of(h, 1, 0)) << "a negative number replaces in ranges";
}

TEST_F(AttributeApplyTest, NumbersBelow21ApplyTheDefaultRecord) {
    int32_t h = create();
    XLATTR border = request();
    border.LineLeft = 1;
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &border), 0);
    ASSERT_EQ(XM_SetAttr(h, 0, 0, 0, 16), 0);  // built-in XF 16: font 5, percent format
    ASSERT_EQ(XM_SetAttr(h, 0, 1, 0, 16), 0);
    ASSERT_EQ(XM_SetAttr(h, 0, 2, 0, 999), 0);  // not registered
    for (int x = 0; x < 3; ++x) {
        EXPECT_GE(xf_of(h, x, 0), 21);
        EXPECT_EQ(attr_of(h, x, 0).Font, 0);
        EXPECT_EQ(attr_of(h, x, 0).Format, 0);
    }
    EXPECT_EQ(attr_of(h, 0, 0).LineLeft, 1) << "the default record sets no border";
}

TEST_F(AttributeApplyTest, DiagonalsJoinAndRotationKeepsItsValueOnBadInput) {
    int32_t h = create();
    XLATTR down = request();
    down.DiagKind = 1;
    down.DiagStyle = 1;
    XLATTR up = request();
    up.DiagKind = 2;
    up.DiagStyle = 1;
    up.Rotation = 45;
    ASSERT_EQ(XM_SetAttr2(h, 0, 3, 3, &down), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 3, 3, &up), 0);
    EXPECT_EQ(attr_of(h, 3, 3).DiagKind, 3);
    EXPECT_EQ(attr_of(h, 3, 3).DiagColor, 64);
    XLATTR odd = request();
    odd.Rotation = 200;
    ASSERT_EQ(XM_SetAttr2(h, 0, 3, 3, &odd), 0);
    EXPECT_EQ(attr_of(h, 3, 3).Rotation, 45);
    odd.Rotation = -30;
    ASSERT_EQ(XM_SetAttr2(h, 0, 3, 3, &odd), 0);
    EXPECT_EQ(attr_of(h, 3, 3).Rotation, 120);
}

TEST_F(AttributeApplyTest, ValueWritesMergeTheirAttributeIntoTheCells) {
    int32_t h = create();
    XLATTR border = request();
    border.LineRight = 6;
    XLATTR red = request();
    red.Font = static_cast<int16_t>(XM_FontNo(h, nullptr, -1.0, xcRed, xsBold, 0));
    int32_t red_no = XM_GetAttrNo2(h, &red);
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &border), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 1, 0, &border), 0);
    ASSERT_EQ(XM_WriteInt2(h, 0, 0, 0, 7, red_no), 0);
    EXPECT_EQ(attr_of(h, 0, 0).LineRight, 6);
    EXPECT_EQ(attr_of(h, 0, 0).Font, red.Font);
    ASSERT_EQ(XM_WriteInt2(h, 0, 1, 0, 7, -red_no), 0);
    EXPECT_EQ(xf_of(h, 1, 0), red_no);
    // The same pair merged again finds the attribute registered the first time.
    size_t count = attribute_count(h);
    ASSERT_EQ(XM_SetAttr2(h, 0, 2, 0, &border), 0);
    ASSERT_EQ(XM_WriteDouble2(h, 0, 2, 0, 1.5, red_no), 0);
    EXPECT_EQ(xf_of(h, 2, 0), xf_of(h, 0, 0));
    EXPECT_EQ(attribute_count(h), count);
}

TEST_F(AttributeApplyTest, ALoneLineFeedWrapsTheCell) {
    for (bool biff8 : {true, false}) {
        int32_t h = create(biff8);
        XLATTR border = request();
        border.LineTop = 1;
        ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &border), 0);
        ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, "\n"), 0);
        ASSERT_EQ(XM_WriteStrW(h, 0, 1, 0, u"\n"), 0);
        ASSERT_EQ(XM_WriteStr(h, 0, 2, 0, "\n\n"), 0);
        EXPECT_EQ(attr_of(h, 0, 0).OverReturn, 1);
        EXPECT_EQ(attr_of(h, 0, 0).LineTop, 1);
        EXPECT_EQ(attr_of(h, 1, 0).OverReturn, 1);
        EXPECT_EQ(xf_of(h, 2, 0), 15);
        EXPECT_EQ(std::get<0>(row_records(h, 0).at(0)), biff8 ? 0x00FD : 0x0204);
        EXPECT_EQ(XM_WriteStr(h, 0, 300, 0, "\n"), -32);
        // The handle is a value write's: a negative one is "no workbook" as for any text.
        EXPECT_EQ(XM_WriteStr(-1, 0, 0, 0, "\n"), XM_WriteStr(-1, 0, 0, 0, "x"));
        EXPECT_EQ(XM_WriteStrW(-1, 0, 0, 0, u"\n"), -3);
        EXPECT_EQ(XM_WriteStr(h + 1, 0, 0, 0, "\n"), -3);
        ASSERT_EQ(XM_Cancel(h), 0);
    }
}

TEST_F(AttributeApplyTest, EmptyCellsInheritTheirRowOrColumnAttribute) {
    int32_t h = create();
    XLATTR fill = request();
    fill.BackColor = xcCyan;
    int32_t fill_no = XM_GetAttrNo2(h, &fill);
    XLATTR bold = request();
    bold.Font = 6;
    Sheet &sheet = *workbook_at(h)->sheets[0];
    // Excel 97 keeps flags in the top bits of a ROW record's XF field.
    sheet.rows_columns.row_settings[2] = {270, 0x0180, static_cast<uint16_t>(0x1000 | fill_no)};
    sheet.rows_columns.row_settings[3] = {270, 0x0100,
                                          static_cast<uint16_t>(fill_no)};  // no own format
    sheet.rows_columns.columns.push_back({4, 5, 2000, static_cast<uint16_t>(fill_no), 0});
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 2, &bold), 0);
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 3, &bold), 0);
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 3, 5, 5, 5, &bold), 0);
    EXPECT_EQ(attr_of(h, 0, 2).BackColor, xcCyan);
    EXPECT_EQ(attr_of(h, 0, 2).Font, 6);
    EXPECT_EQ(attr_of(h, 0, 3).BackColor, 65);
    EXPECT_EQ(attr_of(h, 3, 5).BackColor, 65);
    EXPECT_EQ(attr_of(h, 4, 5).BackColor, xcCyan);
    EXPECT_EQ(attr_of(h, 5, 5).Font, 6);
    // A replace does not start from the row's attribute.
    ASSERT_EQ(XM_SetAttr(h, 0, 1, 2, -XM_GetAttrNo2(h, &bold)), 0);
    EXPECT_EQ(attr_of(h, 1, 2).BackColor, 65);
    // A value written with the default attribute takes the row's.
    ASSERT_EQ(XM_WriteInt(h, 0, 7, 2, 1), 0);
    EXPECT_EQ(xf_of(h, 7, 2), fill_no);
}

TEST_F(AttributeApplyTest, RangesFillEmptyRowsWithOneRecordEach) {
    int32_t h = create();
    XLATTR look = request();
    look.PosHorz = 2;
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 3, 2, 1, 0, &look), 0) << "corners in either order";
    for (uint16_t row = 0; row <= 2; ++row) {
        EXPECT_EQ(row_records(h, row),
                  (std::vector<std::tuple<uint16_t, int, int>>{{0x00BE, 1, 3}}));
    }
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 6, 4, 6, 7, &look), 0);
    EXPECT_EQ(row_records(h, 7), (std::vector<std::tuple<uint16_t, int, int>>{{0x0201, 6, 6}}));
    const int32_t number = xf_of(h, 2, 1);
    EXPECT_EQ(attr_of(h, 2, 1).PosHorz, 2);
    EXPECT_EQ(xf_of(h, 6, 5), number);
    EXPECT_EQ(attribute_count(h), 1u);
}

TEST_F(AttributeApplyTest, RangesRestyleCellsAndFillTheGapsBetweenThem) {
    int32_t h = create();
    ASSERT_EQ(XM_WriteInt(h, 0, 2, 0, 20), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 5, 0, "five"), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 9, 0, 90), 0);  // outside the range
    XLATTR border = request();
    border.LineBottom = 1;
    ASSERT_EQ(XM_SetAttr2(h, 0, 5, 0, &border), 0);
    XLATTR fill = request();
    fill.BackColor = xcGreen;
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 0, 0, 6, 0, &fill), 0);
    EXPECT_EQ(row_records(h, 0), (std::vector<std::tuple<uint16_t, int, int>>{{0x00BE, 0, 1},
                                                                              {0x027E, 2, 2},
                                                                              {0x00BE, 3, 4},
                                                                              {0x00FD, 5, 5},
                                                                              {0x0201, 6, 6},
                                                                              {0x027E, 9, 9}}));
    for (int x = 0; x <= 6; ++x) EXPECT_EQ(attr_of(h, x, 0).BackColor, xcGreen) << x;
    EXPECT_EQ(attr_of(h, 5, 0).LineBottom, 1);
    EXPECT_EQ(xf_of(h, 9, 0), 15);
    // A second range over part of a MULBLANK run restyles only its columns.
    XLATTR wrap = request();
    wrap.OverReturn = 1;
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 1, 0, 3, 0, &wrap), 0);
    EXPECT_EQ(attr_of(h, 0, 0).OverReturn, 0);
    EXPECT_EQ(attr_of(h, 1, 0).OverReturn, 1);
    EXPECT_EQ(attr_of(h, 3, 0).OverReturn, 1);
    EXPECT_EQ(attr_of(h, 4, 0).OverReturn, 0);
    EXPECT_EQ(attr_of(h, 3, 0).BackColor, xcGreen);
    auto sheet = split_sections(close_and_read(h, path_, true))[1];
    const StreamRecord *value = nullptr;
    for (const StreamRecord &record : sheet) {
        if (record.number == 0x027E && record.u16(2) == 2) value = &record;
    }
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->u32(6), (20u << 2) | 2u) << "the value is kept";
}

TEST_F(AttributeApplyTest, AFormulaCellKeepsItsTextResultWhenRestyled) {
    int32_t h = create();
    FormulaResult result{};
    result.kind = 3;
    result.length = 3;
    std::memcpy(result.text, "abc", 3);
    ASSERT_EQ(XM_WriteFunc3(h, 0, 0, 0, "\"ab\"&\"c\"", 15, &result), 0);
    XLATTR fill = request();
    fill.BackColor = xcRed;
    ASSERT_EQ(XM_SetAttr2(h, 0, 0, 0, &fill), 0);
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 0, 0, 1, 0, &fill), 0);
    EXPECT_EQ(attr_of(h, 0, 0).BackColor, xcRed);
    auto sheet = split_sections(close_and_read(h, path_, true))[1];
    std::vector<uint16_t> numbers;
    for (const StreamRecord &record : sheet) {
        if (record.number == 0x0006 || record.number == 0x0207 || record.number == 0x0201) {
            numbers.push_back(record.number);
        }
    }
    EXPECT_EQ(numbers, (std::vector<uint16_t>{0x0006, 0x0207, 0x0201}));
    EXPECT_EQ(all_of(sheet, 0x0207).at(0)->data, (std::vector<uint8_t>{3, 0, 0, 'a', 'b', 'c'}));
}

TEST_F(AttributeApplyTest, JointRecordsEachMergedRangeOnce) {
    int32_t h = create();
    XLATTR joint = request();
    joint.Joint = 1;
    joint.PosHorz = 2;
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 1, 1, 3, 2, &joint), 0);
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 3, 2, 1, 1, &joint), 0);
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 5, 5, 6, 5, &joint), 0);
    XLATTR plain = request();
    plain.Joint = 0;
    ASSERT_EQ(XM_SetAttrExt2(h, 0, 8, 8, 9, 9, &plain), 0);
    EXPECT_EQ(attr_of(h, 2, 2).Joint, 1);
    auto sheet = split_sections(close_and_read(h, path_, true))[1];
    auto merged = all_of(sheet, 0x00E5);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0]->data,
              (std::vector<uint8_t>{2, 0, 1, 0, 2, 0, 1, 0, 3, 0, 5, 0, 5, 0, 5, 0, 6, 0}));
}

TEST_F(AttributeApplyTest, LinesDrawEdgesBoxesAndLattices) {
    int32_t h = create();
    const int32_t thick_red = 2 | xcRed << 8;
    ASSERT_EQ(XM_BoxLine(h, 0, 3, 3, 1, 1, thick_red), 0);
    auto edges = [&](int x, int y) {
        XLATTR a = attr_of(h, x, y);
        return std::vector<int16_t>{a.LineTop, a.LineBottom, a.LineLeft, a.LineRight};
    };
    EXPECT_EQ(edges(1, 1), (std::vector<int16_t>{2, 0, 2, 0}));
    EXPECT_EQ(edges(2, 1), (std::vector<int16_t>{2, 0, 0, 0}));
    EXPECT_EQ(edges(3, 3), (std::vector<int16_t>{0, 2, 0, 2}));
    EXPECT_EQ(xf_of(h, 2, 2), -1) << "the inside is not touched";
    EXPECT_EQ(attr_of(h, 3, 1).ColorRight, xcRed);
    ASSERT_EQ(XM_LtcLine(h, 0, 5, 0, 6, 1, 1), 0);
    EXPECT_EQ(edges(6, 1), (std::vector<int16_t>{1, 1, 1, 1}));
    EXPECT_EQ(attr_of(h, 6, 1).ColorLeft, 64);
    ASSERT_EQ(XM_OverLine(h, 0, 8, 0, 8, 0, 3), 0);
    ASSERT_EQ(XM_UnderLine(h, 0, 8, 0, 8, 0, 4), 0);
    ASSERT_EQ(XM_LeftLine(h, 0, 8, 0, 8, 0, 6), 0);
    ASSERT_EQ(XM_RightLine(h, 0, 8, 0, 8, 0, 7), 0);
    EXPECT_EQ(edges(8, 0), (std::vector<int16_t>{3, 4, 6, 7}));
    ASSERT_EQ(XM_OverLine(h, 0, 8, 0, 8, 0, 0), 0);
    EXPECT_EQ(edges(8, 0), (std::vector<int16_t>{0, 4, 6, 7})) << "style 0 removes the line";
    EXPECT_EQ(XM_BoxLine(h, 0, 0, 0, 256, 0, 1), -32);
    EXPECT_EQ(XM_BoxLine(3, 0, 0, 0, 1, 1, 1), -3);
}

TEST_F(AttributeApplyTest, KeywordCallsStyleEveryOccurrence) {
    int32_t h = create();
    Sheet &sheet = *workbook_at(h)->sheets[0];
    add_keyword(sheet, {4, 1, 15, u"**name"});
    add_keyword(sheet, {9, 2, 15, u"**name"});
    XLATTR fill = request();
    fill.BackColor = xcPink;
    ASSERT_EQ(XM_SetAttr2h(h, 0, "**name", 1, 0, &fill), 0);
    EXPECT_EQ(attr_of(h, 2, 4).BackColor, xcPink);
    EXPECT_EQ(attr_of(h, 3, 9).BackColor, xcPink);
    EXPECT_EQ(xf_of(h, 1, 4), -1);
    ASSERT_EQ(XM_SetAttrExt2hW(h, 0, u"**name", 0, 1, 2, 2, &fill), 0);
    EXPECT_EQ(row_records(h, 5), (std::vector<std::tuple<uint16_t, int, int>>{{0x00BE, 1, 3}}));
    EXPECT_EQ(row_records(h, 11), (std::vector<std::tuple<uint16_t, int, int>>{{0x00BE, 2, 4}}));
    int32_t fill_no = xf_of(h, 2, 4);
    ASSERT_EQ(XM_SetAttrh(h, 0, "**name", 0, -1, fill_no), 0);
    EXPECT_EQ(xf_of(h, 1, 3), fill_no);
    ASSERT_EQ(XM_SetAttrExth(h, 0, "**name", 0, -2, 0, -2, -fill_no), 0);
    EXPECT_EQ(xf_of(h, 2, 7), fill_no);
    EXPECT_EQ(XM_SetAttr2h(h, 0, "**none", 0, 0, &fill), -37);
    EXPECT_EQ(XM_SetAttrh(h, 0, "**name", 0, -5, fill_no), -32) << "row 4 - 5";
    EXPECT_TRUE(workbook_at(h)->template_flag);
}

TEST_F(AttributeApplyTest, ChecksAndTheOlderLayer) {
    int32_t h = create(false);
    XLATTR fill = request();
    fill.BackColor = xcRed;
    EXPECT_EQ(XM_SetAttr2(h, 0, 256, 0, &fill), -32);
    EXPECT_EQ(XM_SetAttr2(h, 0, 0, 16384, &fill), -32) << "Excel 95 rows";
    EXPECT_EQ(XM_SetAttr2(h, 2, 0, 0, &fill), -4);
    EXPECT_EQ(XM_SetAttr2(-1, 0, 0, 0, &fill), -2);
    EXPECT_EQ(XM_SetAttr2(3, 0, 0, 0, &fill), -3);
    EXPECT_EQ(XM_SetAttr2(h, 0, 0, 0, nullptr), -34);
    EXPECT_EQ(XM_SetAttrExt2(h, 0, 0, 0, 0, -1, &fill), -32);
    EXPECT_EQ(XM_GetAttrNo2(h, nullptr), -34);
    EXPECT_EQ(XM_InitAttr(nullptr), -34);
    EXPECT_TRUE(workbook_at(h)->sheets[0]->cells.empty());
    ASSERT_EQ(XM_Cancel(h), 0);

    EXPECT_EQ(XL_SetAttr2(0, 0, &fill), -3);
    EXPECT_EQ(XL_FontNo("Arial", 10, 0, 0, 0), -3);
    EXPECT_EQ(XL_GetAttrNo2(&fill), -3);
    ASSERT_EQ(XL_Create97(folder_.file("xl.xls").c_str(), 2), 0);
    ASSERT_EQ(XL_SelSheetNo(1), 0);
    EXPECT_EQ(XL_FontNo("Arial", 10, 0, 0, 0), 6);
    EXPECT_EQ(XL_FmtNo("0.0"), 176);
    EXPECT_EQ(XL_GetAttrNo2(&fill), 21);
    EXPECT_EQ(XL_GetAttrNo(XL_KBoxNo(1), 0, -1, -1, -1), 22);
    EXPECT_EQ(XL_SetAttr2(1, 1, &fill), 0);
    EXPECT_EQ(XL_SetAttr(2, 1, 22), 0);
    EXPECT_EQ(XL_SetAttrExt2(0, 3, 1, 3, &fill), 0);
    EXPECT_EQ(XL_SetAttrExt(0, 4, 1, 4, -22), 0);
    EXPECT_EQ(XL_BoxLine(0, 6, 1, 7, 1), 0);
    EXPECT_EQ(XL_LtcLine(3, 6, 3, 6, 1), 0);
    auto attr_on_sheet_1 = [](int x, int y) {
        return public_attribute(attribute_record(*workbook_at(0), xf_of(0, x, y, 1)));
    };
    EXPECT_EQ(attr_on_sheet_1(1, 1).BackColor, xcRed);
    EXPECT_EQ(attr_on_sheet_1(2, 1).LineTop, 1);
    EXPECT_EQ(attr_on_sheet_1(1, 3).BackColor, xcRed);
    EXPECT_EQ(attr_on_sheet_1(0, 4).LineRight, 1);
    EXPECT_EQ(attr_on_sheet_1(1, 7).LineBottom, 1);
    EXPECT_EQ(attr_on_sheet_1(3, 6).LineLeft, 1);
    EXPECT_EQ(xf_of(0, 1, 1, 0), -1) << "the current sheet only";
    add_keyword(*workbook_at(0)->sheets[1], {10, 0, 15, u"**k"});
    EXPECT_EQ(XL_SetAttr2h("**k", 1, 0, &fill), 0);
    EXPECT_EQ(XL_SetAttrh("**k", 2, 0, 21), 0);
    EXPECT_EQ(XL_SetAttrExt2h("**k", 0, 1, 0, 1, &fill), 0);
    EXPECT_EQ(XL_SetAttrExth("**k", 0, 2, 0, 2, 21), 0);
    for (auto [x, y] : {std::pair{1, 10}, {2, 10}, {0, 11}, {0, 12}}) {
        EXPECT_EQ(attr_on_sheet_1(x, y).BackColor, xcRed) << x << "," << y;
    }
    EXPECT_EQ(XL_Close(), 0);
}

TEST_F(AttributeApplyTest, TenThousandCellsWithFiftyLooksRegisterFiftyAttributes) {
    int32_t h = create();
    std::vector<XLATTR> looks;
    for (int i = 0; i < 50; ++i) {
        XLATTR a = request();
        a.Font = static_cast<int16_t>(XM_FontNo(h, "Arial", 8.0 + i % 5, 8 + i % 10, 0, 0));
        a.LineTop = static_cast<int16_t>(1 + i % 13);
        looks.push_back(a);
    }
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(XM_WriteInt(h, 0, x, y, x), 0);
            ASSERT_EQ(XM_SetAttr2(h, 0, x, y, &looks[(x + y) % 50]), 0);
        }
    }
    EXPECT_EQ(attribute_count(h), 50u);
    EXPECT_EQ(workbook_at(h)->xfs.records().size(), 71u);
    std::set<int32_t> used;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) used.insert(xf_of(h, x, y));
    }
    EXPECT_EQ(used.size(), 50u);
    // Requests that normalise alike share one attribute.
    XLATTR same = looks[0];
    same.PatternColor = 99;  // out of range: automatic
    EXPECT_EQ(XM_SetAttr2(h, 0, 0, 0, &same), 0);
    EXPECT_EQ(attribute_count(h), 50u);
}

}  // namespace
}  // namespace tabrix::engine::test
