// Reading a book back: page setup and used area from its file, the cell walk, and where the
// current sheet's cells end.
#include <string>
#include <tuple>
#include <vector>

#include "book_test_util.h"

namespace tabrix::bookapi::test {
namespace {

using ReadingTest = BookTest;

using Walked = std::tuple<int32_t, int32_t, int32_t, double, std::string>;  // x, y, kind, ...

std::vector<Walked> walk_sheet() {
    std::vector<Walked> cells;
    int32_t position = 0;
    for (int guard = 0; guard < 100; ++guard) {
        int32_t x = -1, y = -1, xf = -1, kind = -1;
        double number = -1;
        char text[8] = {};
        position = XlsGetReadBin(position, &x, &y, &xf, &kind, &number, text, sizeof text);
        if (position <= 1) break;
        cells.emplace_back(x, y, kind, number, text);
    }
    EXPECT_EQ(position, 0);  // the sheet's end
    return cells;
}

TEST_F(ReadingTest, AWrittenBookReadsBackItsPageSetupUsedAreaAndCells) {
    for (int32_t version : {95, 2002}) {
        SCOPED_TRACE(version);
        const std::string path = file(std::to_string(version) + ".xls");
        ASSERT_EQ(XlsCreateBook(path.c_str(), version, 2, nullptr), 1);
        ASSERT_EQ(XlsPutStr("abc", "A1"), 1);
        ASSERT_EQ(XlsPutDouble(2.5, "B1"), 1);
        ASSERT_EQ(XlsPutLong(7, "D5"), 1);
        ASSERT_EQ(XlsPageMode(8, 80, 0, 10.0, 15.0), 1);
        ASSERT_EQ(XlsSetMargin(10, 15, 30, 35), 1);
        ASSERT_EQ(XlsCloseBook(1), 1);

        ASSERT_EQ(XlsReadBook(path.c_str(), nullptr), 1);
        int32_t paper = 0, scale = 0, orientation = -1, margins[4] = {};
        EXPECT_EQ(XlsGetPageMode(0, &paper, &scale, &orientation, margins), 1);
        EXPECT_EQ(std::tie(paper, scale, orientation), std::make_tuple(8, 80, 0));
        EXPECT_EQ(std::vector<int32_t>(margins, margins + 4),
                  (std::vector<int32_t>{10, 30, 15, 35}));
        EXPECT_EQ(XlsGetPageMode(2, &paper, &scale, &orientation, margins), 1);
        EXPECT_EQ(error_no(), errSheetNo);
        EXPECT_EQ(paper + scale + margins[0], 0);

        int32_t columns = 0, rows = 0;
        EXPECT_EQ(XlsGetMaxData(&columns, &rows), 1);
        EXPECT_EQ(std::tie(columns, rows), std::make_tuple(4, 5));
        EXPECT_EQ(
            walk_sheet(),
            (std::vector<Walked>{{0, 0, 1, 0.0, "abc"}, {1, 0, 2, 2.5, ""}, {3, 4, 2, 7.0, ""}}));
        char16_t wide[4] = {};
        EXPECT_GT(XlsGetReadBinW(0, nullptr, nullptr, nullptr, nullptr, nullptr, wide, 4), 1);
        EXPECT_EQ(std::u16string(wide), u"abc");
        EXPECT_EQ(XlsSheetNo(4), 0);
        EXPECT_EQ(XlsGetMaxData(&columns, &rows), 1);
        EXPECT_EQ(error_no(), errSheetNo);
        EXPECT_EQ(columns + rows, 0);
        EXPECT_EQ(XlsGetReadBin(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 1);
        ASSERT_EQ(XlsCloseBook(0), 1);
    }
}

TEST_F(ReadingTest, LastPositionOfTheCurrentSheet) {
    ASSERT_EQ(XlsCreateBook(file("a.xls").c_str(), 97, 1, nullptr), 1);
    int32_t x = 0, y = 0;
    EXPECT_EQ(XlsGetLastPos(&x, &y, 0, 0), 1);
    EXPECT_EQ(std::tie(x, y), std::make_tuple(-1, -1));
    EXPECT_EQ(error_no(), errNoData);
    ASSERT_EQ(XlsPutLong(1, "E2"), 1);
    ASSERT_EQ(XlsPutLong(1, "C5"), 1);
    EXPECT_EQ(XlsGetLastPos(&x, &y, 0, 1), 1);
    EXPECT_EQ(std::tie(x, y), std::make_tuple(2, 4));
    EXPECT_EQ(error_no(), 0);
    EXPECT_EQ(XlsGetLastPos(&x, &y, 0, 0), 1);
    EXPECT_EQ(std::tie(x, y), std::make_tuple(4, 4));
}

}  // namespace
}  // namespace tabrix::bookapi::test
