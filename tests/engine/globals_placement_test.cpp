// Records that other parts of the engine or a template put into the workbook globals, in
// their places, with the sheet offsets still right.
#include <gtest/gtest.h>

#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

class GlobalsPlacementTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
};

// The record numbers of the globals from the first record of `from` on.
std::vector<uint16_t> tail_from(const std::vector<StreamRecord> &globals, uint16_t from) {
    std::vector<uint16_t> numbers = numbers_of(globals);
    auto at = std::find(numbers.begin(), numbers.end(), from);
    return std::vector<uint16_t>(at, numbers.end());
}

void check_sheet_offsets(const std::vector<StreamRecord> &records) {
    auto sheets = all_of(records, 0x0085);
    auto bofs = all_of(records, 0x0809);
    ASSERT_EQ(bofs.size(), sheets.size() + 1);
    for (size_t i = 0; i < sheets.size(); ++i) EXPECT_EQ(sheets[i]->u32(0), bofs[i + 1]->offset);
}

TEST_F(GlobalsPlacementTest, Biff8ReferencesTemplateRecordsAndStrings) {
    TempFolder folder;
    std::string path = folder.file("globals.xls");
    int32_t h = XM_CreateVer(path.c_str(), 2, 2002);
    Workbook &book = *workbook_at(h);
    book.carried_globals.append_u16(0x0092, 1);
    book.external_references.append(0x01AE, Bytes{2, 0, 1, 4});
    book.extern_sheets = {{0, 0, 0}, {0, 1, 1}};
    book.drawing_group.append_u16(0x00EB, 0);
    book.trailing_globals.append_u16(0x0863, 0);
    book.template_recalc_id = std::array<uint8_t, 8>{0xC1, 0x01, 0, 0, 1, 2, 3, 4};
    ASSERT_EQ(XM_WriteStr(h, 1, 0, 0, "text"), 0);
    auto records = close_and_read(h, path, true);
    auto globals = split_sections(records)[0];
    EXPECT_EQ(tail_from(globals, 0x0092),
              (std::vector<uint16_t>{0x0092, 0x0160, 0x0085, 0x0085, 0x008C, 0x01C1, 0x01AE, 0x0017,
                                     0x00EB, 0x00FC, 0x00FF, 0x0863, 0x000A}));
    EXPECT_EQ(first_of(globals, 0x0017)->data, (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(first_of(globals, 0x01C1)->data, (Bytes{0xC1, 0x01, 0, 0, 1, 2, 3, 4}));
    const StreamRecord *sst = first_of(globals, 0x00FC);
    EXPECT_EQ(first_of(globals, 0x00FF)->u32(2), sst->offset + 12);
    check_sheet_offsets(records);
}

TEST_F(GlobalsPlacementTest, Biff5ReferencesFollowFnGroupCount) {
    TempFolder folder;
    std::string path = folder.file("globals5.xls");
    int32_t h = XM_Create(path.c_str(), 2);
    Workbook &book = *workbook_at(h);
    book.external_references.append_u16(0x0016, 1);
    book.external_references.append(0x0017, Bytes{6, 3, 'S', 'h', 'e', 'e', 't', '2'});
    book.sheets[1]->carried.references.append_u16(0x0016, 0);
    ASSERT_EQ(XM_WriteInt(h, 1, 0, 0, 1), 0);
    auto records = close_and_read(h, path, false);
    std::vector<uint16_t> numbers = numbers_of(split_sections(records)[0]);
    auto at = std::find(numbers.begin(), numbers.end(), 0x009C);
    ASSERT_NE(at, numbers.end());
    EXPECT_EQ(std::vector<uint16_t>(at, at + 4),
              (std::vector<uint16_t>{0x009C, 0x0016, 0x0017, 0x0019}));
    check_sheet_offsets(records);
    // The sheet's own references sit between its header and its cells.
    auto sheet = split_sections(records)[2];
    std::vector<uint16_t> sheet_numbers = numbers_of(sheet);
    auto dimensions = std::find(sheet_numbers.begin(), sheet_numbers.end(), 0x0200);
    ASSERT_NE(dimensions, sheet_numbers.end());
    EXPECT_EQ(*(dimensions + 1), 0x0016);
    EXPECT_EQ(*(dimensions + 2), 0x0208);
    const StreamRecord *index = first_of(sheet, 0x020B);
    EXPECT_EQ(index->u32(12), first_of(sheet, 0x00D7)->offset);
}

TEST_F(GlobalsPlacementTest, KeywordPrefixDecidesWhichTextsBecomeBlanks) {
    EXPECT_FALSE(set_keyword_prefix(u""));
    EXPECT_FALSE(set_keyword_prefix(std::u16string(65, u'@')));
    EXPECT_EQ(keyword_prefix(), u"**");
    ASSERT_TRUE(set_keyword_prefix(u"@@"));
    TempFolder folder;
    std::string path = folder.file("prefix.xls");
    int32_t h = XM_Create(path.c_str(), 1);
    workbook_at(h)->template_flag = true;
    int32_t blank = XM_WriteStr(h, 0, 0, 0, "@@key");
    int32_t text = XM_WriteStr(h, 0, 1, 0, "**key");
    ASSERT_EQ(blank, 0);
    ASSERT_EQ(text, 0);
    auto sheet = split_sections(close_and_read(h, path, false))[1];
    EXPECT_EQ(first_of(sheet, 0x0201)->u16(2), 0);
    EXPECT_EQ(first_of(sheet, 0x0204)->u16(2), 1);
}

}  // namespace
}  // namespace tabrix::engine::test
