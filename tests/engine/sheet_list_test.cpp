// The sheet list's name index, and the sheet names a workbook gives new sheets.
#include "engine/model/sheet_list.h"

#include <gtest/gtest.h>

#include "engine/layout/sheet_names.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

std::unique_ptr<Sheet> sheet_named(std::string name) {
    auto sheet = std::make_unique<Sheet>();
    sheet->name = std::move(name);
    return sheet;
}

TEST(SheetListTest, FindsTheFirstSheetOfANameAndFollowsRemovalsAndRenames) {
    SheetList list;
    // The second byte of a double-byte character is no letter: 0x83 0x61 is not 0x83 0x41.
    for (const char *name : {"Sheet1", "Data", "\x83\x61", "data"}) list.add(sheet_named(name));
    EXPECT_EQ(list.find("SHEET1"), 0u);
    EXPECT_EQ(list.find("dAtA"), 1u);
    EXPECT_EQ(list.find("\x83\x61"), 2u);
    EXPECT_FALSE(list.contains("\x83\x41"));

    EXPECT_EQ(list.remove(1)->name, "Data");
    EXPECT_EQ(list.find("DATA"), 2u) << "the other sheet of that name, moved up";
    EXPECT_EQ(list.find("\x83\x61"), 1u);

    list.rename(0, "Summary");
    EXPECT_FALSE(list.contains("sheet1"));
    list.rename(2, "SUMMARY");
    EXPECT_EQ(list.find("summary"), 0u);
    EXPECT_FALSE(list.contains("data"));
    list.rename(0, "Sheet1");
    EXPECT_EQ(list.find("summary"), 2u);
    EXPECT_EQ(list.size(), 3u);
}

TEST(SheetListTest, NewSheetsSkipNamesInUseWhateverTheirCase) {
    TempFolder folder;
    int32_t h = XM_Create97(folder.file("names.xls").c_str(), 2);
    Workbook &book = *workbook_at(h);
    book.sheets.rename(1, "sheet3");
    add_sheet(book);
    add_sheet(book);
    EXPECT_EQ(book.sheets[2]->name, "Sheet4");
    EXPECT_EQ(book.sheets[3]->name, "Sheet5");
    EXPECT_EQ(XM_Cancel(h), 0);

    h = XM_Create(folder.file("most.xls").c_str(), kMaxSheets);
    ASSERT_GE(h, 0);
    const SheetList &most = workbook_at(h)->sheets;
    EXPECT_EQ(most.back()->name, "Sheet32767");
    EXPECT_EQ(most.find("SHEET16384"), 16383u);
    EXPECT_EQ(XM_Cancel(h), 0);
}

}  // namespace
}  // namespace tabrix::engine::test
