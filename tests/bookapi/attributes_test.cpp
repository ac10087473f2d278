// Attribute setters, borders and the read-back calls: styles are checked in the file the book
// wrote, read again through XlsReadBook.
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "book_test_util.h"
#include "bookapi/books/book_registry.h"

namespace tabrix::bookapi::test {
namespace {

constexpr int32_t kThin = 0x01000000;

struct Look {
    XLATTR attr;
    char font[40] = "";
    double point = 0;
    int32_t colour = -9, style = -9, underline = -9;
};

class AttributesTest : public BookTest {
  protected:
    // Notes the XF of each cell, saves the book and reads the looks back from the file.
    std::map<std::string, Look> saved_looks(const std::vector<std::string> &cells) {
        std::map<std::string, int32_t> xfs;
        for (const std::string &cell : cells) xfs[cell] = XlsGetAttrNo(cell.c_str());
        EXPECT_EQ(XlsCloseBook(1), 1);
        EXPECT_EQ(XlsReadBook(path_.c_str(), nullptr), 1);
        std::map<std::string, Look> looks;
        for (const auto &[cell, xf] : xfs) {
            Look &look = looks[cell];
            EXPECT_GT(xf, 0) << cell;
            XM_InitAttr(&look.attr);
            XlsGetAttr(xf, &look.attr);
            XlsGetFont(look.attr.Font, look.font, sizeof look.font, &look.point, &look.colour,
                       &look.style, &look.underline);
        }
        return looks;
    }
    void create(int32_t version) {
        path_ = file("book" + std::to_string(version) + ".xls");
        ASSERT_EQ(XlsCreateBook(path_.c_str(), version, 1, nullptr), 1);
    }
    static int32_t engine_handle() { return current_book()->engine_handle; }

    std::string path_;
};

TEST_F(AttributesTest, SettersCombineOnOnePositionAndFontsMergeWithEachCell) {
    create(97);
    ASSERT_EQ(XlsPutFontName("Arial", "C4"), 1);
    ASSERT_EQ(XlsPutFontPoint(14, "C4"), 1);
    ASSERT_EQ(XlsPutFontColor(xcRed, "B2"), 1);  // another position: C4's block is dropped
    ASSERT_EQ(XlsPutFontStyle(xsBold, "B2"), 1);
    ASSERT_EQ(XlsPutFontStyle(xsBold, "B3"), 1);
    ASSERT_EQ(XlsPutFontColor(xcBlue, "C4"), 1);  // only the colour: name and size stay
    ASSERT_EQ(XlsPutBackColor(xcYellow, "E1,E3:F3"), 1);
    auto looks = saved_looks({"B2", "B3", "C4", "E1", "E3", "F3"});
    EXPECT_EQ((std::vector{looks["B2"].colour, looks["B2"].style}), (std::vector{10, 1}));
    EXPECT_EQ((std::vector{looks["B3"].colour, looks["B3"].style}), (std::vector{0, 1}));
    EXPECT_STREQ(looks["C4"].font, "Arial");
    EXPECT_EQ(looks["C4"].point, 14.0);
    EXPECT_EQ((std::vector{looks["C4"].colour, looks["C4"].style}), (std::vector{12, 0}));
    for (const char *cell : {"E1", "E3", "F3"})
        EXPECT_EQ((std::vector{looks[cell].attr.Pattern, looks[cell].attr.BackColor}),
                  (std::vector<int16_t>{1, 13}))
            << cell;
    EXPECT_EQ(XlsGetAttrNo("E2"), -1);  // the list's parts only
}

TEST_F(AttributesTest, Excel95ReadBackKeepsTheFieldsItHasNot) {
    create(95);
    ASSERT_EQ(XlsPutPosTurn(ptTurn90, "A2"), 1);
    ASSERT_EQ(XlsPutOverReturn(-1, "A2"), 1);
    const XLATTR attr = saved_looks({"A2"})["A2"].attr;
    EXPECT_EQ((std::vector{attr.Orient, attr.OverReturn, attr.Rotation, attr.Indent}),
              (std::vector<int16_t>{3, 1, 999, -1}));
}

TEST_F(AttributesTest, JointAndBoxesRefuseSingleCellsAndBoxesKeepThePosition) {
    create(97);
    EXPECT_EQ(XlsPutJoint(1, "A1"), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsPutJoint(-1, "A1:B2"), 1);
    ASSERT_EQ(XlsMove("H8"), 1);
    EXPECT_EQ(XlsPutBox(kThin | xcRed, btBox, "B4"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsPutBox(kThin | xcRed, btBox, "B4:D6"), 1);
    EXPECT_EQ(XlsGetAttrNo("C5"), -1);  // inside the outline nothing changed
    ASSERT_EQ(XlsPutLong(1, nullptr), 1);
    int32_t value = 0;
    EXPECT_EQ(XlsGetLong(&value, "H8"), 1);
    ASSERT_EQ(XlsPutBackColor(xcRed, "A7"), 1);
    ASSERT_EQ(XlsMove("Z1"), 1);
    ASSERT_EQ(XlsPutBackColor(0, "A7"), 1);  // removes the fill
    auto looks = saved_looks({"A1", "A7"});
    EXPECT_EQ(looks["A1"].attr.Joint, 1);
    EXPECT_EQ(looks["A7"].attr.Pattern, 0);
}

TEST_F(AttributesTest, FailuresAreReportedAndRefusedPositionsChangeNothing) {
    EXPECT_EQ(XlsPutFontColor(xcRed, "A1"), 0);
    EXPECT_EQ(error_no(), errNotOpen);
    EXPECT_EQ(XlsGetAttrNo("A1"), -1);
    EXPECT_EQ(XlsGetAttrCnt(nullptr, nullptr, nullptr), 0);
    create(95);
    EXPECT_EQ(XlsPutPattern(0x01000000, std::string(256, 'A').c_str()), 0);
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsPutBackColor(xcRed, "**nowhere"), 0);
    EXPECT_EQ(error_no(), errNoVariable);
    // A part off the sheet (Excel 95 has 16384 rows) refuses the whole position.
    for (const char *off : {"B2,A16385", "B2,A1_[0:-1]", "B2,IV1:IV2_[1:0]", "B2,Undefined"}) {
        EXPECT_EQ(XlsPutBackColor(xcRed, off), 0) << off;
        EXPECT_EQ(error_no(), errPosition) << off;
        EXPECT_EQ(XlsGetAttrNo("B2"), -1) << off;
        EXPECT_EQ(error_no(), errNoData);
    }
    // A cell whose font number names no FONT record (there is no font 4).
    XLATTR broken;
    XM_InitAttr(&broken);
    broken.Font = 4;
    ASSERT_EQ(XM_SetAttr(engine_handle(), 0, 2, 2, -XM_GetAttrNo2(engine_handle(), &broken)), 0);
    EXPECT_EQ(XlsPutFontColor(xcRed, "C3"), 0);
    EXPECT_EQ(error_no(), errAttrNo);
    // The colour stays pending for C3; elsewhere, without a font asked for, the font is not
    // read at all.
    EXPECT_EQ(XlsPutBackColor(xcRed, "C3"), 0);
    EXPECT_EQ(error_no(), errAttrNo);
    EXPECT_EQ(XlsPutBackColor(xcRed, "C3:C3"), 1);
    // Texts longer than the 64 bytes a book keeps are refused; names over 32 bytes are left.
    EXPECT_EQ(XlsPutFormat(std::string(65, '0').c_str(), "D4"), 0);
    EXPECT_EQ(error_no(), errLength);
    EXPECT_EQ(XlsPutFontName(std::string(40, 'N').c_str(), "D4"), 1);
    EXPECT_EQ(XlsGetAttrNo("**kw"), -1);
    EXPECT_EQ(error_no(), errPosition);
}

// A failing part refuses the whole call, also when cells were named before it.
TEST_F(AttributesTest, ASetterOrBoxWithAFailingPartChangesNoCell) {
    create(97);
    // The position, the setter's error and the box's (boxes look no keyword up).
    const std::tuple<const char *, int32_t, int32_t> failures[] = {
        {"B2:C3,E5:F6,**nowhere", errNoVariable, errPosition},
        {"B2:C3,E5:F6,A1_[0:-1]", errPosition, errPosition},
        {"B2:C3,E5:F6,A1;C3", errParam, errParam}};
    for (const auto &[position, setter_error, box_error] : failures) {
        EXPECT_EQ(XlsPutBackColor(xcRed, position), 0) << position;
        EXPECT_EQ(error_no(), setter_error) << position;
        EXPECT_EQ(XlsPutBox(kThin, btBox, position), 0) << position;
        EXPECT_EQ(error_no(), box_error) << position;
    }
    for (const char *cell : {"B2", "C3", "E5", "F6"}) EXPECT_EQ(XlsGetAttrNo(cell), -1) << cell;
}

TEST_F(AttributesTest, KeywordCellsAreStyledAtTheirOffset) {
    const std::string made = file("template.xls");
    ASSERT_EQ(XlsCreateBook(made.c_str(), 97, 1, nullptr), 1);
    ASSERT_EQ(XlsPutStr("**kw", "B2,D3"), 1);
    ASSERT_EQ(XlsCloseBook(1), 1);
    path_ = file("filled.xls");
    ASSERT_EQ(XlsOpenBook(path_.c_str(), made.c_str(), nullptr), 1);
    EXPECT_EQ(XlsPutJoint(1, "**kw"), 0);
    EXPECT_EQ(error_no(), errParam);
    // D3 comes first and would land on B3; B2 moved two left is off the sheet.
    EXPECT_EQ(XlsPutBackColor(xcRed, "**kw_[-2:0]"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsGetAttrNo("B3"), -1);
    EXPECT_EQ(XlsPutFontStyle(xsItalic, "**kw_[1:0]"), 1);
    auto looks = saved_looks({"C2", "E3"});
    EXPECT_EQ(looks["C2"].style, 2);
    EXPECT_EQ(looks["E3"].style, 2);
}

TEST_F(AttributesTest, ReadBackCallsAnswerFromTheFileWithinTheBuffers) {
    create(97);
    ASSERT_EQ(XlsPutFormat("0.000", "A1"), 1);
    ASSERT_EQ(XlsPutFontName("Courier New", "A1"), 1);
    ASSERT_EQ(XlsPutFontULine(fuDouble, "A1"), 1);
    auto looks = saved_looks({"A1"});
    EXPECT_EQ(looks["A1"].underline, 2);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(XlsGetFont(looks["A1"].attr.Font, buffer, 5, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(std::string(buffer, 6), std::string("Cour\0#", 6));
    EXPECT_EQ(XlsGetFormat(looks["A1"].attr.Format, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "0.000");
    EXPECT_EQ(XlsGetFormat(14, buffer, 3), 1);  // a built-in one, cut
    EXPECT_EQ(std::strlen(buffer), 2u);
    EXPECT_EQ(XlsGetAttrNo("A1"), -1);  // cells of a read book are not in memory
    EXPECT_EQ(error_no(), errMode);
    int32_t xfs = 0, formats = 0, fonts = 0;
    ASSERT_EQ(XlsGetAttrCnt(&xfs, &formats, &fonts), 1);
    EXPECT_EQ(error_no(), errMode);  // the reads leave the last error alone
    // The counts end exactly at the last record of each kind.
    XLATTR attr;
    XM_InitAttr(&attr);
    XlsGetAttr(xfs, &attr);
    EXPECT_EQ(attr.Font, -1);
    XlsGetAttr(xfs - 1, &attr);
    EXPECT_GE(attr.Font, 0);
    const int32_t last_font = fonts <= 4 ? fonts - 1 : fonts;  // there is no font 4
    int32_t colour = -9;
    XlsGetFont(last_font + 1, buffer, sizeof buffer, nullptr, &colour, nullptr, nullptr);
    EXPECT_EQ(colour, -9);
    XlsGetFont(last_font, buffer, sizeof buffer, nullptr, &colour, nullptr, nullptr);
    EXPECT_NE(colour, -9);
    EXPECT_EQ(formats, 12 + 1);  // the defaults and "0.000"
}

}  // namespace
}  // namespace tabrix::bookapi::test
