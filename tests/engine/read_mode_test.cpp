// Read mode over workbooks our own calls wrote: every kind of cell through XM_Read,
// XM_GetCellData and the sequential walk, the used area, sizes and page setup read back,
// and the handle's life.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/value_writes.h"
#include "engine/layout/page_setup.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/read/read_mode/sequential_walk.h"
#include "engine/read/read_mode/sheet_readback.h"
#include "platform/codepage.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

constexpr const char *kTokyo = "\x93\x8c\x8b\x9e";  // 東京

// A cell record whose data starts with row, column and XF (set by the write), then `value`;
// a MULRK or MULBLANK with row and column, then `value` (its elements and last column).
std::vector<uint8_t> image(uint16_t number, std::vector<uint8_t> value) {
    const size_t head = number == rec::kMulRk || number == rec::kMulBlank ? 4 : 6;
    std::vector<uint8_t> bytes(4 + head + value.size(), 0);
    store_u16(bytes.data(), number);
    store_u16(bytes.data() + 2, static_cast<uint16_t>(head + value.size()));
    std::copy(value.begin(), value.end(), bytes.begin() + 4 + head);
    return bytes;
}

std::vector<uint8_t> u32_bytes(uint32_t value) {
    std::vector<uint8_t> bytes;
    put_u32(bytes, value);
    return bytes;
}

void store(int32_t h, int32_t x, int32_t y, std::vector<uint8_t> bytes) {
    ASSERT_EQ(write_cell_image(book_ref(h), 0, x, y, bytes, 15), 0);
}

int32_t formula(int32_t h, int32_t x, int32_t y, int16_t kind, double value, const char *text) {
    FormulaResult result{};
    result.kind = kind;
    result.value = value;
    if (text) {
        result.length = static_cast<int16_t>(std::strlen(text));
        std::memcpy(result.text, text, std::strlen(text));
    }
    return XM_WriteFunc3(h, 0, x, y, "=1+1", 15, &result);
}

std::vector<uint8_t> file_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ReadModeTest : public ::testing::TestWithParam<bool> {
  protected:
    void TearDown() override { reset_process_state(); }

    // Every kind of cell on sheet 0, rows spread over several row blocks; sheet 1 holds a
    // number, then an OBJ record.
    int32_t write_sample(const std::string &path) {
        const int32_t h = GetParam() ? XM_Create97(path.c_str(), 2) : XM_Create(path.c_str(), 2);
        EXPECT_GE(h, 0);
        XM_WriteInt(h, 0, 0, 0, 42);
        XM_WriteInt(h, 0, 1, 0, -536870912);
        XM_WriteInt(h, 0, 2, 0, 536870912);  // beyond an RK integer: NUMBER
        XM_WriteDouble(h, 0, 3, 0, 0.1);
        store(h, 4, 0, image(rec::kRk, u32_bytes(12345 << 2 | 3)));  // 123.45
        store(h, 5, 0, image(rec::kRk, u32_bytes(0x3FF80000)));      // 1.5
        XM_WriteStr(h, 0, 0, 1, "plain");
        XM_WriteStr(h, 0, 1, 1, kTokyo);
        std::vector<uint8_t> mulrk;
        for (uint32_t rk : {7u << 2 | 2, 0x40040000u, 1u << 2 | 3}) {  // 7, 2.5, 0.01
            put_u16(mulrk, 15);
            put_u32(mulrk, rk);
        }
        put_u16(mulrk, 2);
        store(h, 0, 2, image(rec::kMulRk, mulrk));
        store(h, 0, 3, image(rec::kMulBlank, {15, 0, 15, 0, 1, 0}));
        store(h, 0, 4, image(rec::kBoolErr, {1, 0}));
        store(h, 1, 4, image(rec::kBoolErr, {0, 0}));
        store(h, 2, 4, image(rec::kBoolErr, {0x2A, 1}));  // #N/A
        store(h, 3, 4, image(rec::kBoolErr, {0x33, 1}));  // no error Excel knows
        EXPECT_EQ(formula(h, 0, 5, 0, 2.0, nullptr), 0);
        EXPECT_EQ(formula(h, 1, 5, 3, 0, "ab"), 0);
        EXPECT_EQ(formula(h, 2, 5, 1, 1, nullptr), 0);
        EXPECT_EQ(formula(h, 3, 5, 2, 0x07, nullptr), 0);  // #DIV/0!
        XM_WriteStr(h, 0, 0, 6, nullptr);                  // a single BLANK
        for (int32_t row = 10; row < 80; ++row) XM_WriteInt(h, 0, 1, row, row);
        XM_WriteInt(h, 0, 3, 5000, 5000);
        XM_WriteDouble(h, 1, 0, 0, 9.5);
        const uint8_t obj[4] = {};
        XM_WriteBin(h, 1, rec::kObj, 4, obj);
        XM_WriteInt(h, 1, 0, 1, 1);  // cells come before the records XM_WriteBin adds
        return h;
    }

    TempFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(Formats, ReadModeTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Excel97" : "Excel95"; });

struct Read {
    int32_t rc = 0;
    int32_t kind = -1;
    double value = -99;
    std::string text;
};

Read read(int32_t h, int32_t x, int32_t y, int32_t size = 64) {
    Read out;
    char buffer[64] = "untouched";
    out.rc = XM_Read(h, 0, x, y, &out.kind, &out.value, buffer, size);
    out.text = buffer;
    return out;
}

TEST_P(ReadModeTest, ReadsEveryKindAsTheTablesSay) {
    const std::string path = folder_.file("kinds.xls");
    ASSERT_EQ(XM_Close(write_sample(path)), 0);
    const int32_t h = XM_ReadOpen(path.c_str());
    ASSERT_GE(h, 0);

    // (column, row) -> XM_Read kind and value.
    const std::map<std::pair<int, int>, std::pair<int32_t, double>> numbers{
        {{0, 0}, {0, 42}},   {{1, 0}, {0, -536870912}}, {{2, 0}, {0, 536870912}},
        {{3, 0}, {0, 0.1}},  {{4, 0}, {0, 123.45}},     {{5, 0}, {0, 1.5}},
        {{0, 2}, {0, 7}},    {{1, 2}, {0, 2.5}},        {{2, 2}, {0, 0.01}},
        {{0, 4}, {2, -1.0}}, {{1, 4}, {2, 0.0}},        {{2, 4}, {2, 7.0}},
        {{0, 5}, {0, 2.0}},  {{2, 5}, {2, -1.0}},       {{3, 5}, {2, 2.0}},
        {{1, 79}, {0, 79}},  {{3, 5000}, {0, 5000}}};
    for (const auto &[at, expected] : numbers) {
        const Read got = read(h, at.first, at.second);
        EXPECT_EQ(got.rc, 0) << at.first << "," << at.second;
        EXPECT_EQ(got.kind, expected.first) << at.first << "," << at.second;
        EXPECT_DOUBLE_EQ(got.value, expected.second) << at.first << "," << at.second;
    }
    const SheetReadState &rows = workbook_at(h)->read_state.sheets.at(0);
    EXPECT_TRUE(rows.indexed) << "the rows were found through the INDEX";
    EXPECT_EQ(rows.blocks.size(), 3u);
    EXPECT_EQ(read(h, 0, 1).text, "plain");
    EXPECT_EQ(read(h, 1, 1).text, kTokyo);
    EXPECT_EQ(read(h, 1, 5).kind, 1);
    EXPECT_EQ(read(h, 1, 5).text, "ab");
    const Read blank = read(h, 1, 3);
    EXPECT_EQ(blank.rc, 0);
    EXPECT_EQ(blank.kind, 0);
    EXPECT_EQ(blank.value, -99) << "a blank leaves the value alone";

    EXPECT_EQ(read(h, 3, 4).rc, -8);
    EXPECT_EQ(read(h, 0, 6).rc, -7) << "a single BLANK is not a cell to the fetch";
    EXPECT_EQ(read(h, 2, 1).rc, -7);
    EXPECT_EQ(read(h, 1, 100).rc, -7);
    EXPECT_EQ(read(h, 0, 6000).rc, -7) << "below the last row";
    EXPECT_EQ(read(h, 256, 0).rc, -7);
    EXPECT_EQ(read(h, 0, -1).rc, -7);
    int32_t kind = 0;
    double value = 0;
    EXPECT_EQ(XM_Read(h, 1, 0, 0, &kind, &value, nullptr, 0), 0);
    EXPECT_EQ(value, 9.5);
    EXPECT_EQ(XM_Read(h, 2, 0, 0, &kind, &value, nullptr, 0), -34);
    EXPECT_EQ(XM_Read(h, -1, 0, 0, &kind, &value, nullptr, 0), -34);

    // The text is cut at whole characters and always ends inside the buffer.
    EXPECT_EQ(read(h, 1, 1, 4).text, "\x93\x8c");
    EXPECT_EQ(read(h, 1, 1, 3).text, "\x93\x8c");
    EXPECT_EQ(read(h, 1, 1, 2).text, "");
    EXPECT_EQ(read(h, 0, 1, 1).text, "");
    EXPECT_EQ(read(h, 0, 1, 0).text, "untouched");

    EXPECT_EQ(XM_ReadClose(h), 0);
    EXPECT_EQ(XM_Read(h, 0, 0, 0, &kind, &value, nullptr, 0), -3);
    EXPECT_EQ(XM_Read(-1, 0, 0, 0, &kind, &value, nullptr, 0), -2);
}

TEST_P(ReadModeTest, CellDataAnswersFromTheFileAndFromMemory) {
    const std::string path = folder_.file("data.xls");
    const int32_t written = write_sample(path);
    struct Answer {
        int32_t kind;
        int32_t integer = -99;
        double value = -99;
        std::u16string text;
        int32_t xf = -99;
    };
    auto ask = [](int32_t h, int32_t x, int32_t y, bool buffer = true) {
        Answer a{};
        a.integer = a.xf = -99;
        a.value = -99;
        char16_t text[16] = u"";
        a.kind =
            XM_GetCellDataW(h, 0, x, y, &a.integer, &a.value, buffer ? text : nullptr, 16, &a.xf);
        a.text = text;
        return a;
    };
    // In memory.
    EXPECT_EQ(ask(written, 0, 0).kind, 1);
    EXPECT_EQ(ask(written, 0, 0).integer, 42);
    EXPECT_EQ(ask(written, 0, 0).xf, 15);
    EXPECT_EQ(ask(written, 2, 2).kind, 2) << "an RK divided by 100 is no integer";
    EXPECT_DOUBLE_EQ(ask(written, 2, 2).value, 0.01);
    EXPECT_EQ(ask(written, 3, 0).kind, 2);
    EXPECT_EQ(ask(written, 1, 1).kind, 4);
    EXPECT_EQ(ask(written, 1, 1).text, u"\u6771\u4eac");
    EXPECT_EQ(ask(written, 1, 1, false).kind, -1);
    EXPECT_EQ(ask(written, 1, 5).text, u"ab") << "the STRING stored with the formula";
    EXPECT_EQ(ask(written, 0, 5).kind, 2);
    for (auto [x, y] : {std::pair{0, 4}, {2, 4}, {2, 5}, {3, 5}}) {
        EXPECT_EQ(ask(written, x, y).kind, -1) << x << "," << y;
    }
    EXPECT_EQ(ask(written, 0, 6).kind, 0);
    EXPECT_EQ(ask(written, 0, 3).kind, 0);
    EXPECT_EQ(ask(written, 7, 7).kind, -1);
    EXPECT_EQ(XM_GetCellData(written, 5, 0, 0, nullptr, nullptr, nullptr, 0, nullptr), -4);
    ASSERT_EQ(XM_Close(written), 0);

    // From the file: the reader's own kinds.
    const int32_t h = XM_ReadOpen(path.c_str());
    ASSERT_GE(h, 0);
    EXPECT_EQ(ask(h, 0, 0).kind, 1);
    EXPECT_EQ(ask(h, 0, 0).integer, 42);
    EXPECT_EQ(ask(h, 4, 0).kind, 2);
    EXPECT_EQ(ask(h, 0, 3).kind, 0);
    EXPECT_EQ(ask(h, 0, 4).kind, 3);
    EXPECT_EQ(ask(h, 0, 4).value, -1.0);
    EXPECT_EQ(ask(h, 2, 4).value, 7.0);
    EXPECT_EQ(ask(h, 3, 4).kind, -8);
    EXPECT_EQ(ask(h, 1, 1).kind, 4);
    EXPECT_EQ(ask(h, 1, 1).text, u"\u6771\u4eac");
    EXPECT_EQ(ask(h, 1, 1, false).kind, 5);
    EXPECT_EQ(ask(h, 0, 6).kind, -7);
    char narrow[8];
    EXPECT_EQ(XM_GetCellData(h, 0, 1, 1, nullptr, nullptr, narrow, 3, nullptr), 4);
    EXPECT_STREQ(narrow, "\x93\x8c");
    EXPECT_EQ(XM_GetCellData(h, 3, 0, 0, nullptr, nullptr, nullptr, 0, nullptr), -34);
}

TEST_P(ReadModeTest, WalkDeliversEveryCellOnceAsTheFetchReadsIt) {
    const std::string path = folder_.file("walk.xls");
    ASSERT_EQ(XM_Close(write_sample(path)), 0);
    const int32_t h = XM_ReadOpen(path.c_str());
    ASSERT_GE(h, 0);
    Workbook &book = *workbook_at(h);
    std::map<std::pair<int, int>, WalkedCell> walked;
    int32_t position = 0;
    int steps = 0;
    WalkedCell cell;
    while ((position = walk_sheet(book, 0, position, cell)) > 1 && ++steps < 1000) {
        EXPECT_TRUE(walked.emplace(std::pair{cell.column, cell.row}, cell).second)
            << "twice: " << cell.column << "," << cell.row;
    }
    EXPECT_EQ(position, kWalkEnd);
    // 6 + 2 + 3 + 2 + 4 + 4 + 1 + 70 + 1 cells.
    EXPECT_EQ(walked.size(), 93u);
    for (const auto &[at, got] : walked) {
        const Read fetched = read(h, at.first, at.second);
        if (fetched.rc != 0) continue;  // the BLANK, the unknown error
        if (fetched.kind == 1) {
            EXPECT_EQ(got.kind, kWalkText);
            EXPECT_EQ(platform::utf16_to_cp932(got.text), fetched.text);
        } else if (fetched.kind == 0 && got.kind == kWalkNumber) {
            EXPECT_DOUBLE_EQ(got.number, fetched.value) << at.first << "," << at.second;
        }
    }
    auto text_at = [&](int x, int y) { return walked.at({x, y}).text; };
    EXPECT_EQ(text_at(0, 4), u"TRUE ");
    EXPECT_EQ(text_at(1, 4), u"FALSE");
    EXPECT_EQ(text_at(2, 4), u"#N/A   ");
    EXPECT_EQ(text_at(3, 4), u"");
    EXPECT_EQ(text_at(2, 5), u"TRUE");
    EXPECT_EQ(text_at(3, 5), u"#DIV/0!");
    EXPECT_EQ(walked.at({0, 6}).kind, kWalkBlank);
    EXPECT_EQ(walked.at({1, 3}).kind, kWalkBlank);
    EXPECT_EQ(walked.at({1, 2}).kind, kWalkNumber);

    // Sheet 1: its cells, then the OBJ ends the walk.
    int32_t column = -1, row = -1, xf = -1, kind = -1;
    double number = 0;
    char text[8];
    position = walk_sheet_into(book, 1, -5, &column, &row, &xf, &kind, &number,
                               TextBuffer{text, nullptr, 8});
    EXPECT_GT(position, 1);
    EXPECT_EQ(number, 9.5);
    EXPECT_EQ(kind, kWalkNumber);
    position = walk_sheet(book, 1, position, cell);
    EXPECT_EQ(cell.row, 1);
    EXPECT_EQ(walk_sheet(book, 1, position, cell), kWalkObjects);
    EXPECT_EQ(walk_sheet(book, 2, 0, cell), kWalkNoSheet);
}

TEST_P(ReadModeTest, WalksOfTwoWorkbooksInterleaveInsideTheirRuns) {
    const std::string path = folder_.file("twice.xls");
    ASSERT_EQ(XM_Close(write_sample(path)), 0);
    Workbook &first = *workbook_at(XM_ReadOpen(path.c_str()));
    Workbook &second = *workbook_at(XM_ReadOpen(path.c_str()));
    std::vector<std::tuple<int32_t, int32_t, double, std::u16string>> seen[2];
    int32_t positions[2] = {0, 0};
    for (int step = 0; step < 200; ++step) {
        for (int book = 0; book < 2; ++book) {
            WalkedCell cell;
            positions[book] = walk_sheet(book ? second : first, 0, positions[book], cell);
            if (positions[book] > 1)
                seen[book].emplace_back(cell.column, cell.row, cell.number, cell.text);
        }
        if (positions[0] <= 1) break;
    }
    EXPECT_EQ(seen[0].size(), 93u);
    EXPECT_EQ(seen[0], seen[1]);
}

TEST_P(ReadModeTest, SizesPageSetupAndUsedAreaComeFromTheFile) {
    const std::string path = folder_.file("sizes.xls");
    const int32_t h = write_sample(path);
    Workbook &made = *workbook_at(h);
    EXPECT_EQ(XM_SetColWidth(h, 0, 1, 2, 20), 0);
    EXPECT_EQ(XM_SetColWidth(h, 0, 4, 4, 0), 0);
    EXPECT_EQ(XM_SetRowHeight(h, 0, 12, 30.0), 0);
    EXPECT_EQ(set_page_mode(made, 0, PageMode{8, 80, 0, 10, 10}), 0);
    EXPECT_EQ(set_margins(made, 0, 13, 29, 104, 37), 0);
    // A workbook from no file answers as an empty sheet.
    EXPECT_EQ(XM_GetColWidth(h, 0, 1), 2208);
    EXPECT_EQ(XM_GetRowHeight(h, 0, 12), 13.5);
    int32_t columns = -1, rows = -1;
    EXPECT_EQ(XM_GetMaxData(h, 0, &columns, &rows), 0);
    EXPECT_EQ(columns + rows, 0);
    PageSetupReadback page;
    EXPECT_EQ(read_page_setup(made, 0, page), 0);
    EXPECT_EQ(page.paper_size, 0);
    ASSERT_EQ(XM_Close(h), 0);

    const int32_t r = XM_ReadOpen(path.c_str());
    ASSERT_GE(r, 0);
    const int32_t width = XM_GetColWidth(r, 0, 1);
    EXPECT_GT(width, 19 * 256);
    EXPECT_LT(width, 22 * 256);
    EXPECT_EQ(XM_GetColWidth(r, 0, 2), width);
    EXPECT_EQ(XM_GetColWidth(r, 0, 4), 0) << "hidden";
    EXPECT_EQ(XM_GetColWidth(r, 0, 9), 2208);
    EXPECT_EQ(XM_GetColWidth(r, -1, 0), 0);
    EXPECT_EQ(XM_GetColWidth(r, 2, 0), 1);
    // Any order of rows.
    EXPECT_EQ(XM_GetRowHeight(r, 0, 5000), 13.5);
    EXPECT_EQ(XM_GetRowHeight(r, 0, 12), 30.0);
    EXPECT_EQ(XM_GetRowHeight(r, 0, 11), 13.5);
    EXPECT_EQ(XM_GetRowHeight(r, 2, 12), 0.0);
    EXPECT_EQ(XM_GetRowHeight(-1, 0, 12), -2.0);
    EXPECT_EQ(XM_GetMaxData(r, 0, &columns, &rows), 0);
    EXPECT_EQ(columns, 6);
    EXPECT_EQ(rows, 5001);
    EXPECT_EQ(XM_GetMaxData(r, 2, &columns, &rows), 1);
    EXPECT_EQ(read_page_setup(*workbook_at(r), 0, page), 0);
    EXPECT_EQ(page.paper_size, 8);
    EXPECT_EQ(page.scale, 80);
    EXPECT_EQ(page.orientation, 0);
    EXPECT_EQ(page.margins, (std::array<int32_t, 4>{13, 104, 29, 37}));
    EXPECT_EQ(read_page_setup(*workbook_at(r), 1, page), 0);
    EXPECT_EQ(page.margins, (std::array<int32_t, 4>{20, 25, 20, 25}));
    EXPECT_EQ(page.orientation, 2);
    EXPECT_EQ(read_page_setup(*workbook_at(r), 2, page), -4);

    // A workbook made from the file as a template answers from that file, its cells from
    // memory.
    const int32_t t = XM_CreateT(folder_.file("made.xls").c_str(), path.c_str());
    ASSERT_GE(t, 0);
    EXPECT_EQ(XM_GetColWidth(t, 0, 1), width);
    EXPECT_EQ(XM_GetRowHeight(t, 0, 12), 30.0);
    EXPECT_EQ(XM_GetMaxData(t, 0, &columns, &rows), 0);
    EXPECT_EQ(rows, 5001);
    int32_t kind = 0;
    EXPECT_EQ(XM_Read(t, 0, 0, 0, &kind, nullptr, nullptr, 0), -6);
    int32_t integer = 0;
    EXPECT_EQ(XM_GetCellData(t, 0, 0, 0, &integer, nullptr, nullptr, 0, nullptr), 1);
    EXPECT_EQ(integer, 42);
    EXPECT_EQ(XM_Cancel(t), 0);
}

TEST_P(ReadModeTest, TheFileIsRefusedWhenProtectedAndNeverTouched) {
    const std::string path = folder_.file("kept.xls");
    ASSERT_EQ(XM_Close(write_sample(path)), 0);
    const std::vector<uint8_t> before = file_bytes(path);
    for (auto release : {XM_ReadClose, XM_Close, XM_Cancel}) {
        const int32_t h = XM_ReadOpen(path.c_str());
        ASSERT_EQ(h, 0);
        char name[32];
        EXPECT_EQ(XM_GetSheetCount(h), 2);
        EXPECT_EQ(XM_GetSheetName(h, 1, name), 0);
        EXPECT_STREQ(name, "Sheet2");
        EXPECT_EQ(release(h), 0);
        EXPECT_EQ(file_bytes(path), before);
    }
    EXPECT_EQ(XM_ReadOpen(""), -9);
    EXPECT_EQ(XM_ReadOpen(nullptr), -9);
    EXPECT_EQ(XM_ReadOpen(folder_.file("missing.xls").c_str()), -1);
    EXPECT_EQ(XM_ReadOpenW(u"\xD800.xls"), -1);
    EXPECT_EQ(XM_ReadClose(-1), -2);
    EXPECT_EQ(XM_ReadClose(3), -3);

    const std::string guarded = folder_.file("protected.xls");
    int32_t h = GetParam() ? XM_Create97(guarded.c_str(), 2) : XM_Create(guarded.c_str(), 2);
    const uint8_t on[2] = {1, 0};
    XM_WriteBin(h, 1, rec::kProtect, 2, on);
    EXPECT_EQ(XM_ReadClose(h), -6) << "not a read-mode workbook: it stays";
    ASSERT_EQ(XM_Close(h), 0);
    EXPECT_EQ(XM_ReadOpen(guarded.c_str()), -1);

    // The older layer: workbook 0.
    EXPECT_EQ(XL_ReadClose(), -3);
    ASSERT_EQ(XL_ReadOpen(path.c_str()), 0);
    int32_t kind = 0;
    double value = 0;
    EXPECT_EQ(XL_Read(0, 0, 0, &kind, &value, nullptr, 0), 0);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(XL_ReadClose(), 0);
    EXPECT_EQ(XL_Read(0, 0, 0, &kind, &value, nullptr, 0), -3);
    ASSERT_EQ(XL_Create97(folder_.file("xl.xls").c_str(), 1), 0);
    EXPECT_EQ(XL_ReadClose(), -6);
    EXPECT_EQ(XL_Read(0, 0, 0, &kind, &value, nullptr, 0), -6);
    EXPECT_EQ(XL_Cancel(), 0);
    EXPECT_EQ(file_bytes(path), before);
}

}  // namespace
}  // namespace tabrix::engine::test
