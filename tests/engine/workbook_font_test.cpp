// The workbook default font: FONT records rewritten in place, the name and size nameless font
// requests and later width conversions take.
#include "engine/styles/workbook_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kMsMincho = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";  // ＭＳ 明朝

Bytes utf16_bytes(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

// A FONT body's fields (height, options, colour, weight, escapement, underline, family,
// charset, reserved) followed by its name as stored.
Bytes font(uint16_t height, uint8_t family, const Bytes &name_part) {
    Bytes out{static_cast<uint8_t>(height & 0xFF),
              static_cast<uint8_t>(height >> 8),
              0,
              0,
              0xFF,
              0x7F,
              0x90,
              0x01,
              0,
              0,
              0,
              family,
              0x80,
              0};
    for (uint8_t byte : name_part) out.push_back(byte);
    return out;
}

Bytes biff8_name(std::u16string_view text, bool wide) {
    Bytes out{static_cast<uint8_t>(text.size()), static_cast<uint8_t>(wide ? 1 : 0)};
    if (!wide) {
        for (char16_t c : text) out.push_back(static_cast<uint8_t>(c));
    } else {
        for (uint8_t byte : utf16_bytes(text)) out.push_back(byte);
    }
    return out;
}

class WorkbookFontTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    TempFolder folder_;
};

TEST_F(WorkbookFontTest, Excel95RewritesFontZero) {
    const std::string path = folder_.file("font5.xls");
    int32_t h = XM_Create(path.c_str(), 1);
    Workbook &book = *workbook_at(h);
    const Bytes second = book.fonts.records()[1].data;
    ASSERT_EQ(set_workbook_font(book_ref(h), "Arial", 10.5), 0);
    EXPECT_EQ(book.default_font_name, "Arial");
    EXPECT_EQ(book.default_font_size, 10.5);
    const auto globals = split_sections(close_and_read(h, path, false))[0];
    auto fonts = all_of(globals, 0x0031);
    ASSERT_EQ(fonts.size(), 5u);
    EXPECT_EQ(fonts[0]->data, font(210, 0, {5, 'A', 'r', 'i', 'a', 'l'}));
    EXPECT_EQ(fonts[0]->data.size(), 15u + 5u);
    EXPECT_EQ(fonts[1]->data, second);
}

TEST_F(WorkbookFontTest, Excel97MinchoNameSetsTheSmallFontAndFamilies) {
    const std::string path = folder_.file("font8.xls");
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_EQ(set_workbook_font(book_ref(h), kMsMincho, 12.0), 0);
    const auto globals = split_sections(close_and_read(h, path, true))[0];
    auto fonts = all_of(globals, 0x0031);
    ASSERT_EQ(fonts.size(), 5u);
    EXPECT_EQ(fonts[0]->data, font(240, 1, biff8_name(u"ＭＳ 明朝", true)));
    EXPECT_EQ(fonts[0]->data.size(), 16u + 10u);
    EXPECT_EQ(fonts[4]->data, font(140, 1, biff8_name(u"ＭＳ Ｐ明朝", true)));
    EXPECT_EQ(fonts[1]->data.size(), 16u + 16u) << "other defaults untouched";
}

TEST_F(WorkbookFontTest, Excel97OtherNameGetsTheGothicSmallFont) {
    const std::string path = folder_.file("font8b.xls");
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_EQ(set_workbook_font(book_ref(h), "Arial", 9.0), 0);
    const auto globals = split_sections(close_and_read(h, path, true))[0];
    auto fonts = all_of(globals, 0x0031);
    ASSERT_EQ(fonts.size(), 5u);
    EXPECT_EQ(fonts[0]->data, font(180, 3, biff8_name(u"Arial", false)));
    EXPECT_EQ(fonts[4]->data, font(120, 3, biff8_name(u"ＭＳ Ｐゴシック", true)));
}

TEST_F(WorkbookFontTest, SizesClampAndEmptyNameOrMinusOneKeepTheCurrentValue) {
    int32_t h = XM_Create97(folder_.file("clamp.xls").c_str(), 1);
    Workbook &book = *workbook_at(h);
    const std::pair<double, double> cases[] = {{0.0, 11.0},    {-3.0, 11.0}, {0.5, 1.0},
                                               {500.0, 409.0}, {8.25, 8.25}, {-1.0, 8.25}};
    for (auto [given, stored] : cases) {
        ASSERT_EQ(set_workbook_font(book_ref(h), "", given), 0);
        EXPECT_EQ(book.default_font_size, stored) << given;
        EXPECT_EQ(load_u16(book.fonts.records()[0].data.data()), static_cast<uint16_t>(stored * 20))
            << given;
    }
    EXPECT_EQ(book.default_font_name,
              std::string("\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"));
}

TEST_F(WorkbookFontTest, RefusalsChangeNothing) {
    EXPECT_EQ(set_workbook_font(book_ref(-1), "Arial", 10.0), -2);
    EXPECT_EQ(set_workbook_font(book_ref(7), "Arial", 10.0), -3);
    int32_t h = XM_Create(folder_.file("long.xls").c_str(), 1);
    Workbook &book = *workbook_at(h);
    const Bytes before = book.fonts.records()[0].data;
    EXPECT_EQ(set_workbook_font(book_ref(h), std::string(33, 'x'), 10.0), -31);
    EXPECT_EQ(book.fonts.records()[0].data, before);
    EXPECT_EQ(book.default_font_size, 11.0);
    EXPECT_EQ(set_workbook_font(book_ref(h), std::string(32, 'x'), 10.0), 0);
}

TEST_F(WorkbookFontTest, NamelessFontRequestsAndLaterWidthsUseTheNewDefault) {
    int32_t h = XM_Create97(folder_.file("uses.xls").c_str(), 1);
    Workbook &book = *workbook_at(h);
    ASSERT_EQ(XM_SetColWidth(h, 0, 0, 0, 8), 0);
    ASSERT_EQ(set_workbook_font(book_ref(h), "Arial", 10.0), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 1, 1, 8), 0);
    const auto &columns = book.sheets[0]->rows_columns.columns;
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].width, 2207) << "set before: kept";
    EXPECT_EQ(columns[1].width, 2230);

    const int32_t number = XM_FontNo(h, "", -1.0, 10, 1, 0);
    ASSERT_GT(number, 4);
    const Bytes &body = book.fonts.records()[static_cast<size_t>(number - 1)].data;
    EXPECT_EQ(load_u16(body.data()), 200);
    EXPECT_EQ(Bytes(body.begin() + 14, body.end()), biff8_name(u"Arial", false));

    // A size of 5 points or less still gives widths a reader can use.
    ASSERT_EQ(set_workbook_font(book_ref(h), "", 2.0), 0);
    ASSERT_EQ(XM_SetColWidth(h, 0, 2, 2, 1), 0);
    EXPECT_EQ(columns[2].width, 256 + 255 - 64);
}

}  // namespace
}  // namespace tabrix::engine::test
