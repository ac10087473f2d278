#include "engine/cells/cell_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace tabrix::engine {
namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes &b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes &b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
uint16_t get16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t get32(std::span<const uint8_t> b, size_t at) {
    return get16(b, at) | static_cast<uint32_t>(get16(b, at + 2)) << 16;
}

Bytes record(uint16_t number, const Bytes &data) {
    Bytes b;
    put16(b, number);
    put16(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes blank(uint16_t row, uint16_t col, uint16_t xf) {
    Bytes d;
    put16(d, row), put16(d, col), put16(d, xf);
    return record(0x0201, d);
}

Bytes rk(uint16_t row, uint16_t col, uint16_t xf, uint32_t value) {
    Bytes d;
    put16(d, row), put16(d, col), put16(d, xf), put32(d, value);
    return record(0x027E, d);
}

Bytes number(uint16_t row, uint16_t col, uint16_t xf) {
    Bytes d;
    put16(d, row), put16(d, col), put16(d, xf);
    d.resize(14, 0x11);
    return record(0x0203, d);
}

Bytes mulblank(uint16_t row, uint16_t first, const std::vector<uint16_t> &xfs) {
    Bytes d;
    put16(d, row), put16(d, first);
    for (uint16_t xf : xfs) put16(d, xf);
    put16(d, static_cast<uint32_t>(first + xfs.size() - 1));
    return record(0x00BE, d);
}

// Cells as (XF, RK value).
Bytes mulrk(uint16_t row, uint16_t first, const std::vector<std::pair<uint16_t, uint32_t>> &cells) {
    Bytes d;
    put16(d, row), put16(d, first);
    for (auto [xf, value] : cells) put16(d, xf), put32(d, value);
    put16(d, static_cast<uint32_t>(first + cells.size() - 1));
    return record(0x00BD, d);
}

std::vector<Bytes> images(const CellStore &store) {
    std::vector<Bytes> out;
    store.for_each([&](const CellView &v) {
        out.emplace_back(v.image.begin(), v.image.end());
        return true;
    });
    return out;
}

std::vector<uint32_t> keys(const CellStore &store) {
    std::vector<uint32_t> out;
    store.for_each([&](const CellView &v) {
        out.push_back(cell_key(v.row, v.first_column, v.last_column));
        return true;
    });
    return out;
}

size_t sum_of_sizes(const CellStore &store) {
    size_t total = 0;
    store.for_each([&](const CellView &v) {
        total += v.image.size();
        return true;
    });
    return total;
}

TEST(CellStore, AppendsInRowMajorOrderAndHandsOutRows) {
    CellStore store;
    EXPECT_TRUE(store.empty());
    ASSERT_EQ(store.insert(blank(0, 0, 15)), 0);
    ASSERT_EQ(store.insert(number(0, 3, 16)), 0);
    ASSERT_EQ(store.insert(rk(2, 1, 17, 402)), 0);
    ASSERT_EQ(store.insert(mulblank(2, 4, {20, 21, 22})), 0);
    ASSERT_EQ(store.insert(blank(300, 255, 15)), 0);
    EXPECT_FALSE(store.empty());
    EXPECT_EQ(store.record_count(), 5u);
    EXPECT_EQ(store.byte_total(), 10u + 18u + 14u + 16u + 10u);
    EXPECT_EQ(keys(store),
              (std::vector<uint32_t>{cell_key(0, 0, 0), cell_key(0, 3, 3), cell_key(2, 1, 1),
                                     cell_key(2, 4, 6), cell_key(300, 255, 255)}));

    std::vector<RowView> rows;
    std::vector<Bytes> row_bytes;
    store.for_each_row([&](const RowView &r) {
        rows.push_back(r);
        row_bytes.emplace_back(r.bytes.begin(), r.bytes.end());
    });
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].row, 0);
    EXPECT_EQ(rows[0].first_column, 0);
    EXPECT_EQ(rows[0].last_column, 3);
    Bytes row0 = blank(0, 0, 15);
    Bytes n = number(0, 3, 16);
    row0.insert(row0.end(), n.begin(), n.end());
    EXPECT_EQ(row_bytes[0], row0);
    EXPECT_EQ(rows[1].row, 2);
    EXPECT_EQ(rows[1].first_column, 1);
    EXPECT_EQ(rows[1].last_column, 6);
    EXPECT_EQ(row_bytes[1].size(), 30u);
    EXPECT_EQ(rows[2].row, 300);
    EXPECT_EQ(rows[2].first_column, 255);
    EXPECT_EQ(rows[2].last_column, 255);

    int visited = 0;
    store.for_each([&](const CellView &) { return ++visited < 2; });
    EXPECT_EQ(visited, 2);
}

TEST(CellStore, OutOfOrderInsertsLandInKeyOrder) {
    CellStore store;
    ASSERT_EQ(store.insert(blank(5, 5, 15)), 0);
    ASSERT_EQ(store.insert(blank(10, 1, 15)), 0);
    ASSERT_EQ(store.insert(blank(0, 9, 15)), 0);      // new row before all others
    ASSERT_EQ(store.insert(blank(7, 0, 15)), 0);      // new row in the middle
    ASSERT_EQ(store.insert(blank(5, 0, 15)), 0);      // start of an existing row
    ASSERT_EQ(store.insert(blank(5, 9, 15)), 0);      // end of a row that is not the last
    ASSERT_EQ(store.insert(blank(5, 7, 15)), 0);      // middle of a row
    ASSERT_EQ(store.insert(blank(65535, 0, 15)), 0);  // last row of the sheet
    ASSERT_EQ(store.insert(blank(10, 0, 15)), 0);     // start of the previous tail row
    EXPECT_EQ(keys(store), (std::vector<uint32_t>{
                               cell_key(0, 9, 9), cell_key(5, 0, 0), cell_key(5, 5, 5),
                               cell_key(5, 7, 7), cell_key(5, 9, 9), cell_key(7, 0, 0),
                               cell_key(10, 0, 0), cell_key(10, 1, 1), cell_key(65535, 0, 0)}));
    EXPECT_EQ(store.record_count(), 9u);
    EXPECT_EQ(store.byte_total(), 90u);

    std::vector<std::pair<uint16_t, size_t>> rows;
    store.for_each_row([&](const RowView &r) { rows.emplace_back(r.row, r.bytes.size()); });
    EXPECT_EQ(rows, (std::vector<std::pair<uint16_t, size_t>>{
                        {0, 10}, {5, 40}, {7, 10}, {10, 20}, {65535, 10}}));
}

TEST(CellStore, SameKeyReplacesAndKeepsTheByteTotal) {
    CellStore store;
    ASSERT_EQ(store.insert(blank(1, 1, 15)), 0);
    ASSERT_EQ(store.insert(blank(1, 2, 15)), 0);
    ASSERT_EQ(store.insert(number(1, 1, 30)), 0);
    EXPECT_EQ(store.record_count(), 2u);
    EXPECT_EQ(store.byte_total(), 18u + 10u);
    CellView v;
    ASSERT_TRUE(store.find(1, 1, &v));
    EXPECT_EQ(v.number, 0x0203);
    EXPECT_EQ(v.xf(), 30);
    ASSERT_EQ(store.insert(rk(1, 1, 31, 6)), 0);
    EXPECT_EQ(store.byte_total(), 14u + 10u);
    EXPECT_EQ(images(store), (std::vector<Bytes>{rk(1, 1, 31, 6), blank(1, 2, 15)}));
    // The tail cell itself.
    ASSERT_EQ(store.insert(blank(1, 2, 40)), 0);
    EXPECT_EQ(images(store), (std::vector<Bytes>{rk(1, 1, 31, 6), blank(1, 2, 40)}));
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));
}

TEST(CellStore, DroppedRowsLeaveTheRestAndTheTailAppendable) {
    CellStore store;
    ASSERT_EQ(store.insert(blank(1, 0, 15)), 0);
    ASSERT_EQ(store.insert(mulblank(1, 2, {20, 21, 22})), 0);
    ASSERT_EQ(store.insert(rk(4, 3, 15, 6)), 0);
    ASSERT_EQ(store.insert(number(9, 0, 15)), 0);
    store.drop_row(1);
    store.drop_row(9);
    store.drop_row(200);  // never used: nothing happens
    EXPECT_EQ(images(store), (std::vector<Bytes>{rk(4, 3, 15, 6)}));
    EXPECT_EQ(store.record_count(), 1u);
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));
    // With the old tail gone, row 4 is the tail again and row 5 appends behind it.
    ASSERT_EQ(store.insert(blank(4, 7, 15)), 0);
    ASSERT_EQ(store.insert(blank(5, 0, 15)), 0);
    EXPECT_EQ(keys(store),
              (std::vector<uint32_t>{cell_key(4, 3, 3), cell_key(4, 7, 7), cell_key(5, 0, 0)}));
    CellView v;
    EXPECT_FALSE(store.find(1, 3, &v));
    store.drop_row(4);
    store.drop_row(5);
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(store.byte_total(), 0u);
}

TEST(CellStore, CellInsideMulBlankSplitsTheRun) {
    CellStore store;
    ASSERT_EQ(store.insert(blank(3, 0, 15)), 0);
    ASSERT_EQ(store.insert(mulblank(3, 2, {20, 21, 22, 23, 24})), 0);
    ASSERT_EQ(store.insert(blank(3, 8, 15)), 0);
    ASSERT_EQ(store.insert(number(3, 4, 40)), 0);
    EXPECT_EQ(images(store),
              (std::vector<Bytes>{blank(3, 0, 15), mulblank(3, 2, {20, 21}), number(3, 4, 40),
                                  mulblank(3, 5, {23, 24}), blank(3, 8, 15)}));
    EXPECT_EQ(store.record_count(), 5u);
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));
}

TEST(CellStore, SplitsAtARunsEndsLeaveSingleCellRecords) {
    CellStore store;
    ASSERT_EQ(store.insert(mulblank(0, 2, {20, 21, 22})), 0);
    ASSERT_EQ(store.insert(number(0, 2, 40)), 0);  // first column
    EXPECT_EQ(images(store), (std::vector<Bytes>{number(0, 2, 40), mulblank(0, 3, {21, 22})}));
    ASSERT_EQ(store.insert(number(0, 4, 41)), 0);  // last column of what is left
    EXPECT_EQ(images(store),
              (std::vector<Bytes>{number(0, 2, 40), blank(0, 3, 21), number(0, 4, 41)}));
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));

    CellStore middle;
    ASSERT_EQ(middle.insert(mulrk(9, 10, {{20, 2}, {21, 6}, {22, 10}})), 0);
    ASSERT_EQ(middle.insert(blank(9, 11, 15)), 0);
    EXPECT_EQ(images(middle),
              (std::vector<Bytes>{rk(9, 10, 20, 2), blank(9, 11, 15), rk(9, 12, 22, 10)}));
    EXPECT_EQ(middle.record_count(), 3u);
    EXPECT_EQ(middle.byte_total(), 38u);
}

TEST(CellStore, MulRkSplitKeepsValuesAndXfs) {
    CellStore store;
    ASSERT_EQ(store.insert(mulrk(4, 1, {{20, 0x3FF00000}, {21, 6}, {22, 10}, {23, 14}})), 0);
    ASSERT_EQ(store.insert(blank(4, 2, 15)), 0);
    EXPECT_EQ(images(store), (std::vector<Bytes>{rk(4, 1, 20, 0x3FF00000), blank(4, 2, 15),
                                                 mulrk(4, 3, {{22, 10}, {23, 14}})}));
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));
}

TEST(CellStore, FindAnswersForEveryColumnOfARun) {
    CellStore store;
    ASSERT_EQ(store.insert(mulrk(7, 3, {{20, 2}, {21, 6}, {22, 10}})), 0);
    ASSERT_EQ(store.insert(mulblank(7, 10, {30, 31})), 0);
    CellView v;
    for (uint8_t col = 3; col <= 5; ++col) {
        ASSERT_TRUE(store.find(7, col, &v)) << int(col);
        EXPECT_EQ(v.number, 0x00BD);
        EXPECT_EQ(v.row, 7);
        EXPECT_EQ(v.first_column, 3);
        EXPECT_EQ(v.last_column, 5);
        EXPECT_EQ(v.xf_at(col), 20 + col - 3);
        EXPECT_EQ(v.image.size(), 4u + 6u + 18u);
    }
    ASSERT_TRUE(store.find(7, 11, &v));
    EXPECT_EQ(v.xf_at(11), 31);
    EXPECT_EQ(v.xf(), 30);
    EXPECT_FALSE(store.find(7, 2, &v));
    EXPECT_FALSE(store.find(7, 6, &v));
    EXPECT_FALSE(store.find(7, 12, &v));
    EXPECT_FALSE(store.find(6, 3, &v));
    EXPECT_FALSE(store.find(40000, 3, &v));
}

TEST(CellStore, RunImageReplacesCoveredCellsAndTrimsOverlappedRuns) {
    CellStore store;
    ASSERT_EQ(store.insert(mulblank(0, 0, {10, 11, 12})), 0);
    ASSERT_EQ(store.insert(blank(0, 4, 15)), 0);
    ASSERT_EQ(store.insert(number(0, 5, 16)), 0);
    ASSERT_EQ(store.insert(mulrk(0, 7, {{20, 2}, {21, 6}, {22, 10}})), 0);
    ASSERT_EQ(store.insert(mulblank(0, 2, {50, 51, 52, 53, 54, 55, 56})), 0);  // columns 2-8
    EXPECT_EQ(images(store),
              (std::vector<Bytes>{mulblank(0, 0, {10, 11}),
                                  mulblank(0, 2, {50, 51, 52, 53, 54, 55, 56}), rk(0, 9, 22, 10)}));
    EXPECT_EQ(store.record_count(), 3u);
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));

    // Inside a longer run: both ends survive.
    ASSERT_EQ(store.insert(mulblank(0, 4, {60, 61})), 0);
    EXPECT_EQ(images(store), (std::vector<Bytes>{mulblank(0, 0, {10, 11}), mulblank(0, 2, {50, 51}),
                                                 mulblank(0, 4, {60, 61}),
                                                 mulblank(0, 6, {54, 55, 56}), rk(0, 9, 22, 10)}));
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));
}

TEST(CellStore, OneCellRunImageIsStoredAsSingleCell) {
    CellStore store;
    ASSERT_EQ(store.insert(mulblank(2, 5, {33})), 0);
    ASSERT_EQ(store.insert(mulrk(2, 6, {{34, 14}})), 0);
    EXPECT_EQ(images(store), (std::vector<Bytes>{blank(2, 5, 33), rk(2, 6, 34, 14)}));
}

TEST(CellStore, RejectsMalformedImagesAndStaysUnchanged) {
    CellStore store;
    ASSERT_EQ(store.insert(blank(0, 0, 15)), 0);
    Bytes shorter = blank(1, 0, 15);
    shorter.pop_back();
    EXPECT_EQ(store.insert(shorter), -31);  // length field says 6, 5 bytes follow
    Bytes header_only = {0x01, 0x02, 0x00, 0x00};
    EXPECT_EQ(store.insert(header_only), -31);
    EXPECT_EQ(store.insert(Bytes{0x01}), -31);
    EXPECT_EQ(store.insert(Bytes{}), -31);
    Bytes trailing = blank(1, 0, 15);
    trailing.push_back(0);
    EXPECT_EQ(store.insert(trailing), -31);
    EXPECT_EQ(store.insert(blank(1, 256, 15)), -32);
    EXPECT_EQ(store.insert(blank(1, 0xFFFF, 15)), -32);

    Bytes run = mulblank(1, 2, {20, 21, 22});
    run[run.size() - 2] = 9;  // last column 9 for three cells
    EXPECT_EQ(store.insert(run), -31);
    run[run.size() - 2] = 1;  // last before first
    EXPECT_EQ(store.insert(run), -32);
    EXPECT_EQ(store.insert(mulblank(1, 254, {1, 2, 3})), -32);  // last column 256
    Bytes odd = mulblank(1, 2, {20, 21});
    odd.insert(odd.end() - 2, 0x00);  // a stray byte among the XFs
    odd[2] = static_cast<uint8_t>(odd.size() - 4);
    EXPECT_EQ(store.insert(odd), -31);
    Bytes no_cells = record(0x00BD, {1, 0, 2, 0, 2, 0});
    EXPECT_EQ(store.insert(no_cells), -31);

    EXPECT_EQ(images(store), (std::vector<Bytes>{blank(0, 0, 15)}));
    EXPECT_EQ(store.record_count(), 1u);
    EXPECT_EQ(store.byte_total(), 10u);
}

// Random single cells and runs against a plain map of (row, column) to (XF, value).
TEST(CellStore, StaysConsistentWithAModelUnderRandomInserts) {
    std::mt19937 random(12345);
    CellStore store;
    std::map<std::pair<int, int>, std::pair<uint16_t, uint32_t>> model;
    for (int step = 0; step < 3000; ++step) {
        const auto row = static_cast<uint16_t>(random() % 6);
        const int first = static_cast<int>(random() % 24);
        const int kind = static_cast<int>(random() % 4);
        const auto xf = static_cast<uint16_t>(random() % 100);
        if (kind == 0) {
            ASSERT_EQ(store.insert(blank(row, first, xf)), 0);
            model[{row, first}] = {xf, 0};
        } else if (kind == 1) {
            const uint32_t value = static_cast<uint32_t>(step) * 4 + 2;
            ASSERT_EQ(store.insert(rk(row, first, xf, value)), 0);
            model[{row, first}] = {xf, value};
        } else {
            const int count = 1 + static_cast<int>(random() % 6);
            std::vector<uint16_t> xfs;
            std::vector<std::pair<uint16_t, uint32_t>> cells;
            for (int i = 0; i < count; ++i) {
                const auto cell_xf = static_cast<uint16_t>(xf + i);
                const uint32_t value = kind == 3 ? static_cast<uint32_t>(step * 64 + i) : 0;
                xfs.push_back(cell_xf);
                cells.emplace_back(cell_xf, value);
                model[{row, first + i}] = {cell_xf, value};
            }
            ASSERT_EQ(
                store.insert(kind == 2 ? mulblank(row, first, xfs) : mulrk(row, first, cells)), 0);
        }
    }

    size_t records = 0;
    uint32_t previous_end = 0;
    bool first_record = true;
    store.for_each([&](const CellView &v) {
        const uint32_t start = v.row * 256u + v.first_column;
        EXPECT_TRUE(first_record || start >= previous_end) << "overlap or disorder at " << start;
        previous_end = v.row * 256u + v.last_column + 1;
        first_record = false;
        ++records;
        return true;
    });
    EXPECT_EQ(records, store.record_count());
    EXPECT_EQ(store.byte_total(), sum_of_sizes(store));

    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col < 32; ++col) {
            CellView v;
            const auto it = model.find({row, col});
            const bool found =
                store.find(static_cast<uint16_t>(row), static_cast<uint8_t>(col), &v);
            ASSERT_EQ(found, it != model.end()) << row << "," << col;
            if (!found) continue;
            EXPECT_EQ(v.xf_at(static_cast<uint8_t>(col)), it->second.first);
            if (v.number == 0x027E) {
                EXPECT_EQ(get32(v.data(), 6), it->second.second);
            }
            if (v.number == 0x00BD) {
                EXPECT_EQ(get32(v.data(), 6 + 6 * (col - v.first_column)), it->second.second);
            }
            if (v.number == 0x0201 || v.number == 0x00BE) {
                EXPECT_EQ(it->second.second, 0u);
            }
            EXPECT_EQ(get16(v.data(), 0), row);
        }
    }
}

TEST(CellStore, HoldsAMillionCellsInRowMajorOrder) {
    CellStore store;
    size_t expected = 0;
    for (uint32_t row = 0; row < 65536; ++row) {
        for (uint16_t col = 0; col < 16; ++col) {
            const Bytes image = col % 2 ? number(static_cast<uint16_t>(row), col, 15)
                                        : rk(static_cast<uint16_t>(row), col, 15, row * 4 + 2);
            ASSERT_EQ(store.insert(image), 0);
            expected += image.size();
        }
    }
    EXPECT_EQ(store.record_count(), 65536u * 16u);
    EXPECT_EQ(store.byte_total(), expected);
    size_t rows = 0;
    size_t bytes = 0;
    uint32_t previous = 0;
    store.for_each_row([&](const RowView &r) {
        EXPECT_TRUE(rows == 0 || r.row == previous + 1);
        previous = r.row;
        bytes += r.bytes.size();
        ++rows;
    });
    EXPECT_EQ(rows, 65536u);
    EXPECT_EQ(bytes, expected);
    CellView v;
    ASSERT_TRUE(store.find(40000, 6, &v));
    EXPECT_EQ(get32(v.data(), 6), 40000u * 4 + 2);
}

}  // namespace
}  // namespace tabrix::engine
