// The exact records of new, empty workbooks in both formats.
#include <gtest/gtest.h>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes utf16le(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

Bytes concat(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint16_t> repeat(uint16_t number, size_t n) {
    return std::vector<uint16_t>(n, number);
}

std::vector<uint16_t> joined(std::initializer_list<std::vector<uint16_t>> parts) {
    std::vector<uint16_t> out;
    for (const auto &part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const std::vector<uint16_t> kBiff8SheetNumbers = {
    0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A, 0x002B, 0x0082, 0x0080,
    0x0225, 0x0081, 0x0083, 0x0084, 0x00A1, 0x0055, 0x0200, 0x023E, 0x001D, 0x00EF, 0x000A};
const std::vector<uint16_t> kBiff5SheetNumbers = {
    0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A, 0x002B, 0x0082, 0x0080,
    0x0225, 0x008C, 0x0081, 0x0083, 0x0084, 0x00A1, 0x0055, 0x0200, 0x023E, 0x001D, 0x000A};
const Bytes kSetup = {0x09, 0x00, 0x64, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F, 0x01, 0x00};
const Bytes kSelectionA1 = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

class NewWorkbookTest : public ::testing::Test {
  protected:
    std::vector<std::vector<StreamRecord>> write_empty(int32_t version, int32_t sheets) {
        path_ = folder_.file("new.xls");
        int32_t handle = XM_CreateVer(path_.c_str(), sheets, version);
        EXPECT_GE(handle, 0);
        return split_sections(close_and_read(handle, path_, version != 95));
    }
    TempFolder folder_;
    std::string path_;
};

TEST_F(NewWorkbookTest, Biff8GlobalsHoldTheFixedRecordsInOrder) {
    auto sections = write_empty(2002, 3);
    ASSERT_EQ(sections.size(), 4u);
    const auto &globals = sections[0];
    std::vector<uint16_t> expected = joined(
        {{0x0809, 0x00E1, 0x00C1, 0x00E2, 0x005C, 0x0042, 0x0161, 0x013D, 0x009C, 0x0019, 0x0012,
          0x0013, 0x01AF, 0x01BC, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA},
         repeat(0x0031, 5),
         repeat(0x041E, 12),
         repeat(0x00E0, 21),
         repeat(0x0293, 6),
         {0x0160},
         repeat(0x0085, 3),
         {0x008C, 0x01C1, 0x00FF, 0x000A}});
    EXPECT_EQ(numbers_of(globals), expected);

    EXPECT_EQ(globals[0].data, (Bytes{0x00, 0x06, 0x05, 0x00, 0x91, 0x0E, 0xCC, 0x07, 0x41, 0x00,
                                      0x00, 0x00, 0x06, 0x00, 0x00, 0x00}));
    EXPECT_EQ(globals[1].data, (Bytes{0xB0, 0x04}));
    Bytes write_access = {0x07, 0x00, 0x00, 'N', 'o', 'r', 'v', 'a', 'n', 'e'};
    write_access.resize(112, 0x20);
    EXPECT_EQ(first_of(globals, 0x005C)->data, write_access);
    EXPECT_EQ(first_of(globals, 0x0042)->data, (Bytes{0xB0, 0x04}));
    EXPECT_EQ(first_of(globals, 0x013D)->data, (Bytes{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(first_of(globals, 0x003D)->data,
              (Bytes{0xF0, 0x00, 0x2D, 0x00, 0x6B, 0x3A, 0x01, 0x1D, 0x38, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x01, 0x00, 0x58, 0x02}));
    EXPECT_EQ(first_of(globals, 0x000E)->data, (Bytes{1, 0}));
    EXPECT_EQ(first_of(globals, 0x0160)->data, (Bytes{1, 0}));
    EXPECT_EQ(first_of(globals, 0x008C)->data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(first_of(globals, 0x01C1)->data,
              (Bytes{0xC1, 0x01, 0x00, 0x00, 0x54, 0x8D, 0x01, 0x00}));
    EXPECT_EQ(first_of(globals, 0x00FC), nullptr) << "no SST without strings";
    Bytes extsst(322, 0);
    extsst[0] = 8;
    EXPECT_EQ(first_of(globals, 0x00FF)->data, extsst);
}

TEST_F(NewWorkbookTest, Biff8DefaultFontsFormatsXfsAndStyles) {
    auto globals = write_empty(97, 3)[0];
    auto fonts = all_of(globals, 0x0031);
    ASSERT_EQ(fonts.size(), 5u);
    Bytes name = concat({0x08, 0x01}, utf16le(u"ＭＳ Ｐゴシック"));
    Bytes font0 = concat(
        {0xDC, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x90, 0x01, 0x00, 0x00, 0x00, 0x03, 0x80, 0x00}, name);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(fonts[i]->data, font0) << "font " << i;
    Bytes font5 = font0;
    font5[0] = 120;
    EXPECT_EQ(fonts[4]->data, font5);

    auto formats = all_of(globals, 0x041E);
    ASSERT_EQ(formats.size(), 12u);
    std::vector<uint16_t> format_numbers;
    for (const auto *format : formats) format_numbers.push_back(format->u16(0));
    EXPECT_EQ(format_numbers, (std::vector<uint16_t>{5, 6, 7, 8, 42, 41, 44, 43, 23, 24, 25, 26}));
    std::string text5 = "\"\\\"#,##0;\"\\\"\\-#,##0";
    EXPECT_EQ(formats[0]->data, concat({0x05, 0x00, static_cast<uint8_t>(text5.size()), 0x00, 0x00},
                                       Bytes(text5.begin(), text5.end())));
    std::string text41 = "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ ";
    EXPECT_EQ(formats[5]->data, concat({41, 0x00, static_cast<uint8_t>(text41.size()), 0x00, 0x00},
                                       Bytes(text41.begin(), text41.end())));

    auto xfs = all_of(globals, 0x00E0);
    ASSERT_EQ(xfs.size(), 21u);
    auto xf = [](uint8_t font, uint8_t format, uint16_t type, uint8_t used) {
        Bytes body = {
            font, 0,    format, 0,   static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8),
            0x20, 0x00, 0x00,   used};
        body.resize(18, 0);
        body.push_back(0xC0);
        body.push_back(0x20);
        return body;
    };
    EXPECT_EQ(xfs[0]->data, xf(0, 0, 0xFFF5, 0x00));
    EXPECT_EQ(xfs[1]->data, xf(1, 0, 0xFFF5, 0xF4));
    EXPECT_EQ(xfs[4]->data, xf(2, 0, 0xFFF5, 0xF4));
    EXPECT_EQ(xfs[14]->data, xf(0, 0, 0xFFF5, 0xF4));
    EXPECT_EQ(xfs[15]->data, xf(0, 0, 0x0001, 0x00));
    EXPECT_EQ(xfs[16]->data, xf(1, 9, 0xFFF5, 0xF8));
    EXPECT_EQ(xfs[17]->data, xf(1, 38, 0xFFF5, 0xF8));
    EXPECT_EQ(xfs[20]->data, xf(1, 8, 0xFFF5, 0xF8));

    auto styles = all_of(globals, 0x0293);
    ASSERT_EQ(styles.size(), 6u);
    EXPECT_EQ(styles[0]->data, (Bytes{0x10, 0x80, 5, 0xFF}));
    EXPECT_EQ(styles[3]->data, (Bytes{0x13, 0x80, 7, 0xFF}));
    EXPECT_EQ(styles[5]->data, (Bytes{0x00, 0x80, 0, 0xFF}));
}

TEST_F(NewWorkbookTest, VersionStampDecidesRecalcIdAndXfAlignment) {
    auto stamp97 = write_empty(97, 1)[0];
    EXPECT_EQ(first_of(stamp97, 0x01C1), nullptr);
    EXPECT_EQ(all_of(stamp97, 0x00E0)[0]->data[6], 0x20);

    auto stamp2000 = write_empty(2000, 1)[0];
    EXPECT_EQ(first_of(stamp2000, 0x01C1)->data,
              (Bytes{0xC1, 0x01, 0x00, 0x00, 0x60, 0x69, 0x01, 0x00}));
    EXPECT_EQ(all_of(stamp2000, 0x00E0)[0]->data[6], 0x20);

    auto stamp2002 = write_empty(2002, 1)[0];
    EXPECT_EQ(all_of(stamp2002, 0x00E0)[0]->data[6], 0x10);
    EXPECT_EQ(all_of(stamp2002, 0x00E0)[15]->data[6], 0x10);
}

TEST_F(NewWorkbookTest, Biff8EmptySheetsHoldTheFixedSettings) {
    auto sections = write_empty(97, 3);
    ASSERT_EQ(sections.size(), 4u);
    for (int s = 1; s <= 3; ++s) {
        const auto &sheet = sections[s];
        ASSERT_EQ(numbers_of(sheet), kBiff8SheetNumbers) << "sheet " << s;
        EXPECT_EQ(sheet[0].data, (Bytes{0x00, 0x06, 0x10, 0x00, 0x91, 0x0E, 0xCC, 0x07, 0x41, 0x00,
                                        0x00, 0x00, 0x06, 0x00, 0x00, 0x00}));
        EXPECT_EQ(sheet[1].data, Bytes(16, 0)) << "INDEX without rows";
        EXPECT_EQ(first_of(sheet, 0x000D)->data, (Bytes{1, 0}));
        EXPECT_EQ(first_of(sheet, 0x000C)->data, (Bytes{100, 0}));
        EXPECT_EQ(first_of(sheet, 0x0010)->data,
                  (Bytes{0xFC, 0xA9, 0xF1, 0xD2, 0x4D, 0x62, 0x50, 0x3F}));
        EXPECT_EQ(first_of(sheet, 0x0225)->data, (Bytes{0x00, 0x00, 0x0E, 0x01}));
        EXPECT_EQ(first_of(sheet, 0x0081)->data, (Bytes{0xC1, 0x04}));
        EXPECT_EQ(first_of(sheet, 0x00A1)->data, kSetup);
        EXPECT_EQ(first_of(sheet, 0x0055)->data, (Bytes{8, 0}));
        EXPECT_EQ(first_of(sheet, 0x0200)->data, Bytes(14, 0));
        EXPECT_EQ(first_of(sheet, 0x001D)->data, kSelectionA1);
        EXPECT_EQ(first_of(sheet, 0x00EF)->data, (Bytes{0x05, 0x00, 0x35, 0x00, 0x00, 0x00}));
        Bytes window2 = {0xB6, static_cast<uint8_t>(s == 1 ? 0x06 : 0x00), 0, 0, 0, 0, 0x40, 0x00};
        window2.resize(18, 0);
        EXPECT_EQ(first_of(sheet, 0x023E)->data, window2) << "sheet " << s;
    }
}

TEST_F(NewWorkbookTest, BoundSheetOffsetsPointAtEachSheetsBof) {
    auto records = [&] {
        path_ = folder_.file("offsets.xls");
        int32_t handle = XM_Create97(path_.c_str(), 3);
        XM_WriteInt(handle, 1, 0, 0, 5);
        XM_WriteStr(handle, 2, 3, 7, "text");
        return close_and_read(handle, path_, true);
    }();
    auto sheets = all_of(records, 0x0085);
    ASSERT_EQ(sheets.size(), 3u);
    auto bofs = all_of(records, 0x0809);
    ASSERT_EQ(bofs.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sheets[i]->u32(0), bofs[i + 1]->offset) << "sheet " << i;
        EXPECT_EQ(sheets[i]->u16(4), 0) << "visible worksheet";
        std::string name = "Sheet" + std::to_string(i + 1);
        EXPECT_EQ(sheets[i]->data, concat({sheets[i]->data[0], sheets[i]->data[1],
                                           sheets[i]->data[2], sheets[i]->data[3], 0, 0, 6, 0},
                                          Bytes(name.begin(), name.end())));
    }
}

TEST_F(NewWorkbookTest, Biff5WorkbookRecords) {
    auto sections = write_empty(95, 2);
    ASSERT_EQ(sections.size(), 3u);
    const auto &globals = sections[0];
    std::vector<uint16_t> expected = joined(
        {{0x0809, 0x00E1, 0x00C1, 0x00BF, 0x00A4, 0x00C0, 0x00E2, 0x005C, 0x0042, 0x013D, 0x00EA,
          0x009C, 0x0019, 0x0012, 0x0013, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E, 0x00DA},
         repeat(0x0031, 5),
         repeat(0x041E, 12),
         repeat(0x00E0, 21),
         repeat(0x0293, 6),
         repeat(0x0085, 2),
         {0x000A}});
    EXPECT_EQ(numbers_of(globals), expected);
    EXPECT_EQ(globals[0].data, (Bytes{0x00, 0x05, 0x05, 0x00, 0x31, 0x0C, 0xCA, 0x07}));
    EXPECT_EQ(first_of(globals, 0x00A4)->data, (Bytes{0x01, 0x00, 0x10, 0x0F, 0x00, 0x00}));
    Bytes write_access = {0x07, 'N', 'o', 'r', 'v', 'a', 'n', 'e'};
    write_access.resize(54, 0);
    EXPECT_EQ(first_of(globals, 0x005C)->data, write_access);
    EXPECT_EQ(first_of(globals, 0x0042)->data, (Bytes{0xA4, 0x03}));
    EXPECT_EQ(first_of(globals, 0x013D)->data, (Bytes{0, 0, 1, 0}));
    EXPECT_EQ(first_of(globals, 0x00EA)->data, (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(first_of(globals, 0x003D)->data,
              (Bytes{0xE0, 0x01, 0x3C, 0x00, 0x39, 0x30, 0xAC, 0x17, 0x38, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x01, 0x00, 0x58, 0x02}));

    auto fonts = all_of(globals, 0x0031);
    Bytes mincho = {0x04, 0x96, 0xBE, 0x92, 0xA9};
    EXPECT_EQ(fonts[0]->data, concat({0xDC, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x90, 0x01, 0x00, 0x00,
                                      0x00, 0x00, 0x80, 0x00},
                                     mincho));
    EXPECT_EQ(fonts[3]->data, concat({0xDC, 0x00, 0x03, 0x00, 0xFF, 0x7F, 0xBC, 0x02, 0x00, 0x00,
                                      0x00, 0x00, 0x80, 0x00},
                                     mincho));
    EXPECT_EQ(fonts[4]->data[0], 0xDC) << "Excel 95 font 5 keeps 11 points";
    std::string text5 = "\"\\\"#,##0;\"\\\"\\-#,##0";
    EXPECT_EQ(all_of(globals, 0x041E)[0]->data,
              concat({0x05, 0x00, static_cast<uint8_t>(text5.size())},
                     Bytes(text5.begin(), text5.end())));
    auto xfs = all_of(globals, 0x00E0);
    EXPECT_EQ(xfs[0]->data,
              (Bytes{0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0x00, 0xC0, 0x20, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(xfs[2]->data,
              (Bytes{1, 0, 0, 0, 0xF5, 0xFF, 0x20, 0xF4, 0xC0, 0x20, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(xfs[15]->data,
              (Bytes{0, 0, 0, 0, 0x01, 0x00, 0x20, 0x00, 0xC0, 0x20, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(xfs[18]->data,
              (Bytes{5, 0, 40, 0, 0xF5, 0xFF, 0x20, 0xF8, 0xC0, 0x20, 0, 0, 0, 0, 0, 0}));

    auto sheets = all_of(globals, 0x0085);
    EXPECT_EQ(sheets[1]->data, concat({sheets[1]->data[0], sheets[1]->data[1], sheets[1]->data[2],
                                       sheets[1]->data[3], 0, 0, 6},
                                      Bytes{'S', 'h', 'e', 'e', 't', '2'}));
    for (int s = 1; s <= 2; ++s) {
        const auto &sheet = sections[s];
        EXPECT_EQ(numbers_of(sheet), kBiff5SheetNumbers);
        EXPECT_EQ(sheets[s - 1]->u32(0), sheet[0].offset);
        EXPECT_EQ(sheet[0].data, (Bytes{0x00, 0x05, 0x10, 0x00, 0x31, 0x0C, 0xCA, 0x07}));
        EXPECT_EQ(sheet[1].data, Bytes(12, 0));
        EXPECT_EQ(first_of(sheet, 0x008C)->data, (Bytes{81, 0, 81, 0}));
        EXPECT_EQ(first_of(sheet, 0x0200)->data, Bytes(10, 0));
        Bytes window2 = {0xB6, static_cast<uint8_t>(s == 1 ? 0x06 : 0x00), 0, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(first_of(sheet, 0x023E)->data, window2);
    }
}

}  // namespace
}  // namespace tabrix::engine::test
