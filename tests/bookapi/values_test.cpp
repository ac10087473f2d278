// Values: every VARIANT type, keyword parts, the get calls' conversions and the UTF-16 twins.
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>

#include "book_test_util.h"
#include "bookapi/books/book_registry.h"
#include "engine/model/keywords.h"
#include "platform/codepage.h"

namespace tabrix::bookapi::test {
namespace {

class ValuesTest : public BookTest {
  protected:
    void SetUp() override { ASSERT_EQ(XlsCreateBook(file("v.xls").c_str(), 97, 2, nullptr), 1); }
    static VARIANT variant(uint16_t type) {
        VARIANT value;
        std::memset(&value, 0, sizeof value);
        value.vt = type;
        return value;
    }
    // What the cell reads as: "i:<n>", "d:<x>", "s:<text>" or "e:<error>".
    static std::string read(const char *position) {
        VARIANT value;
        if (!XlsGetValueV(&value, position)) return "e:" + std::to_string(error_no());
        std::string out;
        if (value.vt == VT_I4) out = "i:" + std::to_string(value.lVal);
        if (value.vt == VT_R8) out = "d:" + std::to_string(value.dblVal);
        if (value.vt == VT_BSTR) out = "s:" + platform::utf16_to_cp932(value.bstrVal);
        XlsClearValueV(&value);
        return out;
    }
};

TEST_F(ValuesTest, EachVariantTypeWritesItsValue) {
    struct Case {
        VARIANT value;
        const char *expected;
    };
    VARIANT b = variant(VT_BOOL), i2 = variant(VT_I2), ui4 = variant(VT_UI4), r4 = variant(VT_R4),
            date = variant(VT_DATE), cy = variant(VT_CY), dec = variant(VT_DECIMAL),
            i1 = variant(VT_I1), ui1 = variant(VT_UI1), ui2 = variant(VT_UI2),
            text = variant(VT_BSTR), none = variant(VT_BSTR), error = variant(VT_ERROR);
    b.boolVal = -1;
    i2.iVal = -5;
    ui4.ulVal = 0xFFFFFFFE;
    r4.fltVal = 1.5f;
    date.date = 45000.25;
    cy.cyVal = 12345LL * 10000 + 5000;
    dec.decVal.Lo64 = 123456;
    dec.decVal.scale = 3;
    dec.decVal.sign = 0x80;
    i1.cVal = -3;
    ui1.bVal = 200;
    ui2.uiVal = 65535;
    char16_t words[] = u"東京";
    text.bstrVal = words;
    error.scode = 7;
    const Case cases[] = {{b, "i:-1"},
                          {i2, "i:-5"},
                          {ui4, "d:4294967294.000000"},
                          {r4, "d:1.500000"},
                          {date, "d:45000.250000"},
                          {cy, "d:12345.500000"},
                          {dec, "d:-123.456000"},
                          {i1, "i:-3"},
                          {ui1, "i:200"},
                          {ui2, "i:65535"},
                          {text, "s:\x93\x8C\x8B\x9E"},
                          {none, "s:"},
                          {error, "s:"}};
    int32_t row = 0;
    for (const Case &c : cases) {
        const std::string at = POS(0, row++, -1, 0);
        ASSERT_EQ(XlsPutValueV(c.value, at.c_str()), 1) << c.expected;
        EXPECT_EQ(read(at.c_str()), c.expected);
    }
    // A reference is followed; one that refers to itself ends as an empty text.
    VARIANT referred = variant(VT_I4), reference = variant(VT_BYREF | VT_VARIANT);
    referred.lVal = 77;
    reference.pvarVal = &referred;
    ASSERT_EQ(XlsPutValue2(reference, "B1", 15), 1);
    EXPECT_EQ(read("B1"), "i:77");
    reference.pvarVal = &reference;
    ASSERT_EQ(XlsPutValueV(reference, "B2"), 1);
    EXPECT_EQ(read("B2"), "s:");
    // A text starting with "=" is a formula, not a text.
    char16_t formula[] = u"=1+2";
    text.bstrVal = formula;
    ASSERT_EQ(XlsPutValueV(text, "B3"), 1);
    EXPECT_NE(read("B3"), "s:=1+2");
}

TEST_F(ValuesTest, GetCallsConvertNumbersAndTexts) {
    ASSERT_EQ(XlsPutDouble(0.1, "A1"), 1);
    ASSERT_EQ(XlsPutDouble(1e20, "A2"), 1);
    ASSERT_EQ(XlsPutStr("42abc", "A3"), 1);
    ASSERT_EQ(XlsPutDouble(-2.75, "A4"), 1);
    char text[8];
    ASSERT_EQ(XlsGetStr(text, sizeof text, "A1"), 1);
    EXPECT_STREQ(text, "0.1");
    ASSERT_EQ(XlsGetStr(text, sizeof text, "A2"), 1);
    EXPECT_STREQ(text, "1e+20");
    ASSERT_EQ(XlsGetStr(text, 3, "A3"), 1);
    EXPECT_STREQ(text, "42");
    int32_t integer = 0;
    double number = 0;
    ASSERT_EQ(XlsGetLong(&integer, "A3"), 1);
    ASSERT_EQ(XlsGetDouble(&number, "A3"), 1);
    EXPECT_EQ(integer, 42);
    EXPECT_EQ(number, 42.0);
    ASSERT_EQ(XlsGetLong(&integer, "A4"), 1);
    EXPECT_EQ(integer, -2);
    // No value there: error 8, and the get calls clear an earlier error first.
    XlsSetErrorNo(34);
    EXPECT_EQ(XlsGetLong(&integer, "C9"), 0);
    EXPECT_EQ(error_no(), errValue);
    EXPECT_EQ(read("A4:B9"), "d:-2.750000");  // a range reads its first cell
}

TEST_F(ValuesTest, NumbersBeyond32BitsReadAsIntegersAreHeldAtTheLimits) {
    const std::pair<double, int32_t> cases[] = {
        {3e9, INT32_MAX},          {-3e9, INT32_MIN},          {1e300, INT32_MAX},
        {2147483647.5, INT32_MAX}, {-2147483648.5, INT32_MIN}, {-2147483647.9, -2147483647}};
    for (const auto &[stored, expected] : cases) {
        ASSERT_EQ(XlsPutDouble(stored, "A1"), 1);
        int32_t integer = 0;
        ASSERT_EQ(XlsGetLong(&integer, "A1"), 1);
        EXPECT_EQ(integer, expected) << stored;
    }
}

TEST_F(ValuesTest, KeywordPartsWriteAtEveryCarrierWithTheirOffset) {
    engine::Workbook *book = engine::workbook_at(current_book()->engine_handle);
    ASSERT_NE(book, nullptr);
    for (uint16_t row : {2, 7}) engine::add_keyword(*book->sheets[0], {row, 1, 15, u"**kw"});
    ASSERT_EQ(XlsPutLong(5, "**kw_[1:0],A1"), 1);
    EXPECT_EQ(read("C3"), "i:5");
    EXPECT_EQ(read("C8"), "i:5");
    EXPECT_EQ(read("A1"), "i:5");
    EXPECT_EQ(XlsPutStr("x", "**other"), 0);
    EXPECT_EQ(error_no(), errNoVariable);
    // The get calls do not look keywords up.
    EXPECT_EQ(XlsGetStr(nullptr, 0, "**kw"), 0);
    // Another prefix makes "**kw" an ordinary (unknown) name.
    XlsSetKeyWord("##");
    EXPECT_EQ(XlsPutLong(1, "**kw"), 0);
    EXPECT_EQ(error_no(), errPosition);
}

TEST_F(ValuesTest, BooleansAreWrittenAndNonFiniteNumbersRefused) {
    engine::Workbook *book = engine::workbook_at(current_book()->engine_handle);
    ASSERT_NE(book, nullptr);
    engine::add_keyword(*book->sheets[0], {2, 1, 15, u"**kw"});
    ASSERT_EQ(XlsPutBool(3, "**kw_[1:0],A1"), 1);
    ASSERT_EQ(XlsPutBool2(0, "B1", 15), 1);
    EXPECT_EQ(XlsPutDouble(std::nan(""), "D1"), 0);
    EXPECT_EQ(error_no(), errParam);
    VARIANT infinite = variant(VT_R8);
    infinite.dblVal = -INFINITY;
    EXPECT_EQ(XlsPutValueV(infinite, "E1"), 0);
    EXPECT_EQ(error_no(), errParam);
    ASSERT_EQ(XlsCloseBook(1), 1);

    const int32_t h = XM_ReadOpen(file("v.xls").c_str());
    ASSERT_GE(h, 0);
    // (column, row, expected kind-2 value); D1 and E1 hold no cell.
    for (auto [x, y, expected] : {std::tuple{2, 2, -1.0}, {0, 0, -1.0}, {1, 0, 0.0}}) {
        int32_t kind = -1;
        double value = 5;
        EXPECT_EQ(XM_Read(h, 0, x, y, &kind, &value, nullptr, 0), 0);
        EXPECT_EQ(kind, 2);
        EXPECT_EQ(value, expected);
    }
    int32_t kind = -1;
    double value = 0;
    EXPECT_EQ(XM_Read(h, 0, 3, 0, &kind, &value, nullptr, 0), -7);
    EXPECT_EQ(XM_Read(h, 0, 4, 0, &kind, &value, nullptr, 0), -7);
    XM_ReadClose(h);
}

TEST_F(ValuesTest, WideTwinsKeepTextsOutsideTheNarrowCodePage) {
    const char16_t text[] = u"\u00e9t\u00e9 \U0001F600";  // no code page 932 form
    ASSERT_EQ(XlsPutStrW(text, u"B2"), 1);
    char16_t back[16];
    ASSERT_EQ(XlsGetStrW(back, 16, u"B2"), 1);
    EXPECT_EQ(std::u16string(back), text);
    // Cut before the surrogate pair rather than inside it.
    ASSERT_EQ(XlsGetStrW(back, 6, u"B2"), 1);
    EXPECT_EQ(std::u16string(back), u"\u00e9t\u00e9 ");
    ASSERT_EQ(XlsPutFuncW(u"=B5*3", nullptr, u"B6"), 1);
    EXPECT_EQ(XlsPutFuncW(u"", nullptr, u"B6"), 0);
    EXPECT_EQ(error_no(), errParam);
}

}  // namespace
}  // namespace tabrix::bookapi::test
