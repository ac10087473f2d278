// Rows, columns and blocks inserted, deleted, cleared, copied and pasted: cells, runs,
// formula references, row settings, column ranges, merged ranges and keywords move together,
// and a refused call leaves the sheet exactly as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/token_walker.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTokensAt = 22;

class RowColumnOpsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h_ = XM_Create97(folder_.file("ops.xls").c_str(), 2);
        ASSERT_GE(h_, 0);
    }
    void TearDown() override { XM_Cancel(h_); }

    Sheet &sheet(int32_t s = 0) { return *workbook_at(h_)->sheets[static_cast<size_t>(s)]; }

    // The record covering (column, row): its number, or 0 when there is none.
    uint16_t number_at(uint8_t column, uint16_t row, int32_t s = 0) {
        CellView view;
        return sheet(s).cells.find(row, column, &view) ? view.number : 0;
    }
    int32_t int_at(uint8_t column, uint16_t row, int32_t s = 0) {
        int32_t integer = -1;
        double number = 0;
        const int32_t kind =
            XM_GetCellData(h_, s, column, row, &integer, &number, nullptr, 0, nullptr);
        return kind == 1 ? integer : kind == 2 ? static_cast<int32_t>(number) : -1;
    }
    Bytes tokens_at(uint8_t column, uint16_t row, int32_t s = 0) {
        CellView view;
        if (!sheet(s).cells.find(row, column, &view) || view.number != rec::kFormula) return {};
        const auto data = view.data();
        return Bytes(data.begin() + kTokensAt, data.begin() + kTokensAt + load_u16(&data[20]));
    }
    // Everything of a sheet that these calls may change, as text.
    std::string snapshot(int32_t s = 0) {
        std::ostringstream out;
        sheet(s).cells.for_each([&](const CellView &view) {
            for (uint8_t b : view.image) out << int(b) << ',';
            out << '|';
            return true;
        });
        for (const auto &[row, setting] : sheet(s).rows_columns.row_settings) {
            out << 'r' << row << ':' << setting.height << ',';
        }
        for (const ColumnInfo &c : sheet(s).rows_columns.columns) {
            out << 'c' << c.first << '-' << c.last << ':' << c.width << ',';
        }
        for (const MergedRange &m : sheet(s).merged) {
            out << 'm' << m.first_row << ',' << m.last_row << ',' << m.first_column << ','
                << m.last_column << ';';
        }
        for (const KeywordEntry &k : sheet(s).keywords) out << 'k' << k.row << ',' << k.column;
        out << "b" << int(sheet(s).copy_buffer.kind) << ',' << sheet(s).copy_buffer.cells.size();
        return out.str();
    }
    void store(const Bytes &image, int32_t s = 0) { ASSERT_EQ(sheet(s).cells.insert(image), 0); }

    TempFolder folder_;
    int32_t h_ = -1;
};

// A reference token's row and column, as written by the compiler.
uint16_t ref_row(const Bytes &tokens) {
    return load_u16(&tokens.at(1));
}
uint8_t ref_column(const Bytes &tokens) {
    return tokens.at(3);
}

// A MULRK over columns first.. of a row, values 1, 2, ... (RK integers).
Bytes mulrk(uint16_t row, uint16_t first, uint16_t count) {
    Bytes image(4 + 6 + 6 * count);
    store_u16(&image[0], rec::kMulRk);
    store_u16(&image[2], static_cast<uint16_t>(image.size() - 4));
    store_u16(&image[4], row);
    store_u16(&image[6], first);
    for (uint16_t i = 0; i < count; ++i) {
        store_u16(&image[8 + 6 * i], 15);
        store_u32(&image[10 + 6 * i], static_cast<uint32_t>((i + 1) * 4 + 2));
    }
    store_u16(&image[image.size() - 2], static_cast<uint16_t>(first + count - 1));
    return image;
}

// A FORMULA at (column, row) with the given tokens, and optionally an ARRAY behind it.
Bytes formula(uint16_t row, uint16_t column, const Bytes &tokens, const Bytes &array = {}) {
    Bytes image(4 + 22);
    store_u16(&image[0], rec::kFormula);
    store_u16(&image[4], row);
    store_u16(&image[6], column);
    store_u16(&image[8], 15);
    store_u16(&image[24], static_cast<uint16_t>(tokens.size()));
    image.insert(image.end(), tokens.begin(), tokens.end());
    store_u16(&image[2], static_cast<uint16_t>(image.size() - 4));
    image.insert(image.end(), array.begin(), array.end());
    return image;
}

TEST_F(RowColumnOpsTest, RowInsertAndDeleteMoveRelativeAndAbsoluteReferences) {
    ASSERT_EQ(XM_WriteFunc(h_, 0, 1, 0, "A10"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 2, 0, "$A$10"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 3, 0, "SUM(A2:A5)"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 4, 0, "SUM(A:A)"), 0);
    ASSERT_EQ(XM_WriteInt(h_, 0, 0, 9, 7), 0);
    ASSERT_EQ(XM_SetRowHeight(h_, 0, 9, 30.0), 0);
    sheet().keywords.push_back({9, 0, 15, u"**k"});
    const uint8_t ref_code = tokens_at(1, 0).at(0);

    ASSERT_EQ(XM_RowInsert(h_, 0, 5, 1), 0);
    EXPECT_EQ(ref_row(tokens_at(1, 0)), 10);  // =A11
    EXPECT_EQ(ref_row(tokens_at(2, 0)), 10);  // =$A$11 too
    EXPECT_EQ(int_at(0, 10), 7);
    EXPECT_EQ(number_at(0, 9), 0);
    EXPECT_EQ(sheet().rows_columns.row_settings.count(10), 1u);
    EXPECT_EQ(sheet().keywords.at(0).row, 10);

    ASSERT_EQ(XM_RowDelete(h_, 0, 9, 1), 0);
    EXPECT_EQ(ref_row(tokens_at(1, 0)), 9);  // back to =A10
    EXPECT_EQ(int_at(0, 9), 7);

    // Deleting the referenced row turns the reference into its deleted form, same class.
    ASSERT_EQ(XM_RowDelete(h_, 0, 9, 1), 0);
    EXPECT_EQ(tokens_at(1, 0).at(0), deleted_reference_code(ref_code));
    EXPECT_TRUE(sheet().keywords.empty());
    EXPECT_TRUE(sheet().rows_columns.row_settings.empty());

    // An area losing its last rows keeps the rest; a whole column stays whole.
    ASSERT_EQ(XM_RowDelete(h_, 0, 3, 3), 0);
    const Bytes sum = tokens_at(3, 0);
    EXPECT_EQ(load_u16(&sum.at(1)), 1);  // A2:A3
    EXPECT_EQ(load_u16(&sum.at(3)), 2);
    const Bytes whole = tokens_at(4, 0);
    EXPECT_EQ(load_u16(&whole.at(1)), 0);
    EXPECT_EQ(load_u16(&whole.at(3)), 65535);
}

TEST_F(RowColumnOpsTest, ReferencesPushedOffTheSheet) {
    ASSERT_EQ(XM_WriteFunc(h_, 0, 0, 0, "SUM(A100:A65536)"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 0, 1, "IV1"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 1, 4, "A1"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 2, 4, "SUM(A1:A3)"), 0);
    const uint8_t ref_code = tokens_at(0, 1).at(0);
    const uint8_t area_code = tokens_at(2, 4).at(0);

    // An insert stops an area's end at the last row; a single reference goes.
    ASSERT_EQ(XM_RowInsert(h_, 0, 0, 1), 0);
    EXPECT_EQ(load_u16(&tokens_at(0, 1).at(1)), 100);
    EXPECT_EQ(load_u16(&tokens_at(0, 1).at(3)), 65535);
    ASSERT_EQ(XM_ColumnInsert(h_, 0, 1, 1), 0);
    EXPECT_EQ(tokens_at(0, 2).at(0), deleted_reference_code(ref_code));

    // A paste that moves references above the first row makes them errors, areas too.
    ASSERT_EQ(XM_BlockCopy(h_, 0, 2, 5, 2, 1, 2, 2), 0);
    EXPECT_EQ(tokens_at(2, 2).at(0), deleted_reference_code(ref_code));
    EXPECT_EQ(tokens_at(3, 2).at(0), deleted_reference_code(area_code));
    EXPECT_EQ(load_u16(&tokens_at(3, 5).at(3)), 3);  // the source keeps A2:A4
}

TEST_F(RowColumnOpsTest, MergedRangesFollowRowsAndStayWholeOnClear) {
    sheet().merged = {{1, 4, 1, 1}, {7, 7, 0, 2}, {10, 11, 0, 0}};
    ASSERT_EQ(XM_RowInsert(h_, 0, 2, 1), 0);  // inside B2:B5
    ASSERT_EQ(sheet().merged.size(), 3u);
    EXPECT_EQ(sheet().merged[0].last_row, 5);  // B2:B6
    EXPECT_EQ(sheet().merged[1].first_row, 8);

    // Clearing one row of a taller range keeps the range; a range wholly inside goes.
    ASSERT_EQ(XM_RowClear(h_, 0, 3, 1), 0);
    ASSERT_EQ(XM_RowClear(h_, 0, 8, 1), 0);
    ASSERT_EQ(sheet().merged.size(), 2u);
    EXPECT_EQ(sheet().merged[0].last_row, 5);

    // Deleting leaves A12:A12 as one cell: it goes; B2:B6 shrinks.
    ASSERT_EQ(XM_RowDelete(h_, 0, 11, 1), 0);
    ASSERT_EQ(XM_RowDelete(h_, 0, 2, 2), 0);
    ASSERT_EQ(sheet().merged.size(), 1u);
    EXPECT_EQ(sheet().merged[0].last_row, 3);
}

TEST_F(RowColumnOpsTest, ColumnsSplitRunsAndMoveRangesAndReferences) {
    store(mulrk(0, 1, 4));  // B1:E1 = 1..4
    sheet().merged = {{1, 1, 1, 3}};
    ASSERT_EQ(XM_SetColWidth(h_, 0, 2, 3, 20), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 0, 5, "C1+$D$1"), 0);

    ASSERT_EQ(XM_ColumnInsert(h_, 0, 2, 1), 0);
    EXPECT_EQ(number_at(1, 0), rec::kRk);  // B1 alone now
    EXPECT_EQ(number_at(2, 0), 0);
    EXPECT_EQ(number_at(3, 0), rec::kMulRk);
    EXPECT_EQ(int_at(5, 0), 4);
    EXPECT_EQ(sheet().merged[0].last_column, 4);  // B2:E2
    EXPECT_EQ(sheet().rows_columns.columns.at(0).first, 3);
    EXPECT_EQ(ref_column(tokens_at(0, 5)), 3);  // =D1
    EXPECT_EQ(tokens_at(0, 5).at(8), 4);        // =$E$1

    ASSERT_EQ(XM_ColumnDelete(h_, 0, 2, 1), 0);  // back
    EXPECT_EQ(int_at(2, 0), 2);
    EXPECT_EQ(sheet().merged[0].last_column, 3);
    ASSERT_EQ(XM_ColumnDelete(h_, 0, 2, 1), 0);  // C: B2:C2
    EXPECT_EQ(sheet().merged[0].last_column, 2);
    EXPECT_EQ(int_at(2, 0), 3);
    ASSERT_EQ(XM_ColumnDelete(h_, 0, 1, 3), 0);  // B..D: gone
    EXPECT_TRUE(sheet().merged.empty());
    EXPECT_EQ(number_at(1, 0), 0);
}

TEST_F(RowColumnOpsTest, BlockCopyPastesFormulasAndRunsManyTimes) {
    ASSERT_EQ(XM_WriteInt(h_, 0, 0, 0, 5), 0);
    store(mulrk(1, 0, 4));                            // A2:D2 = 1..4
    ASSERT_EQ(XM_WriteFunc(h_, 0, 1, 1, "A1+1"), 0);  // splits the run at B2
    ASSERT_EQ(XM_BlockCopy(h_, 0, 0, 0, 2, 2, 2, 2), 0);
    EXPECT_EQ(ref_row(tokens_at(3, 3)), 2);  // =C3+1 at D4
    EXPECT_EQ(ref_column(tokens_at(3, 3)), 2);
    EXPECT_EQ(int_at(2, 3), 1);     // the run's part inside the block
    EXPECT_EQ(number_at(4, 3), 0);  // and nothing of the part outside
    EXPECT_EQ(int_at(3, 1), 4);
    ASSERT_EQ(XM_BlockPaste(h_, 0, 10, 20), 0);
    ASSERT_EQ(XM_BlockPaste(h_, 0, 12, 20), 0);
    EXPECT_EQ(int_at(10, 20), 5);
    EXPECT_EQ(int_at(12, 20), 5);
    EXPECT_EQ(ref_column(tokens_at(13, 21)), 12);
}

TEST_F(RowColumnOpsTest, BlockClearKeepsWhatLiesOutside) {
    store(mulrk(2, 0, 6));  // A3:F3 = 1..6
    sheet().merged = {{0, 1, 2, 3}, {1, 3, 3, 4}};
    sheet().keywords = {{2, 2, 15, u"**a"}, {2, 4, 15, u"**b"}};
    ASSERT_EQ(XM_BlockClear(h_, 0, 2, 0, 2, 5), 0);
    EXPECT_EQ(number_at(0, 2), rec::kMulRk);
    EXPECT_EQ(number_at(2, 2), 0);
    EXPECT_EQ(number_at(3, 2), 0);
    EXPECT_EQ(int_at(4, 2), 5);
    EXPECT_EQ(int_at(1, 2), 2);
    ASSERT_EQ(sheet().merged.size(), 1u);  // C1:D2 was inside; D2:E4 reaches out
    EXPECT_EQ(sheet().merged[0].first_column, 3);
    ASSERT_EQ(sheet().keywords.size(), 1u);
    EXPECT_EQ(sheet().keywords[0].column, 4);
    // Sizes far beyond the sheet stop at its edges.
    ASSERT_EQ(XM_BlockClear(h_, 0, 1, 2, INT32_MAX, INT32_MAX), 0);
    EXPECT_EQ(int_at(0, 2), 1);
    EXPECT_EQ(number_at(1, 2), 0);
}

TEST_F(RowColumnOpsTest, BufferKindsDecideWhichPasteWorks) {
    ASSERT_EQ(XM_RowPaste(h_, 0, 3), -1);  // empty
    ASSERT_EQ(XM_BlockPaste(h_, 0, 0, 3), -1);
    ASSERT_EQ(XM_WriteInt(h_, 0, 1, 0, 9), 0);
    ASSERT_EQ(XM_ColumnCopy(h_, 0, 1, -1), 0);
    EXPECT_EQ(XM_RowPaste(h_, 0, 3), -1);
    EXPECT_EQ(XM_ColumnPaste(h_, 0, 4), 0);
    EXPECT_EQ(int_at(4, 0), 9);
    EXPECT_EQ(XM_BlockPaste(h_, 1, 0, 0), -1);  // each sheet pastes from its own buffer
    EXPECT_EQ(XM_BlockCopyOnly(h_, 0, 0, 0, 0, 1), -1);
    EXPECT_EQ(sheet().copy_buffer.kind, CopyBuffer::kEmpty);  // a failed copy empties it
    EXPECT_EQ(XM_ColumnPaste(h_, 0, 4), -1);
}

TEST_F(RowColumnOpsTest, RowCopyCarriesHeightsAndCopyExPastesIntoAnotherSheet) {
    ASSERT_EQ(XM_WriteInt(h_, 0, 0, 2, 11), 0);
    ASSERT_EQ(XM_WriteInt(h_, 0, 0, 3, 12), 0);
    ASSERT_EQ(XM_SetRowHeight(h_, 0, 2, 40.0), 0);
    ASSERT_EQ(XM_RowCopy(h_, 0, 2, 6), 0);
    EXPECT_EQ(int_at(0, 6), 11);
    EXPECT_EQ(sheet().rows_columns.row_settings.at(6).height, 800);

    ASSERT_EQ(XM_WriteInt(h_, 1, 0, 5, 99), 0);
    ASSERT_EQ(XM_RowCopyEx(h_, 0, 2, 2, 1, 4), 0);
    EXPECT_EQ(int_at(0, 4, 1), 11);
    EXPECT_EQ(int_at(0, 5, 1), 12);
    EXPECT_EQ(sheet(1).rows_columns.row_settings.at(4).height, 800);
    // The source sheet's buffer, pasted again without copying.
    ASSERT_EQ(XM_RowCopyEx(h_, 0, -1, 2, 1, 10), 0);
    EXPECT_EQ(int_at(0, 11, 1), 12);
    EXPECT_EQ(XM_RowCopyEx(h_, 0, 2, 1, 2, 4), -6);
    EXPECT_EQ(XM_RowCopyEx(h_, 1, -1, 1, 0, 4), -1);  // sheet 2 holds no rows
}

TEST_F(RowColumnOpsTest, ArrayFormulasMoveTheirAnchorAndRange) {
    // {=A1:A2*2} over C5:C6: ptgExp to C5, ARRAY C5:C6 whose tokens hold a relative area.
    Bytes array_tokens = {0x65, 0, 0, 1, 0, 0x00, 0xC0, 0x00, 0xC0, 0x1E, 2, 0, 0x05};
    Bytes array(4 + 14);
    store_u16(&array[0], rec::kArray);
    store_u16(&array[4], 4);
    store_u16(&array[6], 5);
    array[8] = 2;
    array[9] = 2;
    store_u16(&array[16], static_cast<uint16_t>(array_tokens.size()));
    array.insert(array.end(), array_tokens.begin(), array_tokens.end());
    store_u16(&array[2], static_cast<uint16_t>(array.size() - 4));
    store(formula(4, 2, {0x01, 4, 0, 2, 0}, array));
    store(formula(5, 2, {0x01, 4, 0, 2, 0}));

    ASSERT_EQ(XM_RowInsert(h_, 0, 0, 2), 0);
    CellView view;
    ASSERT_TRUE(sheet().cells.find(6, 2, &view));
    EXPECT_EQ(load_u16(&view.data()[23]), 6);  // ptgExp row
    const auto carried = view.carried(rec::kArray);
    ASSERT_FALSE(carried.empty());
    EXPECT_EQ(load_u16(&carried[4]), 6);
    EXPECT_EQ(load_u16(&carried[6]), 7);
    EXPECT_EQ(load_u16(&carried[19]), 2);  // A3:A4 now
    EXPECT_EQ(load_u16(&tokens_at(2, 7).at(1)), 6);

    // Deleting part of the range would leave cells naming a gone anchor: refused.
    EXPECT_EQ(XM_RowDelete(h_, 0, 6, 1), -4);
    EXPECT_EQ(XM_ColumnDelete(h_, 0, 2, 1), 0);  // the whole range goes with its column
    EXPECT_EQ(XM_RowDelete(h_, 0, 6, 2), 0);
}

TEST_F(RowColumnOpsTest, RefusedCallsLeaveTheSheetUnchanged) {
    ASSERT_EQ(XM_WriteInt(h_, 0, 255, 3, 1), 0);
    ASSERT_EQ(XM_WriteInt(h_, 0, 0, 65535, 2), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 0, 1, 1, "A1"), 0);
    ASSERT_EQ(XM_SetRowHeight(h_, 0, 4, 20.0), 0);
    sheet().merged = {{1, 2, 1, 2}};
    ASSERT_EQ(XM_BlockCopyOnly(h_, 0, 250, 3, 6, 1), 0);
    const std::string before = snapshot();

    EXPECT_EQ(XM_RowInsert(h_, 0, 10, 1), -3);
    EXPECT_EQ(XM_ColumnInsert(h_, 0, 200, 1), -2);
    EXPECT_EQ(XM_BlockPaste(h_, 0, 251, 0), -2);
    EXPECT_EQ(XM_BlockCopy(h_, 0, 0, 65535, 1, 1, 0, 65536), -3);
    EXPECT_EQ(XM_RowDelete(h_, 0, 0, 0), -32);
    EXPECT_EQ(XM_RowDelete(h_, 0, 65535, 2), -32);
    EXPECT_EQ(XM_ColumnDelete(h_, 0, 3, 0), -1);
    EXPECT_EQ(XM_RowPaste(h_, 0, 7), -1);  // a block buffer
    EXPECT_EQ(XM_BlockClear(h_, 0, 0, 0, 0, 5), -1);
    EXPECT_EQ(XM_RowDelete(-1, 0, 1, 1), -2);
    EXPECT_EQ(XM_RowInsert(h_, 2, 1, 1), -4);
    ASSERT_EQ(XM_BlockCopyOnly(h_, 0, 250, 3, 6, 1), 0);
    EXPECT_EQ(snapshot(), before);

    // A formula the walker cannot step through refuses every moving call before any change.
    store(formula(30, 5, {0x1E, 1, 0, 0x00}), 1);
    ASSERT_EQ(XM_BlockCopyOnly(h_, 1, 5, 30, 1, 1), 0);
    const std::string with_bad = snapshot(1);
    EXPECT_EQ(XM_RowInsert(h_, 1, 0, 1), -4);
    EXPECT_EQ(XM_RowDelete(h_, 1, 0, 1), -4);
    EXPECT_EQ(XM_ColumnInsert(h_, 1, 0, 1), -4);
    EXPECT_EQ(XM_ColumnDelete(h_, 1, 0, 1), -4);
    EXPECT_EQ(XM_BlockPaste(h_, 1, 6, 30), -4);
    EXPECT_EQ(snapshot(1), with_bad);
}

TEST_F(RowColumnOpsTest, ReferencesFromOtherSheetsAndNamesAreCheckedFirst) {
    ASSERT_EQ(XM_SetRefSheet(h_, 1, "Sheet1"), 0);
    ASSERT_EQ(XM_WriteFunc(h_, 1, 0, 0, "Sheet1!$A$5"), 0);
    // A name whose expression runs past its record cannot be moved with the cells it names.
    Bytes name(15, 0);  // the header and the option byte
    name[3] = 1;        // one character
    name[4] = 40;       // an expression of 40 bytes that is not there
    name.push_back('X');
    workbook_at(h_)->external_references.append(rec::kName, name);
    const std::string before = snapshot(0) + snapshot(1);
    EXPECT_EQ(XM_RowInsert(h_, 0, 0, 1), -4);
    EXPECT_EQ(XM_ColumnDelete(h_, 0, 0, 1), -4);
    EXPECT_EQ(snapshot(0) + snapshot(1), before);

    workbook_at(h_)->external_references.records().pop_back();
    ASSERT_EQ(XM_RowInsert(h_, 0, 0, 1), 0);
    EXPECT_EQ(load_u16(&tokens_at(0, 0, 1).at(3)), 5);  // =Sheet1!$A$6
}

TEST_F(RowColumnOpsTest, Excel95RefusesAllButColumnClear) {
    const int32_t h = XM_Create(folder_.file("old.xls").c_str(), 1);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 1, 1, 3), 0);
    EXPECT_EQ(XM_RowInsert(h, 0, 0, 1), -6);
    EXPECT_EQ(XM_BlockCopy(h, 0, 0, 0, 1, 1, 2, 2), -6);
    EXPECT_EQ(XM_ColumnClear(h, 0, 1, 1), 0);
    EXPECT_TRUE(workbook_at(h)->sheets[0]->cells.empty());
    EXPECT_EQ(XM_ColumnClear(h, 1, 1, 1), -4);
    XM_Cancel(h);
    EXPECT_EQ(XM_RowInsert(h, 0, 0, 1), -3);
    EXPECT_EQ(XL_RowInsert(0, 0, 1), -3);
}

// The older layer's twins act on workbook 0, once it is the older layer's.
TEST(RowColumnOlderLayer, TwinsActOnWorkbookZero) {
    TempFolder folder;
    EXPECT_EQ(XL_RowInsert(0, 0, 1), -3);
    ASSERT_EQ(XL_Create97(folder.file("xl.xls").c_str(), 1), 0);
    ASSERT_EQ(XL_WriteInt(0, 0, 4), 0);
    EXPECT_EQ(XL_RowInsert(0, 0, 2), 0);
    EXPECT_EQ(XL_BlockCopy(0, 0, 2, 1, 1, 3, 3), 0);
    int32_t value = -1;
    EXPECT_EQ(XM_GetCellData(0, 0, 3, 3, &value, nullptr, nullptr, 0, nullptr), 1);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(XL_RowPaste(0, 0), -1);
    XL_Cancel();
}

}  // namespace
}  // namespace tabrix::engine::test
