// XM_WalkCellsW over a sheet made record by record: every kind of cell record, an embedded
// chart and a drawing object, walked in blocks of every size that holds a record.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/biff/record_numbers.h"
#include "template_stream.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

Bytes text16(std::string_view text) {
    Bytes out = u16s({static_cast<uint16_t>(text.size())});
    out.push_back(0);  // compressed: one byte a character
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes number(uint16_t row, uint16_t column, double value) {
    Bytes out = u16s({row, column, 15});
    put_f64(out, value);
    return out;
}

// A FORMULA whose result is a text (in the STRING after it), a boolean or an error.
Bytes formula(uint16_t row, uint16_t column, uint8_t type, uint8_t value) {
    Bytes out = u16s({row, column, 15});
    out.insert(out.end(), {type, 0, value, 0, 0, 0, 0xFF, 0xFF});
    put_u16(out, 0);
    put_u32(out, 0);
    return joined({out, u16s({3}), {0x1E, 1, 0}});  // =1
}

struct Cell {
    int32_t x, y, kind;
    double value;
    std::u16string text;
    bool operator==(const Cell &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Cell &cell) {
    return out << cell.x << "," << cell.y << " kind " << cell.kind << " " << cell.value << " \""
               << std::string(cell.text.begin(), cell.text.end()) << "\"";
}

// Sheet 0 holds every kind of cell, an embedded chart with a cell of its own, then an OBJ and
// a cell after it; sheet 1 is a chart sheet.
TemplateStream sample() {
    TemplateStream stream(true);
    stream.font(200);
    Bytes sst = {};
    put_u32(sst, 1);
    put_u32(sst, 1);
    stream.global(rec::kSst, joined({sst, text16("shared")}));
    stream.sheet("Cells");
    stream.record(rec::kNumber, number(0, 0, 1.25));
    Bytes rk = u16s({0, 1, 15});
    put_u32(rk, 7u << 2 | 2);  // the integer 7
    stream.record(rec::kRk, rk);
    stream.record(rec::kLabel, joined({u16s({0, 2, 15}), text16("plain")}));
    Bytes label_sst = u16s({0, 3, 15});
    put_u32(label_sst, 0);
    stream.record(rec::kLabelSst, label_sst);
    stream.record(rec::kBoolErr, u16s({1, 0, 15, 0x0001}));  // TRUE
    stream.record(rec::kBoolErr, u16s({1, 1, 15, 0x012A}));  // #N/A
    stream.record(rec::kBoolErr, u16s({1, 2, 15, 0x0133}));  // no error Excel knows
    stream.record(rec::kBlank, u16s({1, 3, 16}));
    Bytes mulrk = u16s({2, 0});
    for (const uint32_t value : {1u << 2 | 2, 2u << 2 | 2, 3u << 2 | 2}) {
        put_u16(mulrk, 15);
        put_u32(mulrk, value);
    }
    put_u16(mulrk, 2);
    stream.record(rec::kMulRk, mulrk);
    stream.record(rec::kFormula, formula(3, 0, 0, 0));
    stream.record(rec::kString, text16("ab"));
    stream.record(rec::kFormula, formula(3, 1, 1, 1));     // TRUE
    stream.record(rec::kFormula, formula(3, 2, 2, 0x07));  // #DIV/0!
    stream.record(rec::kBof, stream.bof(0x0020));
    stream.record(rec::kNumber, number(9, 9, 99));
    stream.record(rec::kEof, {});
    stream.record(rec::kNumber, number(4, 0, -0.5));
    stream.record(rec::kObj, Bytes(4, 0));
    stream.record(rec::kNumber, number(5, 0, 5));
    stream.sheet("Chart", 0x0200, 0x0020);
    return stream;
}

const std::vector<Cell> kExpected = {
    {0, 0, 2, 1.25, u""},    {1, 0, 1, 7, u""},        {2, 0, 4, 0, u"plain"},
    {3, 0, 4, 0, u"shared"}, {0, 1, 3, -1, u"TRUE"},   {1, 1, 3, 7, u"#N/A"},
    {2, 1, 3, 0, u""},       {3, 1, 0, 0, u""},        {0, 2, 1, 1, u""},
    {1, 2, 1, 2, u""},       {2, 2, 1, 3, u""},        {0, 3, 4, 0, u"ab"},
    {1, 3, 3, -1, u"TRUE"},  {2, 3, 3, 2, u"#DIV/0!"}, {0, 4, 2, -0.5, u""},
};

class CellWalkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string path = folder_.file("walk.xls");
        auto file = platform::CompoundFile::create(path);
        ASSERT_TRUE(file);
        const Bytes bytes = sample().bytes();
        platform::Stream *stream = file->root().create_stream(u"Workbook");
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->write(bytes.data(), bytes.size()), bytes.size());
        ASSERT_EQ(file->commit(), platform::StorageStatus::ok);
        file.reset();
        h_ = XM_ReadOpen(path.c_str());
        ASSERT_GE(h_, 0);
    }
    void TearDown() override { reset_process_state(); }

    // Walks sheet 0 in blocks of the sizes given; the last result in *end.
    std::vector<Cell> walk(int32_t capacity, int32_t text_size, int32_t *end) {
        std::vector<XLWALKCELL> cells(static_cast<size_t>(capacity));
        std::u16string text(static_cast<size_t>(text_size), u'\0');
        std::vector<Cell> out;
        int32_t position = 0;
        for (int calls = 0; calls < 100; ++calls) {
            int32_t count = -1;
            position = XM_WalkCellsW(h_, 0, position, cells.data(), capacity, text.data(),
                                     text_size, &count);
            for (int32_t i = 0; i < count; ++i) {
                const XLWALKCELL &c = cells[static_cast<size_t>(i)];
                out.push_back({c.x, c.y, c.kind, c.value, text.substr(c.text, c.length)});
            }
            if (position <= 1) break;
        }
        *end = position;
        return out;
    }

    TempFolder folder_;
    int32_t h_ = -1;
};

TEST_F(CellWalkTest, EveryBlockSizeGivesTheSameCellsInStreamOrder) {
    int32_t end = 0;
    EXPECT_EQ(walk(64, 64, &end), kExpected);
    EXPECT_EQ(end, -1);  // stopped at the OBJ
    // Blocks that hold a MULRK and the longest text, or little more: every call stops
    // before a record that does not fit, and the next goes on there.
    for (int32_t capacity = 3; capacity <= 16; ++capacity) {
        for (const int32_t text_size : {7, 8, 12}) {
            EXPECT_EQ(walk(capacity, text_size, &end), kExpected) << capacity << " " << text_size;
            EXPECT_EQ(end, -1);
        }
    }
}

TEST_F(CellWalkTest, ARecordThatFitsNoEmptyBlockIsRefused) {
    int32_t end = 0;
    // The MULRK's three cells never fit two.
    const std::vector<Cell> before_mulrk = walk(2, 64, &end);
    EXPECT_EQ(end, -34);
    EXPECT_EQ(before_mulrk, std::vector<Cell>(kExpected.begin(), kExpected.begin() + 8));
    // "shared" never fits five units.
    EXPECT_EQ(walk(8, 5, &end).size(), 3u);
    EXPECT_EQ(end, -34);
}

TEST_F(CellWalkTest, BadArgumentsAndSheetsWithoutCells) {
    XLWALKCELL cells[4];
    char16_t text[8];
    int32_t count = 5;
    EXPECT_EQ(XM_WalkCellsW(h_, 1, 0, cells, 4, text, 8, &count), 0);  // the chart sheet
    EXPECT_EQ(count, 0);
    EXPECT_EQ(XM_WalkCellsW(h_, 2, 0, cells, 4, text, 8, &count), -34);
    EXPECT_EQ(XM_WalkCellsW(h_, -1, 0, cells, 4, text, 8, &count), -34);
    EXPECT_EQ(XM_WalkCellsW(h_, 0, 0, nullptr, 4, text, 8, &count), -34);
    EXPECT_EQ(XM_WalkCellsW(h_, 0, 0, cells, 0, text, 8, &count), -34);
    EXPECT_EQ(XM_WalkCellsW(h_, 0, 0, cells, 4, text, 8, nullptr), -34);
    // No text buffer: the cells before the first text.
    EXPECT_GT(XM_WalkCellsW(h_, 0, 0, cells, 4, nullptr, 0, &count), 1);
    EXPECT_EQ(count, 2);
    // Past the stream's end.
    EXPECT_EQ(XM_WalkCellsW(h_, 0, INT32_MAX, cells, 4, text, 8, &count), 0);
    EXPECT_EQ(count, 0);

    const int32_t made = XM_Create97(folder_.file("made.xls").c_str(), 1);
    ASSERT_GE(made, 0);
    EXPECT_EQ(XM_WalkCellsW(made, 0, 0, cells, 4, text, 8, &count), -6);
    EXPECT_EQ(XM_WalkCellsW(-1, 0, 0, cells, 4, text, 8, &count), -2);
    ASSERT_EQ(XM_ReadClose(h_), 0);
    EXPECT_EQ(XM_WalkCellsW(h_, 0, 0, cells, 4, text, 8, &count), -3);
}

}  // namespace
}  // namespace tabrix::engine::test
