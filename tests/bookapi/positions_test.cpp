// Position texts: building them, parsing cells, ranges, lists, offsets, names and keywords,
// and telling numbers from texts.
#include <vector>

#include "book_test_util.h"
#include "bookapi/books/book_registry.h"
#include "bookapi/positions/position_parser.h"

namespace tabrix::bookapi::test {
namespace {

using PositionsTest = BookTest;

TEST_F(PositionsTest, PosAndCellBuildTextsInTwoBuffers) {
    EXPECT_STREQ(POS(0, 0, -1, 0), "A1");
    const char *second = POS2(27, 9, 255, 99);
    EXPECT_STREQ(second, "AB10:IV100");
    EXPECT_STREQ(CELL("**kw", 1, 0), "**kw_[1:0]");
    EXPECT_STREQ(second, "AB10:IV100");  // CELL used the other buffer
    EXPECT_STREQ(CELL2("B2", 0, 0), "B2");
    // Coordinates outside the sheet give texts that name no cell.
    EXPECT_STREQ(POS(256, -1, -1, 0), "0");
    std::string long_text(250, 'A');
    EXPECT_STREQ(CELL(long_text.c_str(), 1000, 1000), "");
}

std::vector<PositionItem> parse(const char *text, bool keywords = true, int32_t expect = 0) {
    std::vector<PositionItem> items;
    EXPECT_EQ(parse_position(*current_book(), text, keywords, items), expect) << text;
    return items;
}

TEST_F(PositionsTest, PartsAreCellsRangesKeywordsOrNames) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    auto items = parse("C5:a1,$B$2_[2:-1],**name_[-1:3],Total");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].range);
    EXPECT_EQ((std::vector{items[0].x1, items[0].y1, items[0].x2, items[0].y2}),
              (std::vector{0, 0, 2, 4}));
    EXPECT_FALSE(items[1].range);
    EXPECT_EQ((std::vector{items[1].x1, items[1].y1}), (std::vector{3, 0}));
    EXPECT_TRUE(items[2].keyword);
    EXPECT_EQ(items[2].keyword_text, "**name");
    EXPECT_EQ((std::vector{items[2].dx, items[2].dy}), (std::vector{-1, 3}));
    // An unknown name names no cell.
    EXPECT_EQ((std::vector{items[3].x1, items[3].y1}), (std::vector{-1, -1}));
    // Without keywords the prefix is text no cell holds.
    parse("**B2", false, -errParam);
    // Two characters without a digit, a column past IV, a row past 65536: names.
    for (const char *name : {"AB", "IW1", "A65537"}) EXPECT_EQ(parse(name)[0].x1, -1) << name;
}

TEST_F(PositionsTest, MalformedOffsetsAreRefusedAndNothingIsWritten) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    for (const char *bad : {"A1_[1]", "A1_[1:2", "**kw_[x:1]", "A1_[1:2]B", "B2,A1_[9999999999:0]"})
        parse(bad, true, -errParam);
    EXPECT_EQ(XlsPutLong(7, "B2,A1_[1;2]"), 0);
    EXPECT_EQ(error_no(), errParam);
    int32_t value = 0;
    EXPECT_EQ(XlsGetLong(&value, "B2"), 0);  // the first part was not written either
    // An offset that moves the cell off the sheet is refused by the write.
    EXPECT_EQ(XlsPutLong(7, "IV1_[1:0]"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsPutLong(7, "A1_[0:-1]"), 0);
    EXPECT_EQ(error_no(), errPosition);
}

TEST_F(PositionsTest, StrayCharactersAreRefusedWhereNamesAndKeywordsAreTaken) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    for (const char *bad : {"A1;C3", "B2,A1;C3", " A1", "A1 ", "A1, C3", "A1B2", "A.1", "$A$1$",
                            "A1:", ":B2", "A1:B2;", "A$$1"})
        EXPECT_TRUE(parse(bad, true, -errParam).empty()) << bad;
    // Columns or rows alone (the width and height calls use them), names (a column past IV,
    // an underscore, two characters without a digit) and keywords holding anything.
    for (const char *good : {"$b$2", "A:C", "2:4", "Total;", "my_name", "A;", "**a;b c"})
        parse(good);
    // Blanks before an offset's numbers are read as "%d" reads them.
    auto items = parse("A1_[ 1: 2],**kw_[\t-1:  +3]");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ((std::vector{items[0].x1, items[0].y1}), (std::vector{1, 2}));
    EXPECT_EQ((std::vector{items[1].dx, items[1].dy}), (std::vector{-1, 3}));
    for (const char *bad : {"A1_[1 :2]", "A1_[1:2 ]", "A1_[+-1:2]"}) parse(bad, true, -errParam);

    ASSERT_EQ(XlsPutStr("kept", "A1"), 1);
    EXPECT_EQ(XlsPutStr("x", "B2,A1;C3"), 0);
    EXPECT_EQ(error_no(), errParam);
    char text[8] = "";
    for (const char *untouched : {"B2", "C3", "AC13"}) {
        EXPECT_EQ(XlsGetStr(text, sizeof text, untouched), 0) << untouched;
        EXPECT_EQ(error_no(), errValue);
    }
    EXPECT_EQ(XlsGetStr(text, sizeof text, "A1;C3"), 0);
    EXPECT_EQ(error_no(), errParam);
    ASSERT_EQ(XlsPutStr("moved", "A1_[ 1: 1]"), 1);
    ASSERT_EQ(XlsGetStr(text, sizeof text, "B2"), 1);
    EXPECT_STREQ(text, "moved");
}

TEST_F(PositionsTest, MoveKeepsPositionsUpTo255Characters) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    std::string list = "B3";
    while (list.size() < 255) list += ",B3";
    list.resize(255);
    EXPECT_EQ(XlsMove(list.c_str()), 1);
    EXPECT_EQ(XlsPutLong(4, nullptr), 1);
    EXPECT_EQ(XlsMove((list + "3").c_str()), 0);
    EXPECT_EQ(error_no(), errParam);
    int32_t value = 0;
    EXPECT_EQ(XlsGetLong(&value, "B3"), 1);
    EXPECT_EQ(value, 4);
}

TEST_F(PositionsTest, StrToValueTellsFormulasTextsAndNumbers) {
    double number = -1;
    int32_t integer = -1;
    EXPECT_EQ(XlsStrToValue("=A1", &number, &integer), 3);
    EXPECT_EQ(XlsStrToValue("'12", &number, &integer), 0);
    EXPECT_EQ(XlsStrToValue("12a", &number, &integer), 0);
    EXPECT_EQ(XlsStrToValue("-7", &number, &integer), 1);
    EXPECT_EQ(integer, -7);
    EXPECT_EQ(XlsStrToValue("12.5", &number, &integer), 1);
    EXPECT_DOUBLE_EQ(number, 12.5);
    EXPECT_EQ(integer, 12);
    EXPECT_EQ(XlsStrToValue("99999999999", &number, &integer), 1);
    EXPECT_EQ(integer, INT32_MAX);
}

}  // namespace
}  // namespace tabrix::bookapi::test
