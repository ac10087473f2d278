// Row blocks at close: ROW records, cell records, DBCELL, and the INDEX and DIMENSIONS that
// describe them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

bool is_cell_record(uint16_t number) {
    return number == 0x0201 || number == 0x0203 || number == 0x027E || number == 0x00FD ||
           number == 0x0204 || number == 0x00BD || number == 0x00BE;
}

class CellAreaTest : public ::testing::Test {
  protected:
    int32_t create(bool biff8) {
        path_ = folder_.file("cells.xls");
        biff8_ = biff8;
        return biff8 ? XM_Create97(path_.c_str(), 1) : XM_Create(path_.c_str(), 1);
    }
    std::vector<StreamRecord> sheet_records(int32_t handle) {
        auto sections = split_sections(close_and_read(handle, path_, biff8_));
        EXPECT_GE(sections.size(), 2u);
        return sections.size() >= 2 ? sections[1] : std::vector<StreamRecord>{};
    }
    TempFolder folder_;
    std::string path_;
    bool biff8_ = true;
};

// Checks every DBCELL against the records around it, and the INDEX against the DBCELLs.
void check_blocks(const std::vector<StreamRecord> &sheet, bool biff8) {
    std::map<size_t, const StreamRecord *> by_offset;
    for (const StreamRecord &record : sheet) by_offset[record.offset] = &record;
    auto dbcells = all_of(sheet, 0x00D7);
    const StreamRecord *index = first_of(sheet, 0x020B);
    ASSERT_NE(index, nullptr);
    size_t first_offset = biff8 ? 16 : 12;
    ASSERT_EQ(index->data.size(), first_offset + 4 * dbcells.size());
    for (size_t b = 0; b < dbcells.size(); ++b) {
        EXPECT_EQ(index->u32(first_offset + 4 * b), dbcells[b]->offset) << "INDEX entry " << b;
        const StreamRecord &dbcell = *dbcells[b];
        size_t rows = (dbcell.data.size() - 4) / 2;
        size_t first_row_offset = dbcell.offset - dbcell.u32(0);
        ASSERT_TRUE(by_offset.count(first_row_offset));
        // The block's ROW records, then its cells.
        std::vector<uint16_t> row_numbers;
        for (size_t i = 0; i < rows; ++i) {
            const StreamRecord *row = by_offset[first_row_offset + 20 * i];
            ASSERT_NE(row, nullptr);
            ASSERT_EQ(row->number, 0x0208);
            row_numbers.push_back(row->u16(0));
        }
        // Each row's first cell, found by the offsets; rows without cells have none there.
        size_t cell = first_row_offset + 20;
        for (size_t i = 0; i < rows; ++i) {
            cell += dbcell.u16(4 + 2 * i);
            const StreamRecord *row = by_offset[first_row_offset + 20 * i];
            if (row->u16(4) == 0) continue;
            const StreamRecord *record = by_offset.count(cell) ? by_offset[cell] : nullptr;
            ASSERT_NE(record, nullptr) << "block " << b << " row " << i;
            EXPECT_TRUE(is_cell_record(record->number));
            EXPECT_EQ(record->u16(0), row_numbers[i]);
        }
    }
}

TEST_F(CellAreaTest, DbCellAndIndexOffsetsFindEveryRow) {
    for (bool biff8 : {true, false}) {
        SCOPED_TRACE(biff8 ? "BIFF8" : "BIFF5");
        int32_t h = create(biff8);
        ASSERT_EQ(h, 0);
        for (int r = 0; r < 70; ++r) {
            for (int c = 0; c <= r % 4; ++c)
                ASSERT_EQ(XM_WriteInt(h, 0, c + r % 3, r, r * 10 + c), 0);
        }
        ASSERT_EQ(XM_WriteStr(h, 0, 200, 1000, "far"), 0);
        auto sheet = sheet_records(h);
        auto dbcells = all_of(sheet, 0x00D7);
        EXPECT_EQ(dbcells.size(), 3u) << "71 rows make blocks of 32, 32 and 7";
        check_blocks(sheet, biff8);

        auto rows = all_of(sheet, 0x0208);
        ASSERT_EQ(rows.size(), 71u);
        // Row 5: columns 2..4 (5 % 3 = 2, 5 % 4 + 1 = 2 cells): first 2, last + 1 = 4.
        EXPECT_EQ(rows[5]->data, (std::vector<uint8_t>{5, 0, 2, 0, 4, 0, 0x0E, 0x01, 0, 0, 0, 0,
                                                       0x00, 0x01, 0x0F, 0x00}));
        const StreamRecord *index = first_of(sheet, 0x020B);
        const StreamRecord *dimensions = first_of(sheet, 0x0200);
        if (biff8) {
            EXPECT_EQ(index->u32(4), 0u);
            EXPECT_EQ(index->u32(8), 1001u);
            EXPECT_EQ(dimensions->u32(0), 0u);
            EXPECT_EQ(dimensions->u32(4), 1001u);
            EXPECT_EQ(dimensions->u16(8), 0);
            EXPECT_EQ(dimensions->u16(10), 201);
        } else {
            EXPECT_EQ(index->u16(4), 0);
            EXPECT_EQ(index->u16(6), 1001);
            EXPECT_EQ(dimensions->data,
                      (std::vector<uint8_t>{0, 0, 0xE9, 0x03, 0, 0, 201, 0, 0, 0}));
        }
    }
}

TEST_F(CellAreaTest, OutOfOrderWritesAreStoredInRowMajorOrder) {
    int32_t h = create(true);
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < 50; ++r) {
        for (int c = 0; c < 6; ++c) cells.emplace_back(r * 7 % 50, c * 37 % 256);
    }
    std::mt19937 random(7);
    std::shuffle(cells.begin(), cells.end(), random);
    for (auto [r, c] : cells) ASSERT_EQ(XM_WriteInt(h, 0, c, r, r * 1000 + c), 0);
    auto sheet = sheet_records(h);
    std::vector<std::pair<int, int>> stored;
    for (const StreamRecord &record : sheet) {
        if (record.number != 0x027E) continue;
        stored.emplace_back(record.u16(0), record.u16(2));
        EXPECT_EQ(record.u32(6) >> 2, record.u16(0) * 1000u + record.u16(2));
    }
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(stored, cells);
    check_blocks(sheet, true);
}

TEST_F(CellAreaTest, StoredRowSettingsJoinTheRowRecords) {
    int32_t h = create(true);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    sheet.rows_columns.row_settings[0] = {0, 0x0120, 15};    // hidden: written
    sheet.rows_columns.row_settings[1] = {270, 0x0100, 15};  // nothing special: dropped
    sheet.rows_columns.row_settings[3] = {400, 0x0140, 15};  // own height: written
    sheet.rows_columns.row_settings[5] = {500, 0x0140,
                                          15};  // row with cells: its values replace the defaults
    sheet.rows_columns.row_settings[9] = {270, 0x0100,
                                          15};  // after the last row with cells: written
    ASSERT_EQ(XM_WriteInt(h, 0, 1, 2, 1), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 4, 5, 2), 0);
    auto records = sheet_records(h);
    auto rows = all_of(records, 0x0208);
    std::vector<uint16_t> numbers;
    for (const auto *row : rows) numbers.push_back(row->u16(0));
    EXPECT_EQ(numbers, (std::vector<uint16_t>{0, 2, 3, 5, 9}));
    EXPECT_EQ(rows[0]->u16(6), 0);
    EXPECT_EQ(rows[0]->u16(12), 0x0120);
    EXPECT_EQ(rows[0]->u16(4), 0) << "no cells";
    EXPECT_EQ(rows[2]->u16(6), 400);
    EXPECT_EQ(rows[3]->u16(2), 4);
    EXPECT_EQ(rows[3]->u16(4), 5);
    EXPECT_EQ(rows[3]->u16(6), 500);
    EXPECT_EQ(rows[3]->u16(12), 0x0140);
    check_blocks(records, true);
    const StreamRecord *dimensions = first_of(records, 0x0200);
    EXPECT_EQ(dimensions->u32(0), 0u);
    EXPECT_EQ(dimensions->u32(4), 10u);
}

TEST_F(CellAreaTest, TallerDefaultRowsAreMarkedCustomHeight) {
    int32_t h = create(true);
    workbook_at(h)->sheets[0]->rows_columns.default_row_height = 300;
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 1), 0);
    auto records = sheet_records(h);
    auto rows = all_of(records, 0x0208);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->u16(6), 300);
    EXPECT_EQ(rows[0]->u16(12), 0x0140);
}

TEST_F(CellAreaTest, SheetWithOnlyRowSettingsWritesThemAll) {
    int32_t h = create(false);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    sheet.rows_columns.row_settings[4] = {270, 0x0100, 15};
    sheet.rows_columns.row_settings[6] = {300, 0x0140, 15};
    auto records = sheet_records(h);
    EXPECT_EQ(all_of(records, 0x0208).size(), 2u);
    EXPECT_EQ(all_of(records, 0x00D7).size(), 1u);
    check_blocks(records, false);
}

}  // namespace
}  // namespace tabrix::engine::test
