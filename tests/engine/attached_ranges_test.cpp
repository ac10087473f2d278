// Records built by hand that no other writer used here makes: hyperlinks over a range cut by
// a clear, frozen panes and the selection, validation formulas counted from an anchor that
// moves away from the cell they name, and records cut short, which refuse every call that
// would move them and leave the sheet as it was.
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

void put_range(Bytes &out, uint16_t first_row, uint16_t last_row, uint16_t first_column,
               uint16_t last_column) {
    for (const uint16_t value : {first_row, last_row, first_column, last_column}) {
        put_u16(out, value);
    }
}

// A DV with empty texts, one formula and one range.
Bytes dv(const Bytes &formula, uint16_t row, uint16_t first_column, uint16_t last_column) {
    Bytes out{0x07, 0x00, 0x0C, 0x00};
    for (int i = 0; i < 4; ++i) out.insert(out.end(), {0x01, 0x00, 0x00, 0x00});
    put_u16(out, static_cast<uint16_t>(formula.size()));
    put_u16(out, 0);
    out.insert(out.end(), formula.begin(), formula.end());
    out.insert(out.end(), {0x00, 0x00, 0x00, 0x00});
    put_u16(out, 1);
    put_range(out, row, row, first_column, last_column);
    return out;
}

Bytes dval(uint32_t count) {
    Bytes out(10, 0);
    put_u32(out, 0xFFFFFFFF);
    put_u32(out, count);
    return out;
}

class AttachedRangesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h_ = XM_Create97(folder_.file("attached.xls").c_str(), 1);
        ASSERT_GE(h_, 0);
    }
    void TearDown() override { XM_Cancel(h_); }

    Sheet &sheet() { return *workbook_at(h_)->sheets[0]; }
    std::vector<Record> &trailer() { return sheet().carried.trailer.records(); }

    TempFolder folder_;
    int32_t h_ = -1;
};

TEST_F(AttachedRangesTest, AClearCutsAHyperlinkIntoTheRectanglesAroundIt) {
    Bytes link;
    put_range(link, 0, 2, 0, 2);  // A1:C3
    link.insert(link.end(), {0xAA, 0xBB});
    Bytes tooltip{0x00, 0x08};
    put_range(tooltip, 0, 2, 0, 2);
    tooltip.insert(tooltip.end(), {0x41, 0x00});
    sheet().carried.trailer.append(rec::kHlink, link);
    sheet().carried.trailer.append(rec::kHlinkTooltip, tooltip);

    ASSERT_EQ(XM_BlockClear(h_, 0, 1, 1, 1, 1), 0);  // B2
    ASSERT_EQ(trailer().size(), 8u);
    const uint16_t expected[4][4] = {{0, 0, 0, 2}, {2, 2, 0, 2}, {1, 1, 0, 0}, {1, 1, 2, 2}};
    for (size_t i = 0; i < 4; ++i) {
        const Record &piece = trailer()[2 * i];
        const Record &tip = trailer()[2 * i + 1];
        ASSERT_EQ(piece.number, rec::kHlink);
        ASSERT_EQ(tip.number, rec::kHlinkTooltip);
        for (size_t f = 0; f < 4; ++f) {
            EXPECT_EQ(load_u16(&piece.data[2 * f]), expected[i][f]) << i;
            EXPECT_EQ(load_u16(&tip.data[2 + 2 * f]), expected[i][f]) << i;
        }
        EXPECT_EQ(piece.data.back(), 0xBB);
    }

    // Copying A1:B1 takes the part of the top piece inside it; the paste over A2:B2 first
    // drops the left piece there.
    ASSERT_EQ(XM_BlockCopy(h_, 0, 0, 0, 2, 1, 0, 1), 0);
    size_t on_a2 = 0;
    for (const Record &record : trailer()) {
        if (record.number != rec::kHlink || load_u16(&record.data[0]) != 1) continue;
        ++on_a2;
        if (load_u16(&record.data[4]) == 0) {
            EXPECT_EQ(load_u16(&record.data[6]), 1);
        }
    }
    EXPECT_EQ(on_a2, 2u);  // A2:B2 pasted, C2 kept
    ASSERT_EQ(XM_ColumnDelete(h_, 0, 0, 3), 0);
    EXPECT_TRUE(trailer().empty());
}

TEST_F(AttachedRangesTest, FrozenPanesAndTheSelectionFollowRowsAndColumns) {
    sheet().window.options |= 0x0008;  // frozen
    Bytes pane;
    for (const uint16_t value : {1, 6, 6, 1}) put_u16(pane, value);  // after A and row 6
    pane.insert(pane.end(), {0x00, 0x00});
    sheet().window.pane = pane;
    Bytes selection{0x00};
    put_u16(selection, 7);  // active B8
    put_u16(selection, 1);
    put_u16(selection, 0);
    put_u16(selection, 1);
    put_u16(selection, 7);
    put_u16(selection, 8);
    selection.insert(selection.end(), {0x01, 0x02});  // B8:C9
    sheet().window.selection = selection;

    ASSERT_EQ(XM_RowInsert(h_, 0, 2, 3), 0);
    ASSERT_EQ(XM_RowInsert(h_, 0, 9, 1), 0);  // below the split: it stays
    ASSERT_EQ(XM_ColumnDelete(h_, 0, 0, 1), 0);
    const Bytes &moved_pane = *sheet().window.pane;
    EXPECT_EQ(load_u16(&moved_pane[0]), 0);  // the frozen column is gone
    EXPECT_EQ(load_u16(&moved_pane[2]), 9);
    EXPECT_EQ(load_u16(&moved_pane[4]), 9);
    EXPECT_EQ(load_u16(&moved_pane[6]), 0);
    const Bytes &moved = *sheet().window.selection;
    EXPECT_EQ(load_u16(&moved[1]), 11);  // B8 -> A12 after 3 + 1 rows
    EXPECT_EQ(load_u16(&moved[3]), 0);
    EXPECT_EQ(load_u16(&moved[9]), 11);
    EXPECT_EQ(load_u16(&moved[11]), 12);
    EXPECT_EQ(moved[13], 0);
    EXPECT_EQ(moved[14], 1);
}

TEST_F(AttachedRangesTest, ValidationFormulasCountFromTheirFirstCell) {
    // On C1:D1: =A1<$F$1, A1 written as two columns left of C1.
    const Bytes formula{0x4C, 0x00, 0x00, 0xFE, 0xC0, 0x44, 0x00, 0x00, 0x05, 0x00, 0x09};
    sheet().carried.trailer.append(rec::kDval, dval(2));
    sheet().carried.trailer.append(rec::kDv, dv(formula, 0, 2, 3));
    sheet().carried.trailer.append(rec::kDv, dv({0x1E, 0x01, 0x00}, 0, 7, 7));  // H1

    ASSERT_EQ(XM_ColumnInsert(h_, 0, 1, 1), 0);  // between A and C
    ASSERT_EQ(XM_ColumnDelete(h_, 0, 8, 1), 0);  // H, now I
    ASSERT_EQ(trailer().size(), 2u);
    EXPECT_EQ(load_u32(&trailer()[0].data[14]), 1u);
    const Bytes &moved = trailer()[1].data;
    const size_t at = 4 + 4 * 4 + 4;
    EXPECT_EQ(moved[at + 3], 0xFD);  // three columns left of D1
    EXPECT_EQ(moved[at + 8], 6);     // $G$1
    EXPECT_EQ(load_u16(&moved[moved.size() - 4]), 3);
    EXPECT_EQ(load_u16(&moved[moved.size() - 2]), 4);
}

TEST_F(AttachedRangesTest, RecordsCutShortRefuseEveryMove) {
    Bytes long_text = dv({0x1E, 0x01, 0x00}, 0, 0, 0);
    long_text[4] = 0x40;  // a first text running past the record
    Bytes long_ranges = dv({0x1E, 0x01, 0x00}, 0, 0, 0);
    long_ranges[long_ranges.size() - 9] = 2;  // two ranges, one written
    Bytes condfmt{0x01, 0x00, 0x01, 0x00};
    put_range(condfmt, 0, 0, 0, 0);
    put_u16(condfmt, 3);
    put_range(condfmt, 0, 0, 0, 0);
    Bytes cf{0x02, 0x00, 0x09, 0x00, 0x00, 0x00};
    cf.resize(14, 0);  // nine bytes of formula announced, two there
    const std::vector<std::pair<uint16_t, Bytes>> broken = {{rec::kHlink, Bytes(7, 0)},
                                                            {rec::kHlinkTooltip, Bytes(9, 0)},
                                                            {rec::kDval, Bytes(17, 0)},
                                                            {rec::kDv, long_text},
                                                            {rec::kDv, long_ranges},
                                                            {rec::kCondFmt, condfmt},
                                                            {rec::kCf, cf},
                                                            {rec::kAutoFilterInfo, Bytes(1, 0)}};
    for (const auto &[number, data] : broken) {
        RecordList &list =
            number == rec::kAutoFilterInfo ? sheet().carried.settings : sheet().carried.trailer;
        list.clear();
        list.append(number, data);
        EXPECT_EQ(XM_RowInsert(h_, 0, 0, 1), -4) << number;
        EXPECT_EQ(XM_RowDelete(h_, 0, 0, 1), -4) << number;
        EXPECT_EQ(XM_ColumnInsert(h_, 0, 0, 1), -4) << number;
        EXPECT_EQ(XM_ColumnDelete(h_, 0, 0, 1), -4) << number;
        ASSERT_EQ(list.records().size(), 1u);
        EXPECT_EQ(list.records()[0].data, data) << number;
        list.clear();
    }
    sheet().carried.trailer.append(rec::kHlink, Bytes(7, 0));
    EXPECT_EQ(XM_BlockClear(h_, 0, 0, 0, 1, 1), -4);
    EXPECT_EQ(XM_BlockCopy(h_, 0, 0, 0, 1, 1, 3, 3), -4);
    EXPECT_EQ(trailer().size(), 1u);
}

}  // namespace
}  // namespace tabrix::engine::test
