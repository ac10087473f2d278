// Deleting and copying sheets in Excel 95 renumbers the sheet numbers that 3-D references
// carry in formula tokens; a reference left with no sheet becomes its deleted form; a formula
// that cannot be walked refuses the call before anything changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTokensAt = 22;  // FORMULA data before the tokens

// The tokens of the formula at (column, row) of a sheet; empty when there is none.
Bytes tokens_at(int32_t h, int32_t sheet, uint8_t column, uint16_t row) {
    CellView view;
    if (!workbook_at(h)->sheets[static_cast<size_t>(sheet)]->cells.find(row, column, &view) ||
        view.number != rec::kFormula) {
        return {};
    }
    const auto data = view.data();
    return Bytes(data.begin() + kTokensAt, data.begin() + kTokensAt + load_u16(&data[20]));
}

// First and last sheet of the BIFF5 3-D reference at `at`, and its code.
struct Ref3d {
    uint8_t code;
    uint16_t first;
    uint16_t last;
    bool operator==(const Ref3d &) const = default;
};
Ref3d ref3d(const Bytes &tokens, size_t at) {
    return {tokens.at(at), load_u16(&tokens.at(at + 11)), load_u16(&tokens.at(at + 13))};
}

TEST(SheetFormulaReferences, Biff5DeleteMovesLaterSheetsDownAndMarksTheDeletedOnes) {
    TempFolder folder;
    const int32_t h = XM_Create(folder.file("delete5.xls").c_str(), 5);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2/Sheet3/Sheet4/Sheet5"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet4!B3*2"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 1, 0, "SUM(Sheet2:Sheet4!A1:B2)"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 2, 0, "Sheet2!A1"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 3, 0, "SUM(Sheet3!A1:B2)+Sheet3!A1"), 0);
    ASSERT_EQ(XM_SetRefSheet(h, 4, "Sheet4"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 4, 0, 0, "Sheet4!A1"), 0);
    const Bytes before = tokens_at(h, 0, 0, 0);
    ASSERT_EQ(ref3d(before, 0), (Ref3d{0x5A, 3, 3}));
    ASSERT_EQ(ref3d(tokens_at(h, 0, 3, 0), 0), (Ref3d{0x3B, 2, 2}));

    ASSERT_EQ(XM_SetDelSheet(h, 2, 1), 0);  // Sheet3

    const Bytes after = tokens_at(h, 0, 0, 0);
    EXPECT_EQ(ref3d(after, 0), (Ref3d{0x5A, 2, 2})) << "Sheet4 moved down";
    // Nothing else of the token changed: EXTERNSHEET index, reserved bytes, row and column.
    Bytes expected = before;
    expected[11] = expected[13] = 2;
    EXPECT_EQ(after, expected);
    EXPECT_EQ(ref3d(tokens_at(h, 0, 1, 0), 0), (Ref3d{0x3B, 1, 2})) << "span lost a sheet";
    EXPECT_EQ(ref3d(tokens_at(h, 0, 2, 0), 0), (Ref3d{0x5A, 1, 1})) << "before: kept";
    const Bytes gone = tokens_at(h, 0, 3, 0);
    EXPECT_EQ(ref3d(gone, 0), (Ref3d{0x3D, 0xFFFF, 0xFFFF})) << "area on the deleted sheet";
    EXPECT_EQ(ref3d(gone, 25), (Ref3d{0x5C, 0xFFFF, 0xFFFF})) << "value-class cell on it";
    EXPECT_EQ(ref3d(tokens_at(h, 3, 0, 0), 0), (Ref3d{0x5A, 2, 2})) << "formulas of every sheet";

    // A later delete leaves deleted references deleted.
    ASSERT_EQ(XM_SetDelSheet(h, 0, 1), 0);
    EXPECT_EQ(ref3d(tokens_at(h, 2, 0, 0), 0), (Ref3d{0x5A, 1, 1}));
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetFormulaReferences, Biff5CopyBeforeReferencedSheetsRaisesThem) {
    TempFolder folder;
    const int32_t h = XM_Create(folder.file("copy5.xls").c_str(), 3);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2/Sheet3"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet2!A1+Sheet3!A1"), 0);
    ASSERT_EQ(ref3d(tokens_at(h, 0, 0, 0), 18), (Ref3d{0x5A, 2, 2}));

    ASSERT_EQ(XM_CopySheet(h, 0, 3, nullptr), 0) << "appended: no sheet moves";
    EXPECT_EQ(ref3d(tokens_at(h, 3, 0, 0), 0), (Ref3d{0x5A, 1, 1}));

    ASSERT_EQ(XM_CopySheet(h, 0, 1, "Copy"), 0);  // Sheet1, Copy, Sheet2, Sheet3, Sheet1 (2)
    for (int32_t sheet : {0, 1, 4}) {
        const Bytes tokens = tokens_at(h, sheet, 0, 0);
        EXPECT_EQ(ref3d(tokens, 0), (Ref3d{0x5A, 2, 2})) << sheet;
        EXPECT_EQ(ref3d(tokens, 18), (Ref3d{0x5A, 3, 3})) << sheet;
    }
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST(SheetFormulaReferences, Biff8TokensIndexTheTableAndStay) {
    TempFolder folder;
    const int32_t h = XM_Create97(folder.file("delete8.xls").c_str(), 4);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet3/Sheet4"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet4!A1+Sheet3!A1"), 0);
    const Bytes before = tokens_at(h, 0, 0, 0);
    ASSERT_EQ(XM_SetDelSheet(h, 1, 2), 0);
    ASSERT_EQ(XM_CopySheet(h, 0, 0, nullptr), 0);
    EXPECT_EQ(tokens_at(h, 1, 0, 0), before);
    EXPECT_EQ(tokens_at(h, 0, 0, 0), before);
    EXPECT_EQ(XM_Cancel(h), 0);
}

// A FORMULA record image at (column, row) holding `tokens` after its 22-byte head, with a
// token length field of `length`.
Bytes formula_image(uint16_t column, uint16_t row, const Bytes &tokens, uint16_t length) {
    Bytes data;
    put_u16(data, row);
    put_u16(data, column);
    put_u16(data, 15);
    data.insert(data.end(), 14, 0);
    put_u16(data, length);
    data.insert(data.end(), tokens.begin(), tokens.end());
    Bytes image;
    put_u16(image, rec::kFormula);
    put_u16(image, static_cast<uint16_t>(data.size()));
    image.insert(image.end(), data.begin(), data.end());
    return image;
}

TEST(SheetFormulaReferences, AFormulaThatCannotBeWalkedRefusesTheCallAndChangesNothing) {
    TempFolder folder;
    const int32_t h = XM_Create(folder.file("refuse5.xls").c_str(), 3);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet3"), 0);
    ASSERT_EQ(XM_WriteFunc(h, 0, 0, 0, "Sheet3!A1"), 0);
    const Bytes before = tokens_at(h, 0, 0, 0);
    Sheet &second = *workbook_at(h)->sheets[1];
    // An unknown token, and a length field running past the record.
    ASSERT_EQ(second.cells.insert(formula_image(0, 0, {0x1E, 1, 0, 0x30}, 4)), 0);
    ASSERT_EQ(second.cells.insert(formula_image(1, 0, {0x1E, 1, 0}, 9)), 0);

    EXPECT_EQ(XM_SetDelSheet(h, 0, 3), -34) << "the call's own checks come first";
    EXPECT_EQ(XM_SetDelSheet(h, 2, 1), -115);
    EXPECT_EQ(XM_CopySheet(h, 0, 0, nullptr), -115);
    EXPECT_EQ(XM_GetSheetCount(h), 3);
    EXPECT_EQ(tokens_at(h, 0, 0, 0), before);
    EXPECT_EQ(workbook_at(h)->sheets[0]->name, u"Sheet1");

    // A copy appended moves nothing, so it goes ahead.
    EXPECT_EQ(XM_CopySheet(h, 1, 3, nullptr), 0);
    ASSERT_EQ(XM_SetDelSheet(h, 3, 1), -115) << "Sheet2 still holds them";
    second.cells.drop_row(0);
    ASSERT_EQ(XM_SetDelSheet(h, 3, 1), 0) << "only the deleted copy holds them now";
    // Deleting the sheet that holds the only unwalkable formulas needs no walk of them.
    ASSERT_EQ(XM_CopySheet(h, 0, 1, "Bad"), 0);  // Sheet1, Bad, Sheet2, Sheet3
    Sheet &bad = *workbook_at(h)->sheets[1];
    bad.cells.drop_row(0);
    ASSERT_EQ(bad.cells.insert(formula_image(0, 0, {0x00}, 1)), 0);
    EXPECT_EQ(XM_SetDelSheet(h, 1, 1), 0);
    EXPECT_EQ(ref3d(tokens_at(h, 0, 0, 0), 0), (Ref3d{0x5A, 2, 2}));
    EXPECT_EQ(XM_Cancel(h), 0);
}

}  // namespace
}  // namespace tabrix::engine::test
