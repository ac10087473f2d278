// Read mode over workbook streams made by hand: Excel 95 code pages, damaged row-block
// indexes, embedded chart substreams, records cut short, and every call over cut and
// mutated streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/cell_fetch.h"
#include "engine/read/read_mode/sequential_walk.h"
#include "engine/read/read_mode/sheet_readback.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct Stream {
    Bytes bytes;
    size_t add(uint16_t number, const Bytes &data) {
        const size_t at = bytes.size();
        put_u16(bytes, number);
        put_u16(bytes, static_cast<uint16_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        return at;
    }
    void set_u32(size_t at, uint32_t value) { store_u32(&bytes[at], value); }
};

// Globals (with the given records) naming one sheet "S", whose BOF follows.
Stream one_sheet(bool biff8, const std::vector<std::pair<uint16_t, Bytes>> &globals = {}) {
    Stream s;
    s.add(rec::kBof, Bytes(biff8 ? 16 : 8, 0));
    for (const auto &[number, data] : globals) s.add(number, data);
    const size_t bound = s.add(rec::kBoundSheet, biff8 ? Bytes{0, 0, 0, 0, 0, 0, 1, 0, 'S'}
                                                       : Bytes{0, 0, 0, 0, 0, 0, 1, 'S'});
    s.add(rec::kEof, {});
    s.set_u32(bound + 4, static_cast<uint32_t>(s.bytes.size()));
    s.add(rec::kBof, Bytes(biff8 ? 16 : 8, 0));
    return s;
}

Bytes cell(uint16_t row, uint16_t column, Bytes value) {
    Bytes data;
    put_u16(data, row);
    put_u16(data, column);
    put_u16(data, 15);
    data.insert(data.end(), value.begin(), value.end());
    return data;
}

Bytes number(double value) {
    Bytes data;
    put_f64(data, value);
    return data;
}

Bytes row_record(uint16_t row) {
    Bytes data(16, 0);
    store_u16(data.data(), row);
    store_u16(data.data() + 6, 300);
    return data;
}

std::unique_ptr<Workbook> book_of(Bytes stream, bool biff8) {
    std::unique_ptr<WorkbookReader> reader;
    if (WorkbookReader::from_stream(std::move(stream), biff8, &reader) != 0) return nullptr;
    auto book = std::make_unique<Workbook>();
    book->format.biff8 = biff8;
    book->read_only = true;
    for (const SheetEntry &entry : reader->sheets()) {
        auto sheet = std::make_unique<Sheet>();
        sheet->name = entry.name;
        book->sheets.add(std::move(sheet));
    }
    book->source = std::move(reader);
    return book;
}

double number_at(Workbook &book, int32_t x, int32_t y, int32_t *rc) {
    int32_t kind = -1;
    double value = -99;
    *rc = read_cell(book, 0, x, y, &kind, &value, TextBuffer{});
    return value;
}

TEST(ReadStreams, Excel95TextsAreDecodedByTheFilesCodePage) {
    for (uint16_t code_page : {1252, 1200}) {
        Stream s =
            one_sheet(false, {{rec::kCodePage, {uint8_t(code_page), uint8_t(code_page >> 8)}}});
        s.add(rec::kLabel, cell(0, 0, {2, 0, 0xB1, 0xE9}));              // ±é
        s.add(rec::kRString, cell(0, 1, {1, 0, 0xD7, 0, 0}));            // ×, no runs
        Bytes text_result = cell(0, 2, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});  // then options, tokens
        text_result.resize(text_result.size() + 8, 0);
        s.add(rec::kFormula, text_result);
        s.add(rec::kString, {1, 0, 0xB0});  // °
        s.add(rec::kEof, {});
        auto book = book_of(s.bytes, false);
        ASSERT_TRUE(book);
        char narrow[16];
        int32_t kind = -1;
        EXPECT_EQ(read_cell(*book, 0, 0, 0, &kind, nullptr, TextBuffer{narrow, nullptr, 16}), 0);
        EXPECT_STREQ(narrow, "\x81\x7D?") << "± in code page 932, é has no form there";
        char16_t wide[16];
        EXPECT_EQ(
            cell_data(*book, 0, 0, 0, nullptr, nullptr, TextBuffer{nullptr, wide, 16}, nullptr), 4);
        EXPECT_EQ(std::u16string(wide), u"\u00B1\u00E9");
        EXPECT_EQ(read_cell(*book, 0, 1, 0, &kind, nullptr, TextBuffer{narrow, nullptr, 16}), 0);
        EXPECT_STREQ(narrow, "\x81\x7E");
        EXPECT_EQ(read_cell(*book, 0, 2, 0, &kind, nullptr, TextBuffer{narrow, nullptr, 16}), 0);
        EXPECT_STREQ(narrow, "\x81\x8B");
        WalkedCell walked;
        const int32_t next = walk_sheet(*book, 0, 0, walked);
        EXPECT_EQ(walked.text, u"\u00B1\u00E9");
        walk_sheet(*book, 0, walk_sheet(*book, 0, next, walked), walked);
        EXPECT_EQ(walked.text, u"\u00B0");
    }
}

// A sheet with an INDEX over rows 3-4 (one block, named `entries` times), cells in both rows
// and one in row 7 behind the block's DBCELL. `damage` changes the stream before it is read.
Bytes indexed_sheet(bool biff8, const std::function<void(Stream &, size_t index_at)> &damage,
                    size_t entries = 1) {
    Stream s = one_sheet(biff8);
    Bytes index((biff8 ? 16 : 12) + 4 * entries, 0);
    store_u16(&index[4], 3);
    store_u16(&index[biff8 ? 8 : 6], 5);
    const size_t index_at = s.add(rec::kIndex, index);
    const size_t first_row = s.add(rec::kRow, row_record(3));
    s.add(rec::kRow, row_record(4));
    s.add(rec::kNumber, cell(3, 1, number(3.5)));
    s.add(rec::kNumber, cell(4, 2, number(4.5)));
    const size_t dbcell = s.add(rec::kDbCell, {0, 0, 0, 0, 0, 0, 0, 0});
    s.set_u32(dbcell + 4, static_cast<uint32_t>(dbcell - first_row));
    for (size_t entry = 0; entry < entries; ++entry) {
        s.set_u32(index_at + 4 + (biff8 ? 16 : 12) + 4 * entry, static_cast<uint32_t>(dbcell));
    }
    s.add(rec::kNumber, cell(7, 0, number(7.5)));
    s.add(rec::kEof, {});
    damage(s, index_at + 4 + (biff8 ? 16 : 12));
    return s.bytes;
}

TEST(ReadStreams, ADamagedIndexFallsBackToTheWholeSheet) {
    for (bool biff8 : {false, true}) {
        int32_t rc = 0;
        auto sound = book_of(indexed_sheet(biff8, [](Stream &, size_t) {}), biff8);
        EXPECT_EQ(number_at(*sound, 2, 4, &rc), 4.5);
        EXPECT_EQ(rc, 0);
        number_at(*sound, 0, 7, &rc);
        EXPECT_EQ(rc, -7) << "below the rows the INDEX names";
        number_at(*sound, 2, 3, &rc);
        EXPECT_EQ(rc, -7);

        const std::vector<std::function<void(Stream &, size_t)>> damages{
            [](Stream &s, size_t at) { s.set_u32(at, 0x7FFFFFF0); },  // outside the stream
            [](Stream &s, size_t at) { s.set_u32(at, 2); },           // not a DBCELL
            [](Stream &s, size_t at) {  // the DBCELL leads back before the sheet
                const uint32_t dbcell = load_u32(&s.bytes[at]);
                s.set_u32(dbcell + 4, dbcell + 100);
            },
            [](Stream &s, size_t at) {  // the DBCELL leads back to a cell, not a ROW
                const uint32_t dbcell = load_u32(&s.bytes[at]);
                s.set_u32(dbcell + 4, 14 + 4);
            }};
        for (const auto &damage : damages) {
            auto book = book_of(indexed_sheet(biff8, damage), biff8);
            EXPECT_EQ(number_at(*book, 1, 3, &rc), 3.5);
            EXPECT_EQ(number_at(*book, 0, 7, &rc), 7.5);
            EXPECT_EQ(rc, 0);
            EXPECT_FALSE(book->read_state.sheets[0].indexed);
        }
        // One block named twice: blocks that share records are no index to trust.
        auto twice = book_of(indexed_sheet(
                                 biff8, [](Stream &, size_t) {}, 2),
                             biff8);
        EXPECT_EQ(number_at(*twice, 0, 7, &rc), 7.5);
        EXPECT_FALSE(twice->read_state.sheets[0].indexed);
    }
}

// Cells asked for in any order answer as the sheet holds them, whether its cell records come
// in row and column order or not: numbers, a MULRK run over columns 2-4 of row 1, and gaps.
TEST(ReadStreams, CellsAnswerInAnyOrderOfAsking) {
    struct Placed {
        uint16_t row, column;
        double value;
    };
    const std::vector<Placed> numbers{{0, 0, 1.5}, {0, 3, 2.5}, {1, 1, 3.5},
                                      {1, 6, 6.5}, {4, 0, 4.5}, {4, 7, 5.5}};
    std::map<std::pair<int32_t, int32_t>, double> expected;
    for (const Placed &p : numbers) expected[{p.column, p.row}] = p.value;
    Bytes run;  // integers 12, 13, 14 as RK values, each with its XF
    for (uint32_t column = 2; column <= 4; ++column) {
        put_u32(run, (10 + column) << 2 | 2);
        if (column < 4) put_u16(run, 15);
        expected[{column, 1}] = 10 + column;
    }
    put_u16(run, 4);
    for (const bool reversed : {false, true}) {
        Stream s = one_sheet(true);
        std::vector<std::pair<uint16_t, Bytes>> records;
        for (const Placed &p : numbers)
            records.push_back({rec::kNumber, cell(p.row, p.column, number(p.value))});
        records.insert(records.begin() + 3, {rec::kMulRk, cell(1, 2, run)});
        if (reversed) std::reverse(records.begin(), records.end());
        for (const auto &[record, data] : records) s.add(record, data);
        s.add(rec::kEof, {});
        auto book = book_of(s.bytes, true);
        ASSERT_TRUE(book);
        // Right to left and bottom up, then as a reader goes through a sheet.
        for (const bool backwards : {true, false}) {
            for (int32_t i = 0; i < 6 * 9; ++i) {
                const int32_t at = backwards ? 6 * 9 - 1 - i : i;
                const int32_t x = at % 9, y = at / 9;
                int32_t rc = 0;
                const double value = number_at(*book, x, y, &rc);
                const auto found = expected.find({x, y});
                if (found == expected.end()) {
                    EXPECT_EQ(rc, -7) << x << "," << y;
                } else {
                    EXPECT_EQ(rc, 0) << x << "," << y;
                    EXPECT_EQ(value, found->second) << x << "," << y;
                }
            }
        }
    }
}

TEST(ReadStreams, EmbeddedChartSubstreamsAreNotTheSheets) {
    Stream s = one_sheet(true);
    s.add(rec::kNumber, cell(0, 0, number(1)));
    s.add(rec::kBof, Bytes(16, 0));
    s.add(rec::kNumber, cell(0, 1, number(2)));
    s.add(rec::kProtect, {1, 0});
    s.add(rec::kEof, {});
    s.add(rec::kNumber, cell(0, 2, number(3)));
    s.add(rec::kEof, {});
    auto book = book_of(s.bytes, true);
    ASSERT_TRUE(book);
    EXPECT_FALSE(sheet_protected(*book->source, 0));
    int32_t rc = 0;
    EXPECT_EQ(number_at(*book, 2, 0, &rc), 3);
    number_at(*book, 1, 0, &rc);
    EXPECT_EQ(rc, -7);
    WalkedCell walked;
    int32_t position = walk_sheet(*book, 0, 0, walked);
    position = walk_sheet(*book, 0, position, walked);
    EXPECT_EQ(walked.number, 3);
    EXPECT_EQ(walk_sheet(*book, 0, position, walked), kWalkEnd);
}

TEST(ReadStreams, RecordsCutShortReadAsMissing) {
    Stream s = one_sheet(true);
    s.add(rec::kLabelSst, cell(0, 0, {9, 0, 0, 0}));  // no such shared string
    Bytes text_result = cell(0, 1, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    s.add(rec::kFormula, text_result);  // a text result without its STRING
    s.add(rec::kNumber, cell(0, 2, {1, 2, 3}));
    s.add(rec::kMulRk, {0, 0, 3, 0, 15, 0});  // shorter than one element
    s.add(rec::kBoolErr, cell(0, 4, {}));
    s.add(rec::kBlank, cell(0, 256, {}));  // off the grid
    s.add(rec::kRk, cell(0, 5, {2, 0, 0, 0}));
    s.add(rec::kEof, {});
    auto book = book_of(s.bytes, true);
    int32_t rc = 0;
    for (int32_t x = 0; x < 5; ++x) {
        number_at(*book, x, 0, &rc);
        EXPECT_EQ(rc, -7) << x;
    }
    EXPECT_EQ(number_at(*book, 5, 0, &rc), 0.0);
    WalkedCell walked;
    const int32_t position = walk_sheet(*book, 0, 0, walked);
    EXPECT_EQ(walked.column, 5) << "the unreadable records are stepped over";
    EXPECT_EQ(walk_sheet(*book, 0, position, walked), kWalkEnd);
}

// Every call on every cell of every sheet, and a whole walk of each sheet: the answers stay
// within what the calls may return, and each walk ends.
void read_everything(Workbook &book, size_t stream_size) {
    const int32_t sheets = static_cast<int32_t>(book.source->sheets().size());
    for (int32_t s = 0; s < sheets; ++s) {
        for (int32_t y = 0; y < 8; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                char text[8];
                int32_t kind = 0;
                double value = 0;
                const int32_t rc =
                    read_cell(book, s, x, y, &kind, &value, TextBuffer{text, nullptr, 8});
                ASSERT_TRUE(rc == 0 || rc == -7 || rc == -8) << rc;
                if (rc == 0 && kind == 1) {
                    ASSERT_LT(std::strlen(text), 8u);
                }
                cell_data(book, s, x, y, nullptr, nullptr, TextBuffer{text, nullptr, 8}, nullptr);
            }
            read_row_height(book, s, y);
            read_column_width(book, s, y);
        }
        int32_t columns = 0, rows = 0;
        ASSERT_LE(read_used_area(book, s, &columns, &rows), 0);
        PageSetupReadback page;
        read_page_setup(book, s, page);
        int32_t position = 0;
        WalkedCell walked;
        int steps = 0;
        for (; steps < 100000; ++steps) {
            const int32_t next = walk_sheet(book, s, position, walked);
            if (next == kWalkEnd || next == kWalkObjects) break;
            ASSERT_GE(next, position);
            ASSERT_LE(static_cast<size_t>(next), stream_size);
            position = next;
        }
        ASSERT_LT(steps, 100000) << "the walk did not end";
    }
}

TEST(ReadStreams, CutAndMutatedStreamsNeverUpsetTheCalls) {
    TempFolder folder;
    for (bool biff8 : {false, true}) {
        const std::string path = folder.file(biff8 ? "97.xls" : "95.xls");
        const int32_t h = biff8 ? XM_Create97(path.c_str(), 2) : XM_Create(path.c_str(), 2);
        for (int32_t row = 0; row < 40; row += 3) {
            XM_WriteInt(h, 0, row % 5, row, row);
            XM_WriteStr(h, 0, 1, row, "\x93\x8c\x8b\x9e text");
            XM_WriteDouble(h, 1, 2, row, row + 0.25);
        }
        XM_WriteFunc(h, 0, 4, 2, "=A1*2");
        XM_SetRowHeight(h, 0, 6, 20.0);
        XM_SetColWidth(h, 0, 1, 1, 12);
        ASSERT_EQ(XM_Close(h), 0);
        const Bytes sound = read_workbook_stream(path, biff8 ? u"Workbook" : u"Book");
        ASSERT_FALSE(sound.empty());
        for (size_t cut = 0; cut < sound.size(); cut += 7) {
            auto book = book_of(Bytes(sound.begin(), sound.begin() + cut), biff8);
            if (book) read_everything(*book, cut);
        }
        for (size_t at = 0; at + 4 <= sound.size(); at += 3) {
            for (uint32_t word : {0xFFFFFFFFu, 0x00000000u, 0x0000FFF0u}) {
                Bytes mutated = sound;
                store_u32(&mutated[at], word);
                auto book = book_of(std::move(mutated), biff8);
                if (book) read_everything(*book, sound.size());
                if (HasFatalFailure()) return;
            }
        }
    }
}

TEST(ReadStreams, MarginsReadBackInWholeMillimetres) {
    for (int32_t millimetres = 0; millimetres <= 1000; ++millimetres) {
        Stream s = one_sheet(true);
        s.add(rec::kTopMargin, number(millimetres / 25.4));
        s.add(rec::kSetup, Bytes(34, 0));
        s.add(rec::kEof, {});
        auto book = book_of(s.bytes, true);
        PageSetupReadback page;
        ASSERT_EQ(read_page_setup(*book, 0, page), 0);
        ASSERT_EQ(page.margins[1], millimetres);
        ASSERT_EQ(page.margins[0], 20);
    }
}

}  // namespace
}  // namespace tabrix::engine::test
