// The sheet list's name index, and the sheet names a workbook gives new sheets.
#include "engine/model/sheet_list.h"

#include <gtest/gtest.h>

#include "engine/layout/sheet_names.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

std::unique_ptr<Sheet> sheet_named(std::u16string name) {
    auto sheet = std::make_unique<Sheet>();
    sheet->name = std::move(name);
    return sheet;
}

TEST(SheetListTest, FindsTheFirstSheetOfANameAndFollowsRemovalsAndRenames) {
    SheetList list;
    // Only ASCII letters fold: é is not É, a full-width a is not a full-width A.
    for (const char16_t *name : {u"Sheet1", u"Data", u"\u00E9\uFF41", u"data"}) {
        list.add(sheet_named(name));
    }
    EXPECT_EQ(list.find(u"SHEET1"), 0u);
    EXPECT_EQ(list.find(u"dAtA"), 1u);
    EXPECT_EQ(list.find(u"\u00E9\uFF41"), 2u);
    EXPECT_FALSE(list.contains(u"\u00C9\uFF41"));
    EXPECT_FALSE(list.contains(u"\u00E9\uFF21"));

    EXPECT_EQ(list.remove(1)->name, u"Data");
    EXPECT_EQ(list.find(u"DATA"), 2u) << "the other sheet of that name, moved up";
    EXPECT_EQ(list.find(u"\u00E9\uFF41"), 1u);

    list.rename(0, u"Summary");
    EXPECT_FALSE(list.contains(u"sheet1"));
    list.rename(2, u"SUMMARY");
    EXPECT_EQ(list.find(u"summary"), 0u);
    EXPECT_FALSE(list.contains(u"data"));
    list.rename(0, u"Sheet1");
    EXPECT_EQ(list.find(u"summary"), 2u);
    EXPECT_EQ(list.size(), 3u);
}

TEST(SheetListTest, NewSheetsSkipNamesInUseWhateverTheirCase) {
    TempFolder folder;
    int32_t h = XM_Create97(folder.file("names.xls").c_str(), 2);
    Workbook &book = *workbook_at(h);
    book.sheets.rename(1, u"sheet3");
    add_sheet(book);
    add_sheet(book);
    EXPECT_EQ(book.sheets[2]->name, u"Sheet4");
    EXPECT_EQ(book.sheets[3]->name, u"Sheet5");
    EXPECT_EQ(XM_Cancel(h), 0);

    h = XM_Create(folder.file("most.xls").c_str(), kMaxSheets);
    ASSERT_GE(h, 0);
    const SheetList &most = workbook_at(h)->sheets;
    EXPECT_EQ(most.back()->name, u"Sheet32767");
    EXPECT_EQ(most.find(u"SHEET16384"), 16383u);
    EXPECT_EQ(XM_Cancel(h), 0);
}

}  // namespace
}  // namespace tabrix::engine::test
