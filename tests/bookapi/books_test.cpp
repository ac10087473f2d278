// Books: opening, choosing and closing, checked handles, the registry's limit, the error
// number rule and the messages.
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "book_test_util.h"
#include "platform/codepage.h"

namespace tabrix::bookapi::test {
namespace {

using BooksTest = BookTest;

TEST_F(BooksTest, CloseLeavesNoCurrentBookAndSelectReturnsToAnOpenOne) {
    int32_t first = 0, second = 0;
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 95, 0, &first), 1);
    ASSERT_EQ(XlsCreateBook(file("b.xls").c_str(), 2002, 0, &second), 1);
    EXPECT_NE(first, second);
    EXPECT_EQ(XlsGetSheetCount(), 3);  // the second book, Excel 97 default
    EXPECT_EQ(XlsGetVersion(), 1);
    EXPECT_EQ(XlsCloseBook(1), 1);
    EXPECT_EQ(XlsGetSheetCount(), -1);
    EXPECT_EQ(XlsPutLong(1, "A1"), 0);
    EXPECT_EQ(error_no(), errNotOpen);
    ASSERT_EQ(XlsSelectBook(first), 1);
    EXPECT_EQ(XlsGetSheetCount(), 16);  // Excel 95 default
    EXPECT_EQ(XlsGetVersion(), 0);
}

TEST_F(BooksTest, ClosedForgedAndRandomHandlesAreRefused) {
    int32_t book = 0;
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, &book), 1);
    ASSERT_EQ(XlsCloseBook(0), 1);
    int32_t other = 0;
    ASSERT_EQ(XlsCreateBook(file("b.xls").c_str(), 97, 1, &other), 1);
    for (int32_t forged : {book, 0, 1, 1081, -1, other + 1, static_cast<int32_t>(0xDEADBEEF)}) {
        XlsSetErrorNo(0);
        EXPECT_EQ(XlsSelectBook(forged), 0) << forged;
        EXPECT_EQ(error_no(), errNotOpen);
    }
    // The open book stayed current through the refusals.
    EXPECT_EQ(XlsPutLong(5, "A1"), 1);
}

TEST_F(BooksTest, The257thOpenIsRefusedBeforeAnyFileIsMade) {
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(XlsCreateBook(file(std::to_string(i) + ".xls").c_str(), 97, 1, nullptr), 1) << i;
    EXPECT_EQ(XlsCreateBook(file("extra.xls").c_str(), 97, 1, nullptr), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_FALSE(std::filesystem::exists(file("extra.xls")));
    ASSERT_EQ(XlsCloseBook(0), 1);  // the last one opened was current
    EXPECT_EQ(XlsCreateBook(file("extra.xls").c_str(), 97, 1, nullptr), 1);
}

TEST_F(BooksTest, AllCloseSavesEveryBookInOpeningOrder) {
    for (const char *name : {"1.xls", "2.xls", "3.xls"}) {
        ASSERT_EQ(XlsCreateBook(file(name).c_str(), 97, 1, nullptr), 1);
        ASSERT_EQ(XlsPutStr(name, "A1"), 1);
    }
    EXPECT_EQ(XlsAllClose(), 1);
    EXPECT_EQ(XlsGetSheetCount(), -1);
    for (const char *name : {"1.xls", "2.xls", "3.xls"}) {
        int32_t book = 0;
        ASSERT_EQ(XlsReadBook(file(name).c_str(), &book), 1);
        char text[16];
        ASSERT_EQ(XlsGetStr(text, sizeof text, "A1"), 1);
        EXPECT_STREQ(text, name);
        XlsCloseBook(0);
    }
}

TEST_F(BooksTest, ARejectedSheetNumberStaysAndLaterCallsFailAlike) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 3, nullptr), 1);
    EXPECT_EQ(XlsSheetNo(5), 0);
    EXPECT_EQ(error_no(), errSheetNo);
    EXPECT_EQ(XlsPutLong(1, "A1"), 0);
    EXPECT_EQ(error_no(), errSheetNo);
    EXPECT_EQ(XlsSheetNo(2), 1);
    EXPECT_EQ(XlsPutLong(1, "A1"), 1);
}

TEST_F(BooksTest, FailedOpensLeaveTheRegistryAlone) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    EXPECT_EQ(XlsCreateBook("", 97, 1, nullptr), 0);
    EXPECT_EQ(error_no(), errFileName);
    EXPECT_EQ(XlsReadBook(file("missing.xls").c_str(), nullptr), 0);
    EXPECT_EQ(error_no(), errOpen);
    EXPECT_EQ(XlsPutLong(1, "A1"), 1);  // the first book is still current
}

std::string file_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(BooksTest, ABookOpenedForReadingRefusesEveryChange) {
    ASSERT_EQ(XlsCreateBook(file("r.xls").c_str(), 97, 2, nullptr), 1);
    ASSERT_EQ(XlsPutStr("kept", "A1"), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);
    const std::string before = file_bytes(file("r.xls"));
    ASSERT_EQ(XlsReadBook(file("r.xls").c_str(), nullptr), 1);
    VARIANT number{};
    number.vt = VT_R8;
    number.dblVal = 2.5;
    const std::vector<std::pair<const char *, std::function<int32_t()>>> changes = {
        {"PutStr", [] { return XlsPutStr("x", "B2"); }},
        {"PutStrW", [] { return XlsPutStrW(u"x", u"B2"); }},
        {"PutLong2", [] { return XlsPutLong2(1, "B2", 15); }},
        {"PutDouble", [] { return XlsPutDouble(1.5, "B2"); }},
        {"PutValueV", [&] { return XlsPutValueV(number, "B2"); }},
        {"PutFunc", [] { return XlsPutFunc("=1+1", "", "B2"); }},
        {"PutFontColor", [] { return XlsPutFontColor(xcRed, "A1"); }},
        {"PutFormat", [] { return XlsPutFormat("0.00", "A1"); }},
        {"PutJoint", [] { return XlsPutJoint(1, "A1:B2"); }},
        {"PutBox", [] { return XlsPutBox(lsNormal, btBox, "A1:B2"); }},
        {"PutColWidth", [] { return XlsPutColWidth(20, "A1"); }},
        {"PutRowHeight", [] { return XlsPutRowHeight(30, "A1"); }},
        {"PutDefFontName", [] { return XlsPutDefFontName("Arial"); }},
        {"PutDefFontPoint", [] { return XlsPutDefFontPoint(14); }},
        {"PutSheetName", [] { return XlsPutSheetName("Renamed"); }},
        {"AddSheet", [] { return XlsAddSheet(1); }},
        {"DelSheet", [] { return XlsDelSheet(1, 1); }},
        {"CopySheet", [] { return XlsCopySheet(0, 2, "Copy"); }},
        {"SetActiveSheet", [] { return XlsSetActiveSheet(1); }},
        {"PutRefSheet", [] { return XlsPutRefSheet("Sheet2"); }},
        {"ModeGrid", [] { return XlsModeGrid(0); }},
        {"SetZoom", [] { return XlsSetZoom(50); }},
        {"PageMode", [] { return XlsPageMode(9, 80, 1, 10, 10); }},
        {"SetMargin", [] { return XlsSetMargin(10, 10, 10, 10); }},
        {"SetHeader", [] { return XlsSetHeader("a", "b", "c"); }},
        {"SetFooterW", [] { return XlsSetFooterW(u"a", u"b", u"c"); }},
        {"PutBreak", [] { return XlsPutBreak(1, "C3"); }},
        {"RowInsert", [] { return XlsRowInsert(0, 1); }},
        {"RowDelete", [] { return XlsRowDelete(0, 1); }},
        {"ColumnClear", [] { return XlsColumnClear(0, 1); }},
        {"Clear", [] { return XlsClear("A1"); }},
        {"Copy", [] { return XlsCopy("A1", "C3"); }},
        {"Paste", [] { return XlsPaste("C3"); }},
    };
    for (const auto &[name, change] : changes) {
        XlsSetErrorNo(0);
        EXPECT_EQ(change(), 0) << name;
        EXPECT_EQ(error_no(), errMode) << name;
    }
    // Reading goes on, and the file is as it was.
    char text[8] = "";
    ASSERT_EQ(XlsGetStr(text, sizeof text, "A1"), 1);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(XlsGetStr(text, sizeof text, "B2"), 0);
    EXPECT_EQ(XlsGetSheetCount(), 2);
    EXPECT_EQ(XlsCloseBook(1), 1);
    EXPECT_EQ(file_bytes(file("r.xls")), before);
}

std::string message() {
    char buffer[128];
    XlsGetErrorMessage(buffer, sizeof buffer);
    return buffer;
}

TEST_F(BooksTest, ErrorNumbersFoldFormulaCodesAndMessagesComeInCodePage932) {
    XlsSetErrorNo(0);
    EXPECT_EQ(message(), "");
    const std::pair<int32_t, std::u16string> messages[] = {{1, u"ファイルがオープンできません"},
                                                           {2, u"無効なファイルハンドルです"},
                                                           {3, u"ファイルがオープンされていません"},
                                                           {4, u"シート No エラー"},
                                                           {5, u"書き込みエラー"},
                                                           {6, u"動作モードエラー"},
                                                           {7, u"データ種別エラー"},
                                                           {8, u"エラー値です"},
                                                           {20, u"クリアエラー"},
                                                           {21, u"コピーエラー"},
                                                           {22, u"貼り付けエラー"},
                                                           {23, u"挿入エラー"},
                                                           {24, u"削除エラー"},
                                                           {31, u"長さエラー"},
                                                           {32, u"座標エラー"},
                                                           {33, u"属性番号エラー"},
                                                           {34, u"パラメータエラー"},
                                                           {35, u"データがありません"},
                                                           {36, u"データの終わり"},
                                                           {37, u"指定した変数が存在しません"},
                                                           {38, u"改ページ数が制限を越えました"},
                                                           {40, u"メモリエラー１"},
                                                           {41, u"メモリエラー２"},
                                                           {50, u"内部エラー"},
                                                           {100, u"計算式形式エラー"},
                                                           {9, u"存在しないエラーです(9)"},
                                                           {10, u"存在しないエラーです(10)"},
                                                           {-5, u"存在しないエラーです(-5)"}};
    for (const auto &[number, text] : messages) {
        XlsSetErrorNo(number);
        EXPECT_EQ(message(), platform::utf16_to_cp932(text)) << number;
    }

    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    EXPECT_EQ(XlsPutFunc("=SUM(", "", "A1"), 0);
    EXPECT_EQ(error_no(), errFormula);

    // A small buffer takes whole characters only, NUL inside.
    XlsSetErrorNo(1);
    char small[6];
    std::fill(std::begin(small), std::end(small), 'x');
    XlsGetErrorMessage(small, 6);
    EXPECT_EQ(std::string(small), platform::utf16_to_cp932(u"ファ"));
}

}  // namespace
}  // namespace tabrix::bookapi::test
