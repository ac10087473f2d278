// Rows, columns and blocks through the Book API: positions parsed as by the value calls, the
// engine's buffer and count refusals read as each operation's own error.
#include <gtest/gtest.h>

#include <string>

#include "book_test_util.h"
#include "tabrix.h"

namespace tabrix::bookapi::test {
namespace {

class BlocksTest : public BookTest {
  protected:
    void SetUp() override { ASSERT_EQ(XlsCreateBook(file("b.xls").c_str(), 97, 2, nullptr), 1); }
    static int32_t value_at(const char *position) {
        int32_t value = -1;
        return XlsGetLong(&value, position) ? value : -1;
    }
};

TEST_F(BlocksTest, CopyPasteAndClearByPositionTexts) {
    ASSERT_EQ(XlsPutLong(4, "A1"), 1);
    ASSERT_EQ(XlsPutValue("=A1+1", "B2"), 1);
    ASSERT_EQ(XlsCopy("A1:B2", "C3"), 1);
    EXPECT_EQ(value_at("C3"), 4);
    ASSERT_EQ(XlsPaste("E5"), 1);  // the same buffer again
    EXPECT_EQ(value_at("E5"), 4);
    ASSERT_EQ(XlsClear("C3:D4,E5"), 1);
    EXPECT_EQ(value_at("C3"), -1);
    EXPECT_EQ(value_at("E5"), -1);
    EXPECT_EQ(value_at("A1"), 4);

    EXPECT_EQ(XlsClear("**nokey"), 0);
    EXPECT_EQ(error_no(), errPosition);
    EXPECT_EQ(XlsCopy("A1", "IW1"), 0);  // no such column: the text names no cell
    EXPECT_EQ(error_no(), errPosition);
}

TEST_F(BlocksTest, MinusOneBecomesTheOperationsOwnError) {
    ASSERT_EQ(XlsPutLong(7, "B1"), 1);
    EXPECT_EQ(XlsPaste("A5"), 0);
    EXPECT_EQ(error_no(), errPaste);
    ASSERT_EQ(XlsColumnCopy(1, -1), 1);
    EXPECT_EQ(XlsRowPaste(3), 0);
    EXPECT_EQ(error_no(), errPaste);
    ASSERT_EQ(XlsPaste("D2"), 1);  // any kind
    EXPECT_EQ(value_at("D2"), 7);
    ASSERT_EQ(XlsColumnPaste(5), 1);
    EXPECT_EQ(value_at("F1"), 7);

    EXPECT_EQ(XlsColumnDelete(2, 0), 0);
    EXPECT_EQ(error_no(), errDelete);
    EXPECT_EQ(XlsColumnInsert(2, 0), 0);
    EXPECT_EQ(error_no(), errInsert);
    EXPECT_EQ(XlsColumnClear(2, 0), 0);
    EXPECT_EQ(error_no(), errClear);
    EXPECT_EQ(XlsClear("A1:A1_[0:0]"), 1);
    EXPECT_EQ(XlsRowInsert(-1, 1), 0);  // other codes as they are
    EXPECT_EQ(error_no(), errPosition);

    ASSERT_EQ(XlsRowInsert(0, 2), 1);
    EXPECT_EQ(value_at("B3"), 7);
    ASSERT_EQ(XlsRowCopy(2, 6), 1);
    EXPECT_EQ(value_at("B7"), 7);
    ASSERT_EQ(XlsRowDelete(0, 2), 1);
    ASSERT_EQ(XlsRowClear(0, 1), 1);
    EXPECT_EQ(value_at("B1"), -1);
    EXPECT_EQ(value_at("B5"), 7);
}

TEST_F(BlocksTest, Excel95BooksTakeOnlyTheColumnClear) {
    ASSERT_EQ(XlsCreateBook(file("old.xls").c_str(), 95, 1, nullptr), 1);
    ASSERT_EQ(XlsPutLong(3, "B2"), 1);
    EXPECT_EQ(XlsRowInsert(0, 1), 0);
    EXPECT_EQ(error_no(), errMode);
    EXPECT_EQ(XlsCopy("B2", "C3"), 0);
    EXPECT_EQ(error_no(), errMode);
    EXPECT_EQ(XlsColumnClear(1, 1), 1);
    EXPECT_EQ(value_at("B2"), -1);
    XlsAllClose();
    EXPECT_EQ(XlsRowDelete(0, 1), 0);
    EXPECT_EQ(error_no(), errNotOpen);
}

}  // namespace
}  // namespace tabrix::bookapi::test
