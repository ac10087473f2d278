// Sheets, page setup, widths, heights and the default font through the Book API: the error
// numbers of its own decisions, callers' buffers, and the records a laid-out book gets.
#include <cstring>
#include <string>
#include <vector>

#include "book_test_util.h"
#include "platform/codepage.h"

namespace tabrix::bookapi::test {
namespace {

using namespace engine::test;
using SheetsTest = BookTest;

std::string cp932(std::u16string_view text) {
    return platform::utf16_to_cp932(text);
}

// The records of a written book's globals (0) or of one of its sheets (1 on).
std::vector<StreamRecord> section(const std::string &path, bool biff8, size_t index) {
    auto sections =
        split_sections(parse_records(read_workbook_stream(path, biff8 ? u"Workbook" : u"Book")));
    return index < sections.size() ? sections[index] : std::vector<StreamRecord>{};
}

std::string sheet_name(int32_t sheet) {
    char name[64] = {};
    EXPECT_EQ(XlsGetSheetName2(sheet, name), 1) << sheet;
    return name;
}

TEST_F(SheetsTest, AddedCopiedAndRenamedSheetsAreFoundByName) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 3, nullptr), 1);
    ASSERT_EQ(XlsAddSheet(2), 1);
    EXPECT_EQ(sheet_name(3), "Sheet4");
    EXPECT_EQ(sheet_name(4), "Sheet5");
    ASSERT_EQ(XlsCopySheet(0, 5, nullptr), 1);
    ASSERT_EQ(XlsCopySheetW(0, 6, u""), 1);
    EXPECT_EQ(sheet_name(5), "Sheet1 (2)");
    EXPECT_EQ(sheet_name(6), "Sheet1 (3)");
    EXPECT_EQ(XlsCopySheet(0, 0, "sheet2"), 0);
    EXPECT_EQ(error_no(), errCopy);
    ASSERT_EQ(XlsSheetNo(1), 1);
    ASSERT_EQ(XlsPutSheetName("Daten"), 1);

    EXPECT_EQ(XlsGetSheetNo2("DATEN"), 1);
    EXPECT_EQ(XlsGetSheetNo2W(u"sheet1 (3)"), 6);
    EXPECT_EQ(XlsGetSheetNo2("Sheet"), -1);  // the whole name must match
    EXPECT_EQ(error_no(), 0);

    char name[64];
    EXPECT_EQ(XlsGetSheetName2(7, name), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsGetSheetName2(0, nullptr), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsGetSheetName(7, name, sizeof name), 0);
    EXPECT_EQ(error_no(), errSheetNo);

    ASSERT_EQ(XlsSetActiveSheet(4), 1);
    EXPECT_EQ(XlsGetActiveSheet(), 4);
}

TEST_F(SheetsTest, ASheetNameIsCutToTheCallersBufferAndNeverWrittenPastIt) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    ASSERT_EQ(XlsPutSheetName(cp932(u"日本語の表").c_str()), 1);
    char narrow[8];
    std::memset(narrow, 'Z', sizeof narrow);
    EXPECT_EQ(XlsGetSheetName(0, narrow, 4), 0);  // room for one double-byte character
    EXPECT_EQ(error_no(), errLength);
    EXPECT_EQ(std::string(narrow), cp932(u"日"));
    EXPECT_EQ(narrow[3], 'Z');
    EXPECT_EQ(narrow[4], 'Z');
    char16_t wide[5];
    std::fill(std::begin(wide), std::end(wide), u'Z');
    EXPECT_EQ(XlsGetSheetNameW(0, wide, 3), 0);
    EXPECT_EQ(std::u16string(wide), u"日本");
    EXPECT_EQ(wide[3], u'Z');

    char whole[16];
    EXPECT_EQ(XlsGetSheetName(0, whole, sizeof whole), 1);
    EXPECT_EQ(std::string(whole), cp932(u"日本語の表"));
    EXPECT_EQ(XlsGetSheetName(0, whole, 0), 0);
    EXPECT_EQ(error_no(), errParam);
}

TEST_F(SheetsTest, CallsWithoutACurrentBookAnswerTheirOwnWay) {
    XlsSetErrorNo(errDataKind);
    // These leave the last error alone.
    EXPECT_EQ(XlsSetHeader("a", nullptr, nullptr), 0);
    EXPECT_EQ(XlsSetFooterW(u"a", nullptr, nullptr), 0);
    EXPECT_EQ(XlsGetColWidth(0), 0);
    EXPECT_EQ(XlsGetRowHeight(0), 0.0);
    int32_t columns = 5, rows = 5;
    EXPECT_EQ(XlsGetMaxData(&columns, &rows), 0);
    EXPECT_EQ(columns + rows, 0);
    int32_t x = 5, y = 5;
    EXPECT_EQ(XlsGetReadBin(0, &x, &y, nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(error_no(), errDataKind);
    // These record that no book is open.
    EXPECT_EQ(XlsGetSheetNo2("Sheet1"), -1);
    EXPECT_EQ(error_no(), errNotOpen);
    XlsSetErrorNo(0);
    EXPECT_EQ(XlsGetActiveSheet(), 0);
    EXPECT_EQ(error_no(), errNotOpen);
    for (int32_t result : {XlsPutBreak(1, "A1"), XlsPutColWidth(8, "A1"), XlsPutDefFontPoint(10.0),
                           XlsGetLastPos(&x, &y, 0, 0)}) {
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(error_no(), errNotOpen);
}

TEST_F(SheetsTest, WidthsStopAtAKeywordAndARefusedFontNameDoesNotBlockSizes) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    // A keyword names no column unless looked up, which width and height calls do not do.
    EXPECT_EQ(XlsPutColWidth(9, "C1,**mark,E1"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsPutRowHeight(-1.0, "A1:C3"), 1);
    EXPECT_EQ(XlsPutDefFontName(std::string(40, 'F').c_str()), 0);
    EXPECT_EQ(error_no(), errLength);
    EXPECT_EQ(XlsPutDefFontPoint(10.0), 1);
    EXPECT_EQ(XlsPutColWidth(-1, "A1"), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);

    const auto globals = section(file("a.xls"), true, 0);
    ASSERT_NE(first_of(globals, 0x0031), nullptr);
    EXPECT_EQ(first_of(globals, 0x0031)->u16(0), 200);  // 10 points in twips
    ASSERT_EQ(XlsReadBook(file("a.xls").c_str(), nullptr), 1);
    EXPECT_EQ(XlsGetColWidth(0), 2230);  // 8 characters at 10 points
    EXPECT_EQ(XlsGetColWidth(2), 256 * 9 + 159);
    EXPECT_EQ(XlsGetColWidth(4), 2208);  // after the keyword: untouched
    EXPECT_EQ(XlsGetRowHeight(2), 13.0);
    EXPECT_EQ(XlsGetRowHeight(3), 13.5);
}

TEST_F(SheetsTest, MarginsHeaderAndBreaksInBothFormats) {
    for (bool biff8 : {false, true}) {
        SCOPED_TRACE(biff8);
        const std::string path = file(biff8 ? "8.xls" : "5.xls");
        ASSERT_EQ(XlsCreateBook(path.c_str(), biff8 ? 97 : 95, 1, nullptr), 1);
        EXPECT_EQ(XlsSetMargin(1001, 0, 0, 0), 0);
        EXPECT_EQ(error_no(), errParam);
        EXPECT_EQ(XlsSetMargin(10, 20, 25, 25), 1);
        EXPECT_EQ(XlsSetHeader(nullptr, "C", nullptr), 1);
        EXPECT_EQ(XlsSetHeader("L", nullptr, ""), 1);
        XlsSetErrorNo(errDataKind);
        EXPECT_EQ(XlsPutBreak(1, "C5"), 1);
        EXPECT_EQ(XlsPutBreak(1, "A1_[-1:0]"), 1);  // no cell: nothing happens
        EXPECT_EQ(error_no(), errDataKind);
        ASSERT_EQ(XlsCloseBook(1), 1);

        const auto sheet = section(path, biff8, 1);
        EXPECT_NE(first_of(sheet, 0x0026), nullptr);
        for (uint16_t other : {0x0027, 0x0028, 0x0029}) EXPECT_EQ(first_of(sheet, other), nullptr);
        const StreamRecord *header = first_of(sheet, 0x0014);
        ASSERT_NE(header, nullptr);
        const std::vector<uint8_t> text{'&', 'L', 'L', '&', 'C', 'C'};
        const size_t at = biff8 ? 3 : 1;
        ASSERT_EQ(header->data.size(), at + text.size());
        EXPECT_EQ(std::vector<uint8_t>(header->data.begin() + at, header->data.end()), text);
        const StreamRecord *rows = first_of(sheet, 0x001B);
        const StreamRecord *columns = first_of(sheet, 0x001A);
        ASSERT_TRUE(rows && columns);
        EXPECT_EQ(rows->u16(0), 1);
        EXPECT_EQ(rows->u16(2), 4);
        EXPECT_EQ(columns->u16(2), 2);
    }
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
    EXPECT_EQ(rows->u16(0), 1026);
    EXPECT_EQ(rows->u16(2), 2);
    EXPECT_EQ(columns->u16(0), 2);
    EXPECT_EQ(columns->u16(2), 0);
    EXPECT_EQ(columns->u16(8), 4);
}

}  // namespace
}  // namespace tabrix::bookapi::test
