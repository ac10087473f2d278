// Value records and the rules that choose a record and its attribute number.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/biff/le_bytes.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/styles/attribute_merge.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

class ValueWritesTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    int32_t create(bool biff8, int32_t sheets = 1) {
        path_ = folder_.file("values.xls");
        biff8_ = biff8;
        int32_t h = biff8 ? XM_Create97(path_.c_str(), sheets) : XM_Create(path_.c_str(), sheets);
        EXPECT_EQ(h, 0);
        return h;
    }
    // Globals and sheet sections of the written file.
    std::vector<std::vector<StreamRecord>> close(int32_t h) {
        return split_sections(close_and_read(h, path_, biff8_));
    }
    TempFolder folder_;
    std::string path_;
    bool biff8_ = true;
};

// The cell record of (row, column) in a sheet section.
const StreamRecord *cell_at(const std::vector<StreamRecord> &sheet, uint16_t row, uint16_t column) {
    for (const StreamRecord &record : sheet) {
        bool cell = record.number == 0x0201 || record.number == 0x0203 || record.number == 0x027E ||
                    record.number == 0x00FD || record.number == 0x0204 || record.number == 0x0205;
        if (cell && record.u16(0) == row && record.u16(2) == column) return &record;
    }
    return nullptr;
}

// Stores a MULBLANK over columns first..last of a row with XF 30, 31, ... as a template would.
void put_mulblank(Sheet &sheet, uint16_t row, uint16_t first, uint16_t last) {
    Bytes image = {0xBE, 0x00, 0, 0};
    put_u16(image, row);
    put_u16(image, first);
    for (uint16_t c = first; c <= last; ++c) put_u16(image, static_cast<uint16_t>(30 + c - first));
    put_u16(image, last);
    store_u16(&image[2], static_cast<uint16_t>(image.size() - 4));
    ASSERT_EQ(sheet.cells.insert(image), 0);
    sheet.lowest_key = std::min<uint32_t>(sheet.lowest_key, row * 256u + first);
    sheet.highest_key = std::max<int64_t>(sheet.highest_key, row * 256 + last);
}

TEST_F(ValueWritesTest, IntegersUseRkInsideItsRangeAndNumberOutside) {
    int32_t h = create(true);
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 100), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 1, 0, 1 << 29), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 2, 0, -(1 << 29)), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 3, 0, INT32_MIN), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 4, 0, (1 << 29) - 1), 0);
    auto sheet = close(h)[1];
    EXPECT_EQ(cell_at(sheet, 0, 0)->data, (Bytes{0, 0, 0, 0, 15, 0, 0x92, 0x01, 0, 0}));
    const StreamRecord *big = cell_at(sheet, 0, 1);
    ASSERT_EQ(big->number, 0x0203);
    double value = 0;
    std::memcpy(&value, &big->data[6], 8);
    EXPECT_EQ(value, 536870912.0);
    EXPECT_EQ(cell_at(sheet, 0, 2)->number, 0x027E);
    EXPECT_EQ(static_cast<int32_t>(cell_at(sheet, 0, 2)->u32(6)) >> 2, -(1 << 29));
    EXPECT_EQ(cell_at(sheet, 0, 3)->number, 0x0203);
    EXPECT_EQ(cell_at(sheet, 0, 4)->number, 0x027E);
}

// A sheet filled row by row takes the writes' short path; the same cells written backwards
// go the general way. Both give the same records, attributes and values.
TEST_F(ValueWritesTest, RowByRowWritesMatchTheGeneralPath) {
    const auto fill = [&](bool backwards) {
        const int32_t h = create(true);
        for (int32_t i = 0; i < 4 * 6; ++i) {
            const int32_t at = backwards ? 4 * 6 - 1 - i : i;
            const int32_t r = at / 6, c = at % 6;
            switch (c) {
                case 0:
                    EXPECT_EQ(XM_WriteInt(h, 0, c, r, r == 1 ? 1 << 29 : -r), 0);
                    break;
                case 1:
                    EXPECT_EQ(XM_WriteDouble(h, 0, c, r, r == 2 ? -0.0 : r + 0.25), 0);
                    break;
                case 2:
                    EXPECT_EQ(XM_WriteStr(h, 0, c, r, r == 3 ? "'quoted" : "plain"), 0);
                    break;
                case 3:
                    EXPECT_EQ(XM_WriteStr(h, 0, c, r, r == 0 ? "\n" : ""), 0);
                    break;
                case 4:
                    EXPECT_EQ(XM_WriteInt2(h, 0, c, r, r, r == 2 ? 20 : 15), 0);
                    break;
                default:
                    EXPECT_EQ(XM_WriteDouble(h, 0, c, r, NAN), -34);
                    break;
            }
        }
        return close(h)[1];
    };
    const std::vector<StreamRecord> forwards = fill(false);
    const std::vector<StreamRecord> backwards = fill(true);
    for (uint16_t r = 0; r < 4; ++r) {
        for (uint16_t c = 0; c < 6; ++c) {
            const StreamRecord *a = cell_at(forwards, r, c);
            const StreamRecord *b = cell_at(backwards, r, c);
            ASSERT_EQ(a == nullptr, b == nullptr) << r << "," << c;
            if (a == nullptr) continue;
            EXPECT_EQ(a->number, b->number) << r << "," << c;
            EXPECT_EQ(a->u16(4), b->u16(4)) << "attribute of " << r << "," << c;
            // Shared-string numbers follow the order the texts came in.
            if (a->number != 0x00FD) {
                EXPECT_EQ(a->data, b->data) << r << "," << c;
            }
        }
    }
}

TEST_F(ValueWritesTest, DoublesAreNumbersAndNegativeZeroIsStoredAsZero) {
    int32_t h = create(false);
    ASSERT_EQ(XM_WriteDouble(h, 0, 0, 0, -0.0), 0);
    ASSERT_EQ(XM_WriteDouble(h, 0, 1, 0, 2.0), 0);
    auto sheet = close(h)[1];
    EXPECT_EQ(cell_at(sheet, 0, 0)->data, (Bytes{0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(cell_at(sheet, 0, 1)->number, 0x0203) << "doubles never become RK";
}

TEST_F(ValueWritesTest, NanAndInfinitiesAreRefusedAsValuesAndCachedResults) {
    int32_t h = create(true);
    const double refused[] = {std::nan(""), INFINITY, -INFINITY};
    for (int32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(XM_WriteDouble(h, 0, x, 0, refused[x]), -34);
        FormulaResult result{refused[x], 0, 0, {}};
        EXPECT_EQ(XM_WriteFunc3(h, 0, x, 1, "=1/0", 15, &result), -34);
    }
    auto sheet = close(h)[1];
    for (uint16_t x = 0; x < 3; ++x) {
        EXPECT_EQ(cell_at(sheet, 0, x), nullptr);
        EXPECT_EQ(cell_at(sheet, 1, x), nullptr);
    }
}

TEST_F(ValueWritesTest, Biff8TextsOverTheCellLimitAreRefusedAndNulsInResults) {
    int32_t h = create(true);
    const std::u16string longest(32767, u'w');
    EXPECT_EQ(XM_WriteStrW(h, 0, 0, 0, longest.c_str()), 0);
    EXPECT_EQ(XM_WriteStrW(h, 0, 1, 0, (longest + u"w").c_str()), -31);
    EXPECT_EQ(XM_WriteStr(h, 0, 2, 0, std::string(32768, 'n').c_str()), -31);
    std::string japanese;  // 32768 bytes, but only 16384 characters
    for (int i = 0; i < 16384; ++i) japanese += "\x93\xfa";
    EXPECT_EQ(XM_WriteStr(h, 0, 3, 0, japanese.c_str()), 0);
    FormulaResultW result{0, 3, 3, {u'a', 0, u'b'}};
    EXPECT_EQ(XM_WriteFunc3W(h, 0, 4, 0, u"=\"a\"", 15, &result), -34);
    auto sections = close(h);
    EXPECT_EQ(first_of(sections[0], 0x00FC)->u32(4), 2u) << "only the two that fit";
    EXPECT_EQ(cell_at(sections[1], 0, 1), nullptr);
    EXPECT_EQ(cell_at(sections[1], 0, 2), nullptr);
    EXPECT_EQ(cell_at(sections[1], 0, 4), nullptr);
}

TEST_F(ValueWritesTest, BooleansAreBoolErrRecordsReadBackAsBooleans) {
    for (bool biff8 : {false, true}) {
        int32_t h = create(biff8);
        ASSERT_EQ(XM_WriteBool(h, 0, 0, 0, 7), 0);
        ASSERT_EQ(XM_WriteBool2(h, 0, 1, 0, 0, -20), 0);
        auto sheet = close(h)[1];
        const StreamRecord *yes = cell_at(sheet, 0, 0);
        ASSERT_NE(yes, nullptr);
        EXPECT_EQ(yes->number, 0x0205);
        EXPECT_EQ(yes->data, (Bytes{0, 0, 0, 0, 15, 0, 1, 0}));
        EXPECT_EQ(cell_at(sheet, 0, 1)->data, (Bytes{0, 0, 1, 0, 20, 0, 0, 0}));

        const int32_t r = XM_ReadOpen(path_.c_str());
        ASSERT_GE(r, 0);
        for (int32_t x = 0; x < 2; ++x) {
            int32_t kind = -1;
            double value = 5;
            char text[8] = {};
            ASSERT_EQ(XM_Read(r, 0, x, 0, &kind, &value, text, sizeof text), 0);
            EXPECT_EQ(kind, 2);
            EXPECT_EQ(value, x == 0 ? -1.0 : 0.0);
        }
        XM_ReadClose(r);
    }
}

TEST_F(ValueWritesTest, SharedStringsDropTheApostropheAndStoreEachTextOnce) {
    int32_t h = create(true);
    ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, "'123"), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 0, "same"), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 2, 0, "same"), 0);
    ASSERT_EQ(XM_WriteStrW(h, 0, 3, 0, u"same"), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 4, 0, ""), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 5, 0, nullptr), 0);
    auto sections = close(h);
    const StreamRecord *sst = first_of(sections[0], 0x00FC);
    ASSERT_NE(sst, nullptr);
    EXPECT_EQ(sst->u32(0), 5u) << "total";
    EXPECT_EQ(sst->u32(4), 3u) << "unique";
    EXPECT_EQ(Bytes(sst->data.begin() + 8, sst->data.begin() + 14),
              (Bytes{3, 0, 0, '1', '2', '3'}));
    auto &sheet = sections[1];
    EXPECT_EQ(cell_at(sheet, 0, 0)->u32(6), 0u);
    EXPECT_EQ(cell_at(sheet, 0, 1)->u32(6), 1u);
    EXPECT_EQ(cell_at(sheet, 0, 2)->u32(6), 1u);
    EXPECT_EQ(cell_at(sheet, 0, 3)->u32(6), 1u);
    EXPECT_EQ(cell_at(sheet, 0, 4)->u32(6), 2u);
    EXPECT_EQ(cell_at(sheet, 0, 5)->number, 0x0201) << "no text: blank";
    const StreamRecord *extsst = first_of(sections[0], 0x00FF);
    EXPECT_EQ(extsst->u16(0), 8);
    EXPECT_EQ(extsst->u32(2), sst->offset + 12) << "first bucket: the first string";
    EXPECT_EQ(extsst->u16(6), 12);
}

TEST_F(ValueWritesTest, LongJapaneseTextContinuesWithTheOptionByte) {
    int32_t h = create(true);
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "\x93\xfa";  // 日
    ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, text.c_str()), 0);
    auto globals = close(h)[0];
    const StreamRecord *sst = first_of(globals, 0x00FC);
    ASSERT_NE(sst, nullptr);
    EXPECT_EQ(sst->u16(8), 5000);
    EXPECT_EQ(sst->data[10], 1);
    auto continues = all_of(globals, 0x003C);
    ASSERT_EQ(continues.size(), 1u);
    EXPECT_EQ(continues[0]->data[0], 1);
    EXPECT_EQ(sst->data.size() - 11 + continues[0]->data.size() - 1, 10000u);
}

TEST_F(ValueWritesTest, Biff5LabelsAreCutAt255BytesBetweenCharacters) {
    int32_t h = create(false);
    std::string ascii(300, 'a');
    ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, ascii.c_str()), 0);
    std::string japanese = std::string(254, 'b') + "\x93\xfa";  // 256 bytes
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 0, japanese.c_str()), 0);
    ASSERT_EQ(XM_WriteStrW(h, 0, 2, 0, u"'日本"), 0);
    auto sheet = close(h)[1];
    const StreamRecord *label = cell_at(sheet, 0, 0);
    ASSERT_EQ(label->number, 0x0204);
    EXPECT_EQ(label->u16(6), 255);
    EXPECT_EQ(label->data.size(), 8u + 255);
    EXPECT_EQ(cell_at(sheet, 0, 1)->u16(6), 254) << "a character is not split";
    EXPECT_EQ(Bytes(cell_at(sheet, 0, 2)->data.begin() + 6, cell_at(sheet, 0, 2)->data.end()),
              (Bytes{4, 0, 0x93, 0xfa, 0x96, 0x7b}));
}

TEST_F(ValueWritesTest, Biff5LabelsHoldOnlyCodePage932) {
    int32_t h = create(false);
    // Half a character at the end, a byte no character starts with, and a lead byte
    // before a blank: each becomes the middle dot 0x81 0x45, the rest stays as written.
    ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, "A\x93\xfa\x82"), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 0, "\xff\x81\x20x"), 0);
    auto sheet = close(h)[1];
    EXPECT_EQ(Bytes(cell_at(sheet, 0, 0)->data.begin() + 6, cell_at(sheet, 0, 0)->data.end()),
              (Bytes{5, 0, 'A', 0x93, 0xfa, 0x81, 0x45}));
    EXPECT_EQ(Bytes(cell_at(sheet, 0, 1)->data.begin() + 6, cell_at(sheet, 0, 1)->data.end()),
              (Bytes{6, 0, 0x81, 0x45, 0x81, 0x45, ' ', 'x'}));
}

TEST_F(ValueWritesTest, AttributeArgumentSignAndInheritance) {
    int32_t h = create(true);
    register_attributes(h, 5);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    sheet.rows_columns.row_settings[3] = {270, 0x0180, 23};  // row with its own format
    sheet.rows_columns.columns.push_back({5, 6, 2000, 24, 0});
    ASSERT_EQ(XM_WriteInt2(h, 0, 0, 0, 1, 22), 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 2), 0);  // default: keeps 22
    ASSERT_EQ(XM_WriteInt2(h, 0, 1, 0, 1, 22), 0);
    ASSERT_EQ(XM_WriteInt2(h, 0, 1, 0, 2, -20), 0);  // replaces
    ASSERT_EQ(XM_WriteInt2(h, 0, 2, 0, 1, 22), 0);
    ASSERT_EQ(XM_WriteInt2(h, 0, 2, 0, 2, -15), 0);  // replaces with the default
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 3, 3), 0);        // row format
    ASSERT_EQ(XM_WriteInt(h, 0, 6, 4, 4), 0);        // column format
    ASSERT_EQ(XM_WriteInt2(h, 0, 6, 5, 5, 21), 0);   // explicit XF wins
    ASSERT_EQ(XM_WriteStr2(h, 0, 7, 5, nullptr, -25), 0);
    // Numbers the workbook holds no XF for are the default attribute.
    ASSERT_EQ(XM_WriteInt2(h, 0, 8, 5, 1, 26), 0);
    ASSERT_EQ(XM_WriteInt2(h, 0, 9, 5, 1, -4000), 0);
    ASSERT_EQ(XM_WriteInt2(h, 0, 0, 0, 3, 70000), 0);
    auto records = close(h)[1];
    EXPECT_EQ(cell_at(records, 0, 0)->u16(4), 22);
    EXPECT_EQ(cell_at(records, 0, 1)->u16(4), 20);
    EXPECT_EQ(cell_at(records, 0, 2)->u16(4), 15);
    EXPECT_EQ(cell_at(records, 3, 0)->u16(4), 23);
    EXPECT_EQ(cell_at(records, 4, 6)->u16(4), 24);
    EXPECT_EQ(cell_at(records, 5, 6)->u16(4), 21);
    EXPECT_EQ(cell_at(records, 5, 7)->u16(4), 25);
    EXPECT_EQ(cell_at(records, 5, 8)->u16(4), 15);
    EXPECT_EQ(cell_at(records, 5, 9)->u16(4), 15);
}

TEST_F(ValueWritesTest, ReplaceModeDropsTheCellsAttribute) {
    int32_t h = create(true);
    register_attributes(h, 2);
    ASSERT_EQ(XM_WriteInt2(h, 0, 0, 0, 1, 22), 0);
    set_replace_mode(true);
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 2), 0);
    EXPECT_EQ(cell_at(close(h)[1], 0, 0)->u16(4), 15);
}

TEST_F(ValueWritesTest, WriteInsideAMulBlankRunSplitsItAndKeepsTheColumnsXf) {
    int32_t h = create(true);
    put_mulblank(*workbook_at(h)->sheets[0], 0, 2, 6);
    ASSERT_EQ(XM_WriteInt(h, 0, 4, 0, 9), 0);
    auto sheet = close(h)[1];
    std::vector<std::tuple<uint16_t, uint16_t, size_t>> runs;  // number, first column, size
    for (const StreamRecord &record : sheet) {
        if (record.number == 0x00BE || record.number == 0x027E || record.number == 0x0201) {
            runs.emplace_back(record.number, record.u16(2), record.data.size());
        }
    }
    EXPECT_EQ(runs, (std::vector<std::tuple<uint16_t, uint16_t, size_t>>{
                        {0x00BE, 2, 10}, {0x027E, 4, 10}, {0x00BE, 5, 10}}));
    EXPECT_EQ(cell_at(sheet, 0, 4)->u16(4), 32) << "the XF the run held for column 4";
}

TEST_F(ValueWritesTest, KeywordTextsBecomeBlanksInTemplates) {
    int32_t h = create(true);
    register_attributes(h, 6);
    ASSERT_EQ(XM_WriteInt2(h, 0, 1, 1, 7, 26), 0);
    workbook_at(h)->template_flag = true;
    ASSERT_EQ(XM_WriteStr(h, 0, 1, 1, "**name"), 0);
    ASSERT_EQ(XM_WriteStr(h, 0, 2, 1, "*one star"), 0);
    auto sections = close(h);
    EXPECT_EQ(cell_at(sections[1], 1, 1)->number, 0x0201);
    EXPECT_EQ(cell_at(sections[1], 1, 1)->u16(4), 26);
    EXPECT_EQ(cell_at(sections[1], 1, 2)->number, 0x00FD);
    EXPECT_EQ(first_of(sections[0], 0x00FC)->u32(4), 1u) << "the keyword text is not stored";
}

TEST_F(ValueWritesTest, CallerRecordsOpenTheSheetTrailer) {
    int32_t h = create(true, 2);
    const uint8_t data[] = {1, 2, 3};
    ASSERT_EQ(XM_WriteBin(h, 1, 0x1234, 3, data), 0);
    ASSERT_EQ(XM_WriteBin(h, 1, 0x0099, 0, nullptr), 0);
    EXPECT_EQ(XM_WriteBin(h, 1, 0x0099, 2, nullptr), -34);
    EXPECT_EQ(XM_WriteBin(h, 2, 0x0099, 0, nullptr), -4);
    auto sheet = close(h)[2];
    std::vector<uint16_t> numbers = numbers_of(sheet);
    auto at = std::find(numbers.begin(), numbers.end(), 0x1234);
    ASSERT_NE(at, numbers.end());
    EXPECT_EQ(std::vector<uint16_t>(at, numbers.end()),
              (std::vector<uint16_t>{0x1234, 0x0099, 0x023E, 0x001D, 0x00EF, 0x000A}));
    EXPECT_EQ(first_of(sheet, 0x1234)->data, (Bytes{1, 2, 3}));
}

TEST_F(ValueWritesTest, MergedRangesAreSplitAt1024PerRecord) {
    int32_t h = create(true);
    Sheet &sheet = *workbook_at(h)->sheets[0];
    for (uint16_t i = 0; i < 2000; ++i) sheet.merged.push_back({i, i, 0, 1});
    auto sections = close(h);
    auto merged = all_of(sections[1], 0x00E5);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0]->u16(0), 1024);
    EXPECT_EQ(merged[0]->data.size(), 2u + 8 * 1024);
    EXPECT_EQ(merged[1]->u16(0), 976);
    EXPECT_EQ(Bytes(merged[1]->data.begin(), merged[1]->data.begin() + 10),
              (Bytes{0xD0, 0x03, 0x00, 0x04, 0x00, 0x04, 0, 0, 1, 0}));
}

TEST_F(ValueWritesTest, SheetNamesBeyondAsciiAre16BitInBiff8) {
    int32_t h = create(true, 2);
    workbook_at(h)->sheets.rename(1, u"\u8868");  // 表
    auto globals = close(h)[0];
    auto sheets = all_of(globals, 0x0085);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(Bytes(sheets[1]->data.begin() + 6, sheets[1]->data.end()), (Bytes{1, 1, 0x68, 0x88}));
    EXPECT_EQ(sheets[0]->data[7], 0) << "ASCII names stay 8-bit";
}

}  // namespace
}  // namespace tabrix::engine::test
