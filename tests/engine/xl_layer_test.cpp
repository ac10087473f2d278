// The older single-workbook layer and the keyword writes.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

class XlLayerTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    std::string file(const std::string &name) { return folder_.file(name); }
    static void add(Sheet &sheet, std::u16string text, uint16_t row, uint16_t column) {
        add_keyword(sheet, {row, column, 15, std::move(text)});
    }
    TempFolder folder_;
};

// (row, column, record number) of every cell record of a sheet section.
std::vector<std::tuple<uint16_t, uint16_t, uint16_t>> cells_of(
    const std::vector<StreamRecord> &sheet) {
    std::vector<std::tuple<uint16_t, uint16_t, uint16_t>> cells;
    for (const StreamRecord &record : sheet) {
        if (record.number == 0x027E || record.number == 0x00FD || record.number == 0x0203 ||
            record.number == 0x0201 || record.number == 0x0204) {
            cells.emplace_back(record.u16(0), record.u16(2), record.number);
        }
    }
    return cells;
}

TEST_F(XlLayerTest, WorkbookZeroBelongsToTheOlderLayer) {
    EXPECT_EQ(XL_WriteInt(0, 0, 1), -3);
    EXPECT_EQ(XL_WrtStr("x"), -3);
    EXPECT_EQ(XL_MovePos(0, 0), -3);
    EXPECT_EQ(XL_Close(), -3);
    int32_t other = XM_Create97(file("other.xls").c_str(), 1);
    ASSERT_EQ(other, 0);
    EXPECT_EQ(XL_Create97(file("xl.xls").c_str(), 1), -1) << "entry 0 in use";
    EXPECT_EQ(XL_WriteInt(0, 0, 1), -3) << "an XM_ workbook is not the layer's";
    EXPECT_EQ(XM_Create(file("second.xls").c_str(), 1), 1);
    EXPECT_EQ(XM_Close(0), 0);
    EXPECT_EQ(XL_Create(file("xl.xls").c_str(), 2), 0);
    EXPECT_EQ(XL_SelSheetNo(2), -4);
    EXPECT_EQ(XL_SelSheetNo(1), 0);
    EXPECT_EQ(XL_WriteStr(1, 1, "on sheet 2"), 0);
    EXPECT_EQ(XL_Close(), 0);
    EXPECT_EQ(XL_Close(), -3);
    EXPECT_EQ(XM_Close(1), 0);
}

TEST_F(XlLayerTest, WriteCursorWrapsAtTheLastColumn) {
    std::string path = file("cursor.xls");
    ASSERT_EQ(XL_Create97(path.c_str(), 2), 0);
    EXPECT_EQ(XL_MovePos(256, 0), -32);
    EXPECT_EQ(XL_MovePos(0, 65536), -32);
    EXPECT_EQ(XL_MovePos(255, 0), 0);
    EXPECT_EQ(XL_WrtStr("a"), 0);
    EXPECT_EQ(XL_WrtStr("b"), 0);
    EXPECT_EQ(XL_WrtInt(3), 0);
    EXPECT_EQ(XL_WrtCR(), 0);
    EXPECT_EQ(XL_WrtDouble2(4.5, 20), 0);
    EXPECT_EQ(XL_WriteInt(10, 5, 6), 0);  // moves the cursor on as well
    EXPECT_EQ(XL_WrtInt2(7, 15), 0);
    EXPECT_EQ(XM_WriteInt(0, 1, 0, 0, 8), 0);  // sheet 1 becomes current
    EXPECT_EQ(XL_WrtInt(9), 0);
    EXPECT_EQ(XL_Close(), 0);
    auto sections = split_sections(parse_records(read_workbook_stream(path, u"Workbook")));
    using Cells = std::vector<std::tuple<uint16_t, uint16_t, uint16_t>>;
    EXPECT_EQ(cells_of(sections[1]), (Cells{{0, 255, 0x00FD},
                                            {1, 0, 0x00FD},
                                            {1, 1, 0x027E},
                                            {2, 0, 0x0203},
                                            {5, 10, 0x027E},
                                            {5, 11, 0x027E}}));
    EXPECT_EQ(cells_of(sections[2]), (Cells{{0, 0, 0x027E}, {0, 1, 0x027E}}));
}

TEST_F(XlLayerTest, Biff5CursorStopsAtItsRowLimit) {
    ASSERT_EQ(XL_Create(file("five.xls").c_str(), 1), 0);
    EXPECT_EQ(XL_MovePos(0, 16384), -32);
    EXPECT_EQ(XL_MovePos(0, 16383), 0);
    EXPECT_EQ(XL_WrtCR(), 0);
    EXPECT_EQ(XL_WrtInt(1), -32);
}

TEST_F(XlLayerTest, KeywordWritesFillEveryOccurrence) {
    std::string path = file("keywords.xls");
    int32_t h = XM_Create97(path.c_str(), 2);
    ASSERT_EQ(h, 0);
    Sheet &sheet = *workbook_at(h)->sheets[1];
    add(sheet, u"**name", 4, 2);
    add(sheet, u"**name", 1, 3);
    add(sheet, u"**other", 0, 0);
    add(sheet, u"**name", 9, 0);
    add(sheet, u"**Name", 7, 7);
    EXPECT_EQ(XM_WriteStrh(h, 1, "**missing", 0, 0, "x"), -37);
    EXPECT_EQ(XM_WriteStrh(h, 2, "**name", 0, 0, "x"), -4);
    EXPECT_FALSE(workbook_at(h)->template_flag);
    EXPECT_EQ(XM_WriteStrh(h, 1, "**name", 1, 0, "filled"), 0);
    EXPECT_TRUE(workbook_at(h)->template_flag);
    EXPECT_EQ(XM_WriteInthW(h, 1, u"**other", 0, 2, 5), 0);
    EXPECT_EQ(XM_WriteDouble2h(h, 1, "**Name", 0, 0, 1.5, 21), 0);
    EXPECT_EQ(XM_WriteInth(h, 1, "**name", -10, 0, 1), -32) << "a failing write ends the loop";
    auto sections = split_sections(close_and_read(h, path, true));
    using Cells = std::vector<std::tuple<uint16_t, uint16_t, uint16_t>>;
    EXPECT_EQ(
        cells_of(sections[2]),
        (Cells{{1, 4, 0x00FD}, {2, 0, 0x027E}, {4, 3, 0x00FD}, {7, 7, 0x0203}, {9, 1, 0x00FD}}));
}

TEST_F(XlLayerTest, MovePosToKeyword) {
    std::string path = file("movekw.xls");
    ASSERT_EQ(XL_Create97(path.c_str(), 1), 0);
    add(*workbook_at(0)->sheets[0], u"**here", 3, 4);
    EXPECT_EQ(XL_MovePosh("**nowhere", 0, 0), -37);
    EXPECT_EQ(XL_MovePosh("**here", 1, 2), 0);
    EXPECT_TRUE(workbook_at(0)->template_flag);
    EXPECT_EQ(XL_WrtStr("**looks like a keyword"), 0);
    EXPECT_EQ(XL_WrtInt(1), 0);
    EXPECT_EQ(XL_WriteStrh("**here", 0, 0, "v"), 0);
    EXPECT_EQ(XL_Close(), 0);
    auto sections = split_sections(parse_records(read_workbook_stream(path, u"Workbook")));
    using Cells = std::vector<std::tuple<uint16_t, uint16_t, uint16_t>>;
    EXPECT_EQ(cells_of(sections[1]), (Cells{{3, 4, 0x00FD}, {5, 5, 0x0201}, {5, 6, 0x027E}}));
}

// Offsets from a keyword cell may be any 32-bit values: a sum beyond the grid is a coordinate
// error, never an overflow.
TEST_F(XlLayerTest, KeywordOffsetsFarOutsideTheGridAreCoordinateErrors) {
    ASSERT_EQ(XL_Create97(file("far.xls").c_str(), 1), 0);
    Sheet &sheet = *workbook_at(0)->sheets[0];
    add(sheet, u"**k", 5, 5);
    XLATTR wrap;
    XM_InitAttr(&wrap);
    wrap.OverReturn = 1;
    EXPECT_EQ(XM_WriteStrh(0, 0, "**k", INT32_MAX, 0, "x"), -32);
    EXPECT_EQ(XM_WriteInt2h(0, 0, "**k", 0, INT32_MAX, 1, 15), -32);
    EXPECT_EQ(XM_WriteDoubleh(0, 0, "**k", INT32_MAX, INT32_MAX, 1.0), -32);
    EXPECT_EQ(XM_WriteFunch(0, 0, "**k", INT32_MAX, 0, "=1"), -32);
    EXPECT_EQ(XM_SetAttr2h(0, 0, "**k", 0, INT32_MAX, &wrap), -32);
    EXPECT_EQ(XM_SetAttrExth(0, 0, "**k", -5, -5, INT32_MAX, 0, 15), -32)
        << "far corner beyond the grid";
    EXPECT_EQ(XM_SetAttrExt2h(0, 0, "**k", 0, -5, 0, INT32_MAX, &wrap), -32);
    EXPECT_EQ(XL_MovePosh("**k", 0, INT32_MAX - 5), 0);
    EXPECT_EQ(XL_WrtCR(), 0);
    EXPECT_EQ(XL_WrtStr("x"), -32) << "the cursor stays below the grid";
    EXPECT_EQ(XL_MovePosh("**k", INT32_MAX, 0), 0);
    EXPECT_EQ(XL_WrtInt(1), -32);
    EXPECT_TRUE(sheet.cells.empty());
}

TEST_F(XlLayerTest, KeywordListStaysSortedAndReplacesTheSameCell) {
    Sheet sheet;
    add(sheet, u"**b", 2, 0);
    add(sheet, u"**a", 5, 1);
    add(sheet, u"**b", 1, 9);
    add_keyword(sheet, {2, 0, 22, u"**b"});
    ASSERT_EQ(sheet.keywords.size(), 3u);
    EXPECT_EQ(sheet.keywords[0].text, u"**a");
    EXPECT_EQ(sheet.keywords[1].row, 1);
    EXPECT_EQ(sheet.keywords[2].xf, 22);
    EXPECT_EQ(find_keyword(sheet, u"**b").size(), 2u);
    EXPECT_TRUE(find_keyword(sheet, u"**B").empty());
}

}  // namespace
}  // namespace tabrix::engine::test
