// Renaming, appending, deleting and copying sheets, the active sheet, and the references
// that follow the sheets when their numbers change.
#include "engine/layout/sheet_operations.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/biff/record_numbers.h"
#include "engine/layout/sheet_references.h"
#include "engine/lifecycle/workbook_table.h"
#include "platform/codepage.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

std::vector<std::string> names_of(int32_t h) {
    std::vector<std::string> names;
    for (int32_t s = 0; s < XM_GetSheetCount(h); ++s) {
        char16_t buffer[32];
        EXPECT_EQ(XM_GetSheetNameW(h, s, buffer), 0);
        names.push_back(platform::utf16_to_cp932(buffer));
    }
    return names;
}

std::vector<uint8_t> file_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Names = std::vector<std::string>;

// A double-byte character ("表", whose trail byte is a backslash).
const std::string kWide = "\x95\x5C";

TEST(SheetOperationsTest, NamesNewSheetsAndRenamesWithEveryCheckInOrder) {
    TempFolder folder;
    const int32_t h = XM_Create97(folder.file("rename.xls").c_str(), 3);
    ASSERT_GE(h, 0);
    EXPECT_EQ(XM_SetAddSheet(h, 2), 0);
    EXPECT_EQ(names_of(h), (Names{"Sheet1", "Sheet2", "Sheet3", "Sheet4", "Sheet5"}));
    EXPECT_EQ(XM_SetAddSheet(h, 0), -34);

    EXPECT_EQ(XM_SheetName(-1, 0, "x"), -2);
    EXPECT_EQ(XM_SheetName(h + 1, 0, "x"), -3);
    EXPECT_EQ(XM_SheetName(h, 0, ""), -31);
    EXPECT_EQ(XM_SheetName(h, 0, nullptr), -31);
    EXPECT_EQ(XM_SheetName(h, 0, std::string(32, 'a').c_str()), -31);
    EXPECT_EQ(XM_SheetName(h, 9, std::string(32, 'a').c_str()), -31) << "length before sheet";
    EXPECT_EQ(XM_SheetName(h, 5, "ok"), -4);
    EXPECT_EQ(XM_SheetName(h, 5, "a/b"), -4) << "sheet before characters";
    for (const char *bad : {"a/b", "a:b", "a?", "*", "[x]", "a\\b"}) {
        EXPECT_EQ(XM_SheetName(h, 0, bad), -34) << bad;
    }
    EXPECT_EQ(XM_SheetName(h, 0, "sHEET2"), -34);
    EXPECT_EQ(XM_SheetName(h, 1, "SHEET2"), 0) << "a sheet may change its own name's case";
    EXPECT_EQ(XM_SheetName(h, 0, std::string(31, 'a').c_str()), 0);
    // 31 double-byte characters: 62 bytes, and a trail byte that is no backslash.
    std::string wide_name;
    for (int i = 0; i < 31; ++i) wide_name += kWide;
    EXPECT_EQ(XM_SheetName(h, 2, wide_name.c_str()), 0);
    char narrow[32];
    EXPECT_EQ(XM_GetSheetName(h, 2, narrow), -31) << "62 bytes do not fit 32";
    EXPECT_EQ(std::string(narrow), wide_name.substr(0, 30)) << "15 whole characters";
    char16_t wide[32];
    EXPECT_EQ(XM_GetSheetNameW(h, 2, wide), 0);
    EXPECT_EQ(std::u16string(wide), std::u16string(31, u'表'));
    EXPECT_EQ(XM_GetSheetName(h, 5, narrow), -4);

    // The counter rule: the next new sheet takes the next free number.
    EXPECT_EQ(XM_SheetName(h, 3, "Sheet6"), 0);
    EXPECT_EQ(XM_SetAddSheet(h, 1), 0);
    EXPECT_EQ(names_of(h).back(), "Sheet7");
    EXPECT_EQ(XM_SheetNameW(h, 5, u"売上"), 0);
    EXPECT_EQ(names_of(h).back(), platform::utf16_to_cp932(u"売上"));

    workbook_at(h)->read_only = true;
    EXPECT_EQ(XM_SheetName(h, 0, ""), -6) << "read-only before the name";
    workbook_at(h)->read_only = false;
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetOperationsTest, DeletesSheetsMovingTheActiveSheetAndTheReferences) {
    TempFolder folder;
    const int32_t h = XM_Create97(folder.file("delete.xls").c_str(), 5);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2/Sheet4/Sheet5"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet4!A1+Sheet2!B2"), 0);
    Workbook &book = *workbook_at(h);
    ASSERT_EQ(book.extern_sheets.size(), 2u);
    EXPECT_EQ(XM_SetActiveSheet(h, 3), 0);

    EXPECT_EQ(XM_SetDelSheet(h, 0, 5), -34) << "one sheet must remain";
    EXPECT_EQ(XM_SetDelSheet(h, 5, 1), -34);
    EXPECT_EQ(XM_SetDelSheet(h, -1, 1), -34);
    EXPECT_EQ(XM_SetDelSheet(h, 1, 0), -34);
    EXPECT_EQ(XM_SetDelSheet(-1, 1, 1), -2);
    EXPECT_EQ(XM_SetDelSheet(h + 1, 1, 1), -3);
    book.macro_project = true;
    EXPECT_EQ(XM_SetDelSheet(h, 1, 1), -34);
    book.macro_project = false;
    book.sheets[2]->options = 0x0200;  // a chart sheet
    EXPECT_EQ(XM_SetDelSheet(h, 1, 2), -4);
    book.sheets[2]->options = 0;
    EXPECT_EQ(XM_GetSheetCount(h), 5);

    EXPECT_EQ(XM_SetDelSheet(h, 1, 2), 0);
    EXPECT_EQ(names_of(h), (Names{"Sheet1", "Sheet4", "Sheet5"}));
    EXPECT_EQ(XM_GetActiveSheet(h), 1) << "sheet 3 moved down by two";
    // Sheet4 (3) is now 1; Sheet2 (1) is gone.
    EXPECT_EQ(book.extern_sheets[0], (ExternSheetEntry{0, 1, 1}));
    EXPECT_EQ(book.extern_sheets[1], (ExternSheetEntry{0, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(load_u16(book.external_references.find(rec::kSupBook)->data.data()), 3)
        << "the workbook's own SUPBOOK counts its sheets";

    EXPECT_EQ(XM_SetDelSheet(h, 1, 3), -34) << "a count as large as the sheets";
    EXPECT_EQ(XM_SetDelSheet(h, 2, 2), 0) << "cut at the last sheet";
    EXPECT_EQ(names_of(h), (Names{"Sheet1", "Sheet4"}));
    EXPECT_EQ(XM_GetActiveSheet(h), 1);
    EXPECT_EQ(XM_SetDelSheet(h, 1, 1), 0);
    EXPECT_EQ(XM_GetActiveSheet(h), 0) << "inside the range: the sheet before it";
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetOperationsTest, RenumbersSpansAndNamesAroundRemovedAndInsertedSheets) {
    SheetShift removed{2, 2, true};  // sheets 2 and 3 go
    EXPECT_EQ(shifted_sheet(1, removed), 1);
    EXPECT_EQ(shifted_sheet(3, removed), 0xFFFF);
    EXPECT_EQ(shifted_sheet(4, removed), 2);
    EXPECT_EQ(shifted_sheet(0xFFFE, removed), 0xFFFE);
    EXPECT_EQ(shifted_sheet(2, SheetShift{2, 1, false}), 3);

    TempFolder folder;
    const int32_t h = XM_Create97(folder.file("spans.xls").c_str(), 6);
    Workbook &book = *workbook_at(h);
    book.extern_sheets = {{0, 1, 5}, {0, 2, 4}, {0, 3, 5}, {0, 0, 2}, {1, 4, 4}};
    // A name local to sheet 5 (stored as 6) and a global one.
    std::vector<uint8_t> local_name(14, 0), global_name(14, 0);
    store_u16(&local_name[8], 6);
    book.external_references.append(rec::kName, local_name);
    book.external_references.append(rec::kName, global_name);
    shift_sheet_references(book, removed);
    EXPECT_EQ(book.extern_sheets[0], (ExternSheetEntry{0, 1, 3}));
    EXPECT_EQ(book.extern_sheets[1], (ExternSheetEntry{0, 2, 2})) << "kept its last sheet";
    EXPECT_EQ(book.extern_sheets[2], (ExternSheetEntry{0, 2, 3}));
    EXPECT_EQ(book.extern_sheets[3], (ExternSheetEntry{0, 0, 1}));
    EXPECT_EQ(book.extern_sheets[4], (ExternSheetEntry{1, 4, 4})) << "another workbook's sheets";
    EXPECT_EQ(load_u16(&book.external_references.records()[0].data[8]), 4);
    EXPECT_EQ(load_u16(&book.external_references.records()[1].data[8]), 0);
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetOperationsTest, CopiesASheetWithEverythingItHolds) {
    TempFolder folder;
    const int32_t h = XM_Create97(folder.file("copy.xls").c_str(), 2);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 1, "kept"), 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 2, 2, "Sheet2!A1*2"), 0);
    Workbook &book = *workbook_at(h);
    book.sheets[0]->merged.push_back(MergedRange{1, 2, 1, 3});
    book.sheets[0]->window.zoom_numerator = 3;
    book.sheets[0]->page.setup.scale = 80;
    book.sheets[0]->keywords.push_back(KeywordEntry{4, 4, 15, u"**k"});
    book.sheets[0]->carried.trailer.append_u16(0x0999, 7);

    EXPECT_EQ(XM_CopySheet(h, 0, 0, nullptr), 0);
    EXPECT_EQ(XM_CopySheet(h, 1, 3, ""), 0);
    EXPECT_EQ(names_of(h), (Names{"Sheet1 (2)", "Sheet1", "Sheet2", "Sheet1 (3)"}));
    EXPECT_EQ(XM_GetActiveSheet(h), 0) << "copying does not move the active sheet";
    const Sheet &copy = *book.sheets[3];
    EXPECT_EQ(copy.cells.record_count(), 2u);
    EXPECT_EQ(copy.merged.size(), 1u);
    EXPECT_EQ(copy.window.zoom_numerator, 3);
    EXPECT_EQ(copy.page.setup.scale, 80);
    EXPECT_EQ(copy.keywords.size(), 1u);
    EXPECT_EQ(copy.carried.trailer.records().size(), 1u);
    EXPECT_EQ(copy.ref_sheets, std::vector<std::u16string>{u"Sheet2"});
    // The formula still names Sheet2, now sheet 2.
    EXPECT_EQ(book.extern_sheets.at(0), (ExternSheetEntry{0, 2, 2}));
    // The copy is its own: a write to it leaves the source alone.
    ASSERT_EQ(XM_WriteStr(h, 3, 5, 5, "only here"), 0);
    EXPECT_EQ(copy.cells.record_count(), 3u);
    EXPECT_EQ(book.sheets[1]->cells.record_count(), 2u);

    EXPECT_EQ(XM_CopySheet(h, 0, 0, "sheet2"), -1);
    EXPECT_EQ(XM_CopySheet(h, 0, 0, "a]b"), -34);
    EXPECT_EQ(XM_CopySheet(h, 0, 0, std::string(32, 'x').c_str()), -34);
    EXPECT_EQ(XM_CopySheet(h, 4, 0, nullptr), -34);
    EXPECT_EQ(XM_CopySheet(h, 0, 5, nullptr), -34);
    EXPECT_EQ(XM_CopySheet(h + 1, 0, 0, nullptr), -3);
    EXPECT_EQ(XM_CopySheetW(h, 2, 4, u"コピー"), 0);
    EXPECT_EQ(names_of(h).back(), platform::utf16_to_cp932(u"コピー"));

    // Generated names stay within 31 characters, cutting whole characters only.
    std::string long_name(29, 'L');
    long_name += kWide;  // the 30th character
    ASSERT_EQ(XM_SheetName(h, 0, long_name.c_str()), 0);
    ASSERT_EQ(XM_CopySheet(h, 0, 5, nullptr), 0);
    EXPECT_EQ(names_of(h).back(), std::string(27, 'L') + " (2)");
    // 28 characters leave room for 27: the second double-byte character goes whole.
    ASSERT_EQ(XM_SheetName(h, 0, (std::string(26, 'L') + kWide + kWide).c_str()), 0);
    ASSERT_EQ(XM_CopySheet(h, 0, 6, nullptr), 0);
    EXPECT_EQ(names_of(h).back(), std::string(26, 'L') + kWide + " (2)");
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetOperationsTest, Biff5RenameRewritesTheExternSheetRecords) {
    TempFolder folder;
    const std::string path = folder.file("biff5.xls");
    const int32_t h = XM_Create(path.c_str(), 3);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2/SHEET3"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet3!A1"), 0);
    ASSERT_EQ(XM_SheetName(h, 2, "Totals"), 0);
    EXPECT_EQ(XM_WriteFunc(h, 0, 0, 1, "Totals!A2"), 0) << "the ref-sheet list follows";
    const auto sections = split_sections(close_and_read(h, path, false));
    const auto externs = all_of(sections.at(1), rec::kExternSheet);
    ASSERT_EQ(externs.size(), 2u);
    EXPECT_EQ(std::string(externs[0]->data.begin() + 2, externs[0]->data.end()), "Sheet2");
    EXPECT_EQ(externs[1]->data[0], 7);
    EXPECT_EQ(std::string(externs[1]->data.begin() + 2, externs[1]->data.end()), "Totals");
}

// A refused call leaves nothing behind: the file is the one written without it.
TEST(SheetOperationsTest, RefusedCallsLeaveTheFileAsItWouldBe) {
    TempFolder folder;
    auto make = [&](const std::string &name, bool with_refusals) {
        const std::string path = folder.file(name);
        const int32_t h = XM_Create(path.c_str(), 3);
        EXPECT_GE(h, 0);
        EXPECT_EQ(XM_SetRefSheet(h, 0, "Sheet2"), 0);
        EXPECT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet2!A1"), 0);
        if (with_refusals) {
            EXPECT_EQ(XM_SheetName(h, 0, "sheet2"), -34);
            EXPECT_EQ(XM_SheetName(h, 1, "a*"), -34);
            EXPECT_EQ(XM_SetDelSheet(h, 0, 3), -34);
            workbook_at(h)->sheets[2]->options = 0x0200;
            EXPECT_EQ(XM_SetDelSheet(h, 1, 2), -4);
            workbook_at(h)->sheets[2]->options = 0;
            EXPECT_EQ(XM_CopySheet(h, 0, 1, "SHEET3"), -1);
            EXPECT_EQ(XM_CopySheet(h, 0, 4, nullptr), -34);
            EXPECT_EQ(XM_SetAddSheet(h, -1), -34);
            EXPECT_EQ(XM_SetActiveSheet(h, 3), -34);
        }
        EXPECT_EQ(XM_Close(h), 0);
        return file_bytes(path);
    };
    const auto plain = make("plain.xls", false);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(make("refused.xls", true), plain);
}

TEST(SheetOperationsTest, OlderLayerWorksOnWorkbookZeroAndItsCurrentSheet) {
    EXPECT_EQ(XL_GetSheetCount(), -3);
    EXPECT_EQ(XL_SheetName("x"), -3);
    EXPECT_EQ(XL_SetAddSheet(1), -3);
    EXPECT_EQ(XL_SetDelSheet(0, 1), -3);
    EXPECT_EQ(XL_CopySheet(0, 0, nullptr), -3);
    EXPECT_EQ(XL_GetActiveSheet(), -3);
    EXPECT_EQ(XL_SetActiveSheet(0), -3);
    TempFolder folder;
    ASSERT_EQ(XL_Create97(folder.file("xl.xls").c_str(), 2), 0);
    EXPECT_EQ(XL_SetAddSheet(1), 0);
    EXPECT_EQ(XL_SelSheetNo(2), 0);
    EXPECT_EQ(XL_SheetName("Third"), 0);
    EXPECT_EQ(XL_CopySheet(2, 0, nullptr), 0);
    EXPECT_EQ(XL_SetActiveSheet(3), 0);
    EXPECT_EQ(XL_GetActiveSheet(), 3);
    EXPECT_EQ(XL_SetDelSheet(1, 1), 0);
    EXPECT_EQ(XL_GetSheetCount(), 3);
    EXPECT_EQ(names_of(0), (Names{"Third (2)", "Sheet2", "Third"}));
    EXPECT_EQ(XL_SheetName("Last"), 0) << "the current sheet followed its sheet";
    EXPECT_EQ(names_of(0).back(), "Last");
    EXPECT_EQ(XL_Cancel(), 0);
}

}  // namespace
}  // namespace tabrix::engine::test
