// Sheets, page setup, widths, heights and the default font through the Book API: the error
// numbers of its own decisions, callers' buffers, and what a laid-out book holds.
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "book_test_util.h"
#include "platform/codepage.h"

namespace tabrix::bookapi::test {
namespace {

using namespace engine::test;
using SheetsTest = BookTest;

// The records of a written book's globals (0) or of one of its sheets (1 on).
std::vector<StreamRecord> section(const std::string &path, bool biff8, size_t index) {
    auto sections =
        split_sections(parse_records(read_workbook_stream(path, biff8 ? u"Workbook" : u"Book")));
    return index < sections.size() ? sections[index] : std::vector<StreamRecord>{};
}

TEST_F(SheetsTest, SheetsByNameAndTheErrorsOfNamesAndCopies) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 3, nullptr), 1);
    ASSERT_EQ(XlsCopySheetW(0, 3, u""), 1);
    EXPECT_EQ(XlsCopySheet(0, 0, "sheet1 (2)"), 0);  // names differ in more than case
    EXPECT_EQ(error_no(), errCopy);
    EXPECT_EQ(XlsGetSheetNo2("SHEET1 (2)"), 3);
    EXPECT_EQ(XlsGetSheetNo2W(u"sheet2"), 1);
    EXPECT_EQ(XlsGetSheetNo2("Sheet"), -1);  // the whole name must match
    EXPECT_EQ(error_no(), 0);
    char name[64];
    EXPECT_EQ(XlsGetSheetName2(4, name), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsGetSheetName2(0, nullptr), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsGetSheetName(4, name, sizeof name), 0);
    EXPECT_EQ(error_no(), errSheetNo);
    EXPECT_EQ(XlsGetSheetName2(3, name), 1);
    EXPECT_STREQ(name, "Sheet1 (2)");
}

// The W forms hold every character whatever the code page; a change of code page carries the
// texts the Book API holds (here the keyword prefix) over into it.
TEST_F(SheetsTest, CodePagesAndTheTextsTheBookApiHolds) {
    const std::string hash_amount = platform::utf16_to_cp932(u"＃金額");
    ASSERT_EQ(XlsCreateBook(file("t.xls").c_str(), 97, 2, nullptr), 1);
    ASSERT_EQ(XlsPutStr(hash_amount.c_str(), "A1"), 1);
    ASSERT_EQ(XlsSetCodePage(65001), 932);
    ASSERT_EQ(XlsSheetNo(1), 1);
    ASSERT_EQ(XlsPutSheetName("Ünï"), 1);
    ASSERT_EQ(XlsSetCodePage(932), 65001);
    ASSERT_EQ(XlsSheetNo(0), 1);
    EXPECT_EQ(XlsPutRefSheetW(u"Sheet1/Ünï"), 1);
    EXPECT_EQ(XlsPutFuncW(u"=Ünï!A1", nullptr, u"B1"), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);

    ASSERT_EQ(XlsSetKeyWord(platform::utf16_to_cp932(u"＃").c_str()), 1);
    ASSERT_EQ(XlsSetCodePage(65001), 932);
    ASSERT_EQ(XlsOpenBook(file("f.xls").c_str(), file("t.xls").c_str(), nullptr), 1);
    EXPECT_EQ(XlsPutLong(5, "＃金額"), 1);
    int32_t value = 0;
    EXPECT_EQ(XlsGetLong(&value, "A1"), 1);
    EXPECT_EQ(value, 5);
}

TEST_F(SheetsTest, ASheetNameIsCutToTheCallersBufferAndNeverWrittenPastIt) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    const std::string full = platform::utf16_to_cp932(u"日本語の表");
    ASSERT_EQ(XlsPutSheetName(full.c_str()), 1);
    char narrow[8];
    std::memset(narrow, 'Z', sizeof narrow);
    EXPECT_EQ(XlsGetSheetName(0, narrow, 4), 0);  // room for one double-byte character
    EXPECT_EQ(error_no(), errLength);
    EXPECT_EQ(std::string(narrow), full.substr(0, 2));
    EXPECT_EQ(std::string(narrow + 3, 5), "ZZZZZ");
    char16_t wide[5] = {u'Z', u'Z', u'Z', u'Z', u'Z'};
    EXPECT_EQ(XlsGetSheetNameW(0, wide, 3), 0);
    EXPECT_EQ(std::u16string(wide), u"日本");
    EXPECT_EQ(wide[3], u'Z');
    char whole[16];
    EXPECT_EQ(XlsGetSheetName(0, whole, sizeof whole), 1);
    EXPECT_EQ(whole, full);
}

TEST_F(SheetsTest, CallsWithoutACurrentBook) {
    XlsSetErrorNo(errDataKind);
    int32_t x = 5, y = 5;
    // These answer 0 and leave the last error alone.
    for (int32_t result : {XlsSetHeader("a", nullptr, nullptr), XlsGetColWidth(0),
                           XlsGetMaxData(&x, &y), XlsGetReadBin(0, &x, &y, 0, 0, 0, 0, 0)})
        EXPECT_EQ(result, 0);
    EXPECT_EQ(x + y, 0);  // the used area's outputs are cleared
    EXPECT_EQ(error_no(), errDataKind);
    EXPECT_EQ(XlsGetSheetNo2("Sheet1"), -1);
    EXPECT_EQ(error_no(), errNotOpen);
    XlsSetErrorNo(0);
    for (int32_t result : {XlsGetActiveSheet(), XlsPutBreak(1, "A1"), XlsPutDefFontPoint(10.0),
                           XlsGetLastPos(&x, &y, 0, 0)})
        EXPECT_EQ(result, 0);
    EXPECT_EQ(error_no(), errNotOpen);
}

TEST_F(SheetsTest, WidthsStopAtAKeywordAndARefusedFontNameDoesNotBlockSizes) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    // A keyword names no column unless looked up, which width and height calls do not do.
    EXPECT_EQ(XlsPutColWidth(9, "C1,**mark,E1"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsPutDefFontName(std::string(40, 'F').c_str()), 0);
    EXPECT_EQ(error_no(), errLength);
    EXPECT_EQ(XlsPutDefFontPoint(10.0), 1);
    EXPECT_EQ(XlsPutColWidth(-1, "A1"), 1);
    EXPECT_EQ(XlsPutRowHeight(-1.0, "2:3"), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);
    ASSERT_EQ(XlsReadBook(file("a.xls").c_str(), nullptr), 1);
    EXPECT_EQ(XlsGetColWidth(0), 2230);  // 8 characters at 10 points
    EXPECT_EQ(XlsGetColWidth(2), 256 * 9 + 159);
    EXPECT_EQ(XlsGetColWidth(4), 2208);  // after the keyword: untouched
    EXPECT_EQ(XlsGetRowHeight(2), 13.0);
    EXPECT_EQ(XlsGetRowHeight(3), 13.5);
}

TEST_F(SheetsTest, DefaultMarginsAreNotWrittenAndBreaksOffTheGridAreIgnored) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 95, 1, nullptr), 1);
    EXPECT_EQ(XlsSetMargin(1001, 0, 0, 0), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsSetMargin(10, 20, 25, 25), 1);
    XlsSetErrorNo(errDataKind);
    EXPECT_EQ(XlsPutBreak(1, "A1_[-1:0]"), 1);
    EXPECT_EQ(error_no(), errDataKind);
    ASSERT_EQ(XlsCloseBook(1), 1);
    const auto sheet = section(file("a.xls"), false, 1);
    EXPECT_EQ(all_of(sheet, 0x0026).size(), 1u);
    for (uint16_t other : {0x0027, 0x0028, 0x0029, 0x001A, 0x001B})
        EXPECT_EQ(first_of(sheet, other), nullptr);
}

TEST_F(SheetsTest, BreaksAtTheFirstKeywordCellAndAFullListGivesItsOwnError) {
    ASSERT_EQ(XlsCreateBook(file("t.xls").c_str(), 97, 1, nullptr), 1);
    for (const char *cell : {"B9", "F3", "D3"}) ASSERT_EQ(XlsPutStr("**mark", cell), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);
    ASSERT_EQ(XlsOpenBook(file("out.xls").c_str(), file("t.xls").c_str(), nullptr), 1);
    EXPECT_EQ(XlsPutBreak(1, "**mark_[1:0]"), 1);  // D3 moved to E3
    EXPECT_EQ(XlsPutBreak(1, "**none"), 1);
    for (int32_t row = 10; row < 10 + 1025; ++row) ASSERT_EQ(XlsPutBreak(1, POS(0, row, -1, 0)), 1);
    EXPECT_EQ(XlsPutBreak(1, "A2000"), 0);
    EXPECT_EQ(error_no(), errPageBreaks);
    ASSERT_EQ(XlsCloseBook(1), 1);
    const auto sheet = section(file("out.xls"), true, 1);
    const StreamRecord *rows = first_of(sheet, 0x001B);
    const StreamRecord *columns = first_of(sheet, 0x001A);
    ASSERT_TRUE(rows && columns);
    EXPECT_EQ(std::make_tuple(rows->u16(0), rows->u16(2)), std::make_tuple(1026, 2));
    EXPECT_EQ(std::make_tuple(columns->u16(0), columns->u16(2), columns->u16(8)),
              std::make_tuple(2, 0, 4));
}

}  // namespace
}  // namespace tabrix::bookapi::test
