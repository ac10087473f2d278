// Cell queries on workbooks in memory: a cell's attribute, where the current sheet's cells
// end, and the keyword prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

class CellQueriesTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    std::string file(const std::string &name) { return folder_.file(name); }
    TempFolder folder_;
};

// A cell record image: number, length, row, column, then the body.
std::vector<uint8_t> cell_record(uint16_t number, uint16_t row, uint16_t column,
                                 const std::vector<uint8_t> &body) {
    std::vector<uint8_t> image(8 + body.size());
    store_u16(&image[0], number);
    store_u16(&image[2], static_cast<uint16_t>(4 + body.size()));
    store_u16(&image[4], row);
    store_u16(&image[6], column);
    std::copy(body.begin(), body.end(), image.begin() + 8);
    return image;
}

// A MULRK (6-byte elements: XF, RK) or MULBLANK (2-byte elements: XF) run with the given XFs.
std::vector<uint8_t> run_record(uint16_t number, uint16_t row, uint16_t first,
                                const std::vector<uint16_t> &xfs) {
    const size_t element = number == 0x00BD ? 6 : 2;
    std::vector<uint8_t> body(xfs.size() * element + 2);
    for (size_t i = 0; i < xfs.size(); ++i) {
        store_u16(&body[i * element], xfs[i]);
        if (element == 6) store_u32(&body[i * element + 2], 0x3FF00000);  // 1.0
    }
    store_u16(&body[body.size() - 2], static_cast<uint16_t>(first + xfs.size() - 1));
    return cell_record(number, row, first, body);
}

TEST_F(CellQueriesTest, LastPositionCountsBlanksOnlyWithoutTheFlag) {
    int32_t h = XM_Create97(file("last.xls").c_str(), 3);
    ASSERT_EQ(h, 0);
    int32_t x = 7, y = 7;
    EXPECT_EQ(XM_GetLastX(h, &x, 0), -1);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(XM_GetLastPos(h, &x, &y, 1), -1);
    EXPECT_EQ((std::pair{x, y}), (std::pair{-1, -1}));

    ASSERT_EQ(XM_WriteStr(h, 1, 4, 2, nullptr), 0);  // a lone BLANK on sheet 1
    EXPECT_EQ(XM_GetLastPos(h, &x, &y, 1), -1) << "blank cells are no values";
    EXPECT_EQ(XM_GetLastPos(h, &x, &y, 0), 0);
    EXPECT_EQ((std::pair{x, y}), (std::pair{4, 2}));

    ASSERT_EQ(XM_WriteInt(h, 0, 2, 0, 5), 0);  // sheet 0 becomes current
    ASSERT_EQ(XM_WriteStr(h, 0, 3, 1, "text"), 0);
    ASSERT_EQ(XM_WriteDouble(h, 0, 1, 5, 0.5), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 7, 9, nullptr), 0);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    ASSERT_EQ(sheet.cells.insert(run_record(0x00BD, 4, 10, {15, 15, 15})), 0);
    ASSERT_EQ(sheet.cells.insert(cell_record(0x0205, 6, 5, {15, 0, 1, 0})), 0);  // TRUE
    ASSERT_EQ(sheet.cells.insert(run_record(0x00BE, 8, 0, std::vector<uint16_t>(31, 15))), 0);

    EXPECT_EQ(XM_GetLastX(h, &x, 0), 0);
    EXPECT_EQ(x, 30) << "the MULBLANK's last column";
    EXPECT_EQ(XM_GetLastX(h, &x, 1), 0);
    EXPECT_EQ(x, 12) << "the MULRK's last column";
    EXPECT_EQ(XM_GetLastPos(h, &x, &y, 0), 0);
    EXPECT_EQ((std::pair{x, y}), (std::pair{7, 9}));
    EXPECT_EQ(XM_GetLastPos(h, &x, &y, 1), 0);
    EXPECT_EQ((std::pair{x, y}), (std::pair{5, 6})) << "a BOOLERR holds a value";

    EXPECT_EQ(XM_GetLastPos(h, nullptr, &y, 0), -34);
    EXPECT_EQ(XM_GetLastX(-1, &x, 0), -2);
    EXPECT_EQ(XM_GetLastPos(5, &x, &y, 0), -3);
    workbook_at(h)->current_sheet = 3;
    EXPECT_EQ(XM_GetLastX(h, &x, 0), -4);
    EXPECT_EQ(XM_Close(h), 0);
}

TEST_F(CellQueriesTest, CellAttributeOfTheCurrentSheet) {
    int32_t h = XM_Create(file("attr.xls").c_str(), 2);
    ASSERT_EQ(h, 0);
    const int32_t centred = XM_GetAttrNo(h, -1, -1, 2, -1, -1);
    ASSERT_GE(centred, 21);
    ASSERT_EQ(XM_WriteInt2(h, 1, 3, 3, 1, -centred), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 3, 3, 2), 0);
    int32_t xf = -1;
    EXPECT_EQ(XM_GetCellAttr(h, 3, 3, &xf), 0);
    EXPECT_EQ(xf, 15) << "sheet 0 is current after its write";
    ASSERT_EQ(XM_WriteInt(h, 1, 0, 0, 0), 0);
    EXPECT_EQ(XM_GetCellAttr(h, 3, 3, &xf), 0);
    EXPECT_EQ(xf, centred);

    Sheet &sheet = *workbook_at(h)->sheets[1];
    ASSERT_EQ(
        sheet.cells.insert(run_record(0x00BE, 9, 4, {static_cast<uint16_t>(centred), 16, 17})), 0);
    EXPECT_EQ(XM_GetCellAttr(h, 5, 9, &xf), 0);
    EXPECT_EQ(xf, 16) << "a MULBLANK element's own XF";

    EXPECT_EQ(XM_GetCellAttr(h, 8, 9, &xf), -35);
    EXPECT_EQ(XM_GetCellAttr(h, 256, 0, &xf), -32);
    EXPECT_EQ(XM_GetCellAttr(h, 0, 16384, &xf), -32) << "Excel 95 rows end at 16383";
    EXPECT_EQ(XM_GetCellAttr(h, 3, 3, nullptr), -34);
    EXPECT_EQ(XM_GetCellAttr(-1, 3, 3, &xf), -2);
    EXPECT_EQ(XM_GetCellAttr(1, 3, 3, &xf), -3);
    workbook_at(h)->read_only = true;
    EXPECT_EQ(XM_GetCellAttr(h, 3, 3, &xf), -6);
    workbook_at(h)->read_only = false;
    EXPECT_EQ(XM_Close(h), 0);
}

TEST_F(CellQueriesTest, OlderLayerAsksWorkbookZero) {
    ASSERT_EQ(XM_Create97(file("xm.xls").c_str(), 1), 0);
    int32_t x = 0, y = 0, xf = 0;
    EXPECT_EQ(XL_GetLastX(&x, 0), -3) << "an XM_ workbook is not the layer's";
    EXPECT_EQ(XL_GetCellAttr(0, 0, &xf), -3);
    ASSERT_EQ(XM_Close(0), 0);

    ASSERT_EQ(XL_Create97(file("xl.xls").c_str(), 2), 0);
    ASSERT_EQ(XL_SelSheetNo(1), 0);
    ASSERT_EQ(XL_WriteInt(6, 2, 1), 0);
    ASSERT_EQ(XL_WriteStr(1, 4, nullptr), 0);
    EXPECT_EQ(XL_GetLastPos(&x, &y, 0), 0);
    EXPECT_EQ((std::pair{x, y}), (std::pair{1, 4}));
    EXPECT_EQ(XL_GetLastPos(&x, &y, 1), 0);
    EXPECT_EQ((std::pair{x, y}), (std::pair{6, 2}));
    EXPECT_EQ(XL_GetLastX(&x, 1), 0);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(XL_GetCellAttr(6, 2, &xf), 0);
    EXPECT_EQ(xf, 15);
    EXPECT_EQ(XL_GetCellAttr(6, 3, &xf), -35);
    EXPECT_EQ(XL_Close(), 0);
}

TEST_F(CellQueriesTest, KeywordPrefixTakesOneToSixtyFourCharacters) {
    EXPECT_EQ(keyword_prefix(), u"**");
    EXPECT_EQ(XM_SetKeyWord("##"), 0);
    EXPECT_EQ(keyword_prefix(), u"##");
    EXPECT_EQ(XM_SetKeyWord(""), 0);
    EXPECT_EQ(XM_SetKeyWord(nullptr), 0);
    EXPECT_EQ(keyword_prefix(), u"##");
    // Characters, not bytes: 64 double-byte characters (128 bytes) are taken, 65 are not.
    std::string marks;
    for (int i = 0; i < 64; ++i) marks += "\x81\xA6";  // ※ in code page 932
    EXPECT_EQ(XM_SetKeyWord(marks.c_str()), 0);
    EXPECT_EQ(keyword_prefix(), std::u16string(64, u'\u203B'));
    EXPECT_EQ(XM_SetKeyWord((marks + "\x81\xA6").c_str()), 0);
    EXPECT_EQ(XM_SetKeyWord(std::string(65, '#').c_str()), 0);
    EXPECT_EQ(keyword_prefix(), std::u16string(64, u'\u203B'));
}

}  // namespace
}  // namespace tabrix::engine::test
