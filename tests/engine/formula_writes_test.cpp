// Formula cells written through the C interface: the stored FORMULA (and STRING) record,
// refused formulas that leave everything as it was, ref-sheet lists with their records, and
// the EXTERNSHEET table a written Excel 97 file carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/biff/record_numbers.h"
#include "engine/formula/external_references.h"
#include "engine/formula/formula_compiler.h"
#include "engine/layout/sheet_names.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine {
namespace {

using test::TempFolder;

constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kString = 0x0207;

class FormulaWrites : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        path_ = folder_.file("f.xls");
        handle_ = biff8() ? XM_Create97(path_.c_str(), 3) : XM_Create(path_.c_str(), 3);
        ASSERT_GE(handle_, 0);
    }
    void TearDown() override { reset_process_state(); }
    bool biff8() const { return GetParam(); }
    Workbook &book() { return *workbook_at(handle_); }
    Sheet &sheet(int s) { return *book().sheets[s]; }

    // The stored record image at a cell, empty when there is none.
    std::vector<uint8_t> cell(int s, uint16_t row, uint8_t column) {
        CellView view;
        if (!sheet(s).cells.find(row, column, &view)) return {};
        return {view.image.begin(), view.image.end()};
    }
    // What the compiler makes of the text on sheet s as the workbook stands.
    std::vector<uint8_t> tokens(int s, std::u16string_view text) {
        CompiledFormula compiled;
        EXPECT_EQ(compile_formula(text, formula_context(book(), sheet(s)), &compiled), 0);
        return compiled.tokens;
    }
    // Closes the workbook and returns the records of its stream.
    std::vector<test::StreamRecord> close_and_read() {
        EXPECT_EQ(XM_Close(handle_), 0);
        handle_ = -1;
        return test::parse_records(
            test::read_workbook_stream(path_, biff8() ? u"Workbook" : u"Book"));
    }

    TempFolder folder_;
    std::string path_;
    int32_t handle_ = -1;
};

TEST_P(FormulaWrites, StoresTheFormulaRecordOfTheCompiledText) {
    ASSERT_EQ(XM_WriteFunc(handle_, 1, 3, 7, "=SUM(A1:B2)*2"), 0);
    std::vector<uint8_t> image = cell(1, 7, 3);
    std::vector<uint8_t> expected = tokens(1, u"=SUM(A1:B2)*2");
    ASSERT_EQ(image.size(), 4 + 22 + expected.size());
    EXPECT_EQ(load_u16(&image[0]), kFormula);
    EXPECT_EQ(load_u16(&image[2]), 22 + expected.size());
    EXPECT_EQ(load_u16(&image[4]), 7);   // row
    EXPECT_EQ(load_u16(&image[6]), 3);   // column
    EXPECT_EQ(load_u16(&image[8]), 15);  // default XF
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 10, image.begin() + 18),
              std::vector<uint8_t>(8, 0));
    EXPECT_EQ(load_u16(&image[18]), 3);  // calculate on load
    EXPECT_EQ(load_u16(&image[24]), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 26, image.end()), expected);
    EXPECT_EQ(book().current_sheet, 1);

    test::register_attributes(handle_, 1);
    ASSERT_EQ(XM_WriteFunc2(handle_, 1, 4, 7, "=1", -21), 0);
    EXPECT_EQ(load_u16(&cell(1, 7, 4)[8]), 21);
}

TEST_P(FormulaWrites, CachedTextResultTravelsWithItsStringRecord) {
    FormulaResult result{};
    result.kind = 3;
    const char text[] = "\x93\xfa\x96\x7b";  // two double-byte characters
    result.length = 4;
    std::memcpy(result.text, text, 4);
    ASSERT_EQ(XM_WriteFunc3(handle_, 0, 0, 0, "=A2", 15, &result), 0);
    std::vector<uint8_t> image = cell(0, 0, 0);
    size_t formula_size = 4 + load_u16(&image[2]);
    ASSERT_GT(image.size(), formula_size + 4);
    EXPECT_EQ(load_u16(&image[18]), 0);  // a cached result: no forced calculation
    EXPECT_EQ(image[10], 0);             // text result marker
    EXPECT_EQ(load_u16(&image[16]), 0xFFFF);
    const uint8_t *string = &image[formula_size];
    EXPECT_EQ(load_u16(string), kString);
    if (biff8()) {
        EXPECT_EQ(load_u16(string + 2), 3 + 4);  // count, option, two UTF-16 units
        EXPECT_EQ(load_u16(string + 4), 2);
        EXPECT_EQ(string[6], 1);
        EXPECT_EQ(load_u16(string + 7), 0x65E5);
        EXPECT_EQ(load_u16(string + 9), 0x672C);
    } else {
        EXPECT_EQ(load_u16(string + 2), 2 + 4);  // byte count and the bytes
        EXPECT_EQ(load_u16(string + 4), 4);
        EXPECT_EQ(std::memcmp(string + 6, text, 4), 0);
    }
    EXPECT_EQ(image.size(), formula_size + 4 + load_u16(string + 2));
    EXPECT_EQ(sheet(0).cells.record_count(), 1u);
    // A STRING record alone is no cell.
    const uint8_t lone_string[] = {0x07, 0x02, 6, 0, 0, 0, 1, 0, 15, 0};
    EXPECT_EQ(sheet(0).cells.insert(lone_string), -31);

    // Rewriting the cell replaces both records, and the row's next cell stays apart.
    ASSERT_EQ(XM_WriteInt(handle_, 0, 1, 0, 5), 0);
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 0, 0, "=1"), 0);
    EXPECT_EQ(load_u16(&cell(0, 0, 0)[0]), kFormula);
    EXPECT_EQ(cell(0, 0, 0).size(), 4u + 22 + 3);
    EXPECT_EQ(sheet(0).cells.record_count(), 2u);
}

TEST_P(FormulaWrites, WideTwinsConvertTextAndResult) {
    FormulaResultW result{};
    result.kind = 3;
    result.text[0] = u'\u65E5';
    result.length = 1;
    ASSERT_EQ(XM_WriteFunc3W(handle_, 0, 2, 2, u"=LEN(\"\u65E5\")", 15, &result), 0);
    std::vector<uint8_t> image = cell(0, 2, 2);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 26, image.begin() + 26 + load_u16(&image[24])),
              tokens(0, u"=LEN(\"\u65E5\")"));
    const uint8_t *string = &image[4 + load_u16(&image[2])];
    EXPECT_EQ(load_u16(string), kString);
    EXPECT_EQ(load_u16(string + 4), biff8() ? 1 : 2);  // characters / bytes
    result.length = 257;
    EXPECT_EQ(XM_WriteFunc3W(handle_, 0, 2, 3, u"=1", 15, &result), -31);
    EXPECT_EQ(XM_WriteFuncW(handle_, 0, 2, 4, u"=1+"), -100);
    EXPECT_EQ(XM_WriteFunc2W(handle_, 0, 2, 5, u"=2", 15), 0);
}

TEST_P(FormulaWrites, RefusalsLeaveTheCellAndTheWorkbookAsTheyWere) {
    ASSERT_EQ(XM_SetRefSheet(handle_, 0, "Sheet2/Sheet3"), 0);
    ASSERT_EQ(XM_WriteInt(handle_, 0, 1, 1, 42), 0);
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 1, 2, "=Sheet2!A1"), 0);
    const std::vector<uint8_t> value = cell(0, 1, 1);
    const std::vector<uint8_t> formula = cell(0, 2, 1);
    const std::vector<ExternSheetEntry> table = book().extern_sheets;

    const char *malformed[] = {
        "=SUM(1",     "=(1))",      "=\"abc", "='Sheet2!A1", "=FOO(1)",
        "=SUM()",     "=ABS(1,2)",  "=IW1",   "=A0",         "=A65537",
        "=Sheet1!A1", "=Nosuch!A1", "=1,2",   "=*1",         "=#BAD!",
        "={1,2",      "=1==1",      "",       "=",           "=SUM(Sheet2!A1:A2,",
    };
    for (const char *text : malformed) {
        int rc = XM_WriteFunc(handle_, 0, 1, 1, text);
        EXPECT_LE(rc, -100) << text;
        EXPECT_GE(rc, -199) << text;
        EXPECT_EQ(XM_WriteFunc(handle_, 0, 1, 2, text), rc) << text;
    }
    EXPECT_LE(XM_WriteFunc(handle_, 0, 1, 1, nullptr), -100);
    if (!biff8()) {
        EXPECT_EQ(XM_WriteFunc(handle_, 0, 1, 1, "=A16385"), -104);
    }
    std::string long_text = "=" + std::string(4096, '1');
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 1, 1, long_text.c_str()), -110);
    std::string long_string = "=\"" + std::string(256, 'a') + "\"";
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 1, 1, long_string.c_str()), -111);

    FormulaResult result{};
    result.kind = 4;
    EXPECT_EQ(XM_WriteFunc3(handle_, 0, 1, 1, "=1", 15, &result), -34);
    result.kind = 3;
    result.length = 257;
    EXPECT_EQ(XM_WriteFunc3(handle_, 0, 1, 1, "=1", 15, &result), -31);
    // A refused result after a good compilation takes no EXTERNSHEET entry either.
    EXPECT_EQ(XM_WriteFunc3(handle_, 0, 1, 1, "=Sheet2:Sheet3!A1+Sheet2!B1:B2", 15, &result), -31);

    EXPECT_EQ(XM_WriteFunc(-1, 0, 1, 1, "=1"), -3);
    EXPECT_EQ(XM_WriteFunc(handle_ + 1, 0, 1, 1, "=1"), -3);
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 256, 1, "=1"), -32);
    EXPECT_EQ(XM_WriteFunc(handle_, 0, -1, 1, "=1"), -32);
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 1, biff8() ? 65536 : 16384, "=1"), -32);
    EXPECT_EQ(XM_WriteFunc(handle_, 3, 1, 1, "=1"), -4);

    EXPECT_EQ(cell(0, 1, 1), value);
    EXPECT_EQ(cell(0, 2, 1), formula);
    EXPECT_EQ(sheet(0).cells.record_count(), 2u);
    EXPECT_EQ(book().extern_sheets, table);
}

TEST_P(FormulaWrites, RefSheetListsAndTheirRecords) {
    EXPECT_EQ(XM_SetRefSheet(handle_, 0, ""), -34);
    EXPECT_EQ(XM_SetRefSheet(handle_, 0, nullptr), -34);
    EXPECT_EQ(XM_SetRefSheet(handle_, 0, "Sheet2//Sheet3"), -34);
    EXPECT_EQ(XM_SetRefSheet(handle_, 0, std::string(32, 'a').c_str()), -34);
    EXPECT_EQ(XM_SetRefSheet(handle_, 3, "Sheet2"), -4);
    EXPECT_EQ(XM_SetRefSheet(-1, 0, "Sheet2"), -2);
    EXPECT_EQ(XM_SetRefSheet(handle_ + 1, 0, "Sheet2"), -3);
    EXPECT_TRUE(sheet(0).carried.references.empty());
    EXPECT_TRUE(book().external_references.empty());
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 0, 0, "=Sheet2!A1"), -105);

    // Only as many names as the workbook has sheets are taken.
    ASSERT_EQ(XM_SetRefSheet(handle_, 0, "Sheet3/sheet2/Sheet1/Extra"), 0);
    ASSERT_EQ(XM_SetRefSheet(handle_, 0, "Sheet2"), 0);
    EXPECT_EQ(sheet(0).ref_sheets, std::vector<std::u16string>{u"Sheet2"});
    EXPECT_EQ(XM_WriteFunc(handle_, 0, 0, 0, "=Sheet3!A1"), -105);  // the last list counts
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 0, 0, "=Sheet2!A1"), 0);
    EXPECT_EQ(XM_WriteFunc(handle_, 1, 0, 0, "=Sheet2!A1"), -105);  // another sheet's list

    const std::vector<Record> &own = sheet(0).carried.references.records();
    if (biff8()) {
        EXPECT_TRUE(own.empty());
        const std::vector<Record> &refs = book().external_references.records();
        ASSERT_EQ(refs.size(), 1u);  // one SUPBOOK however often the list is set
        EXPECT_EQ(refs[0].number, 0x01AE);
        EXPECT_EQ(refs[0].data, (std::vector<uint8_t>{3, 0, 0x01, 0x04}));
        return;
    }
    EXPECT_TRUE(book().external_references.empty());
    ASSERT_EQ(own.size(), 5u);
    EXPECT_EQ(own[0].number, rec::kExternCount);
    EXPECT_EQ(own[0].data, (std::vector<uint8_t>{4, 0}));
    const char *names[] = {"Sheet3", "sheet2", "Sheet1", "Sheet2"};
    for (int i = 0; i < 4; ++i) {
        std::string body =
            std::string(1, static_cast<char>(1 + std::strlen(names[i]))) + '\x03' + names[i];
        EXPECT_EQ(own[1 + i].number, 0x0017);
        EXPECT_EQ(own[1 + i].data, std::vector<uint8_t>(body.begin(), body.end())) << i;
    }
    // The reference names its sheet by the first EXTERNSHEET record of that name (the
    // second, "sheet2"), negated, then the sheet numbers.
    std::vector<uint8_t> image = cell(0, 0, 0);
    ASSERT_EQ(image[26], 0x5A);
    EXPECT_EQ(load_u16(&image[27]), static_cast<uint16_t>(-2));
    EXPECT_EQ(load_u16(&image[37]), 1);
    EXPECT_EQ(load_u16(&image[39]), 1);
}

TEST_P(FormulaWrites, WrittenFileCarriesTheReferenceRecords) {
    ASSERT_EQ(XM_SetRefSheet(handle_, 0, "Sheet2/Sheet3"), 0);
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 0, 0, "=Sheet2!A1+Sheet3!B2"), 0);
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 0, 1, "=Sheet3!C3+SUM(Sheet2!A1:A3)"), 0);
    ASSERT_EQ(XM_WriteFunc(handle_, 0, 0, 2, "=SUM(Sheet2:Sheet3!A1)"), 0);
    add_sheet(book());
    std::vector<test::StreamRecord> records = close_and_read();
    std::vector<std::vector<test::StreamRecord>> sections = test::split_sections(records);
    ASSERT_EQ(sections.size(), 5u);
    const std::vector<test::StreamRecord> &globals = sections[0];
    if (biff8()) {
        const test::StreamRecord *supbook = test::first_of(globals, 0x01AE);
        const test::StreamRecord *extern_sheet = test::first_of(globals, 0x0017);
        ASSERT_NE(supbook, nullptr);
        ASSERT_NE(extern_sheet, nullptr);
        EXPECT_EQ(supbook->data, (std::vector<uint8_t>{4, 0, 0x01, 0x04}));  // sheets at close
        EXPECT_LT(supbook->offset, extern_sheet->offset);
        EXPECT_LT(test::first_of(globals, 0x0085)->offset, supbook->offset);
        // Sheet2, Sheet3, then Sheet2-Sheet3; the range on Sheet2 shares the entry of the
        // cell there.
        const uint16_t entries[][3] = {{0, 1, 1}, {0, 2, 2}, {0, 1, 2}};
        ASSERT_EQ(extern_sheet->data.size(), 2u + 6 * 3);
        EXPECT_EQ(extern_sheet->u16(0), 3);
        for (int i = 0; i < 3; ++i) {
            for (int f = 0; f < 3; ++f)
                EXPECT_EQ(extern_sheet->u16(2 + 6 * i + 2 * f), entries[i][f]);
        }
        EXPECT_EQ(test::first_of(sections[1], 0x0016), nullptr);
    } else {
        EXPECT_EQ(test::first_of(globals, 0x0017), nullptr);
        EXPECT_EQ(test::first_of(globals, 0x01AE), nullptr);
        // EXTERNCOUNT and the EXTERNSHEET records sit between the header and the cells.
        const std::vector<test::StreamRecord> &sheet_records = sections[1];
        std::vector<uint16_t> numbers = test::numbers_of(sheet_records);
        auto count = std::find(numbers.begin(), numbers.end(), 0x0016);
        ASSERT_NE(count, numbers.end());
        EXPECT_EQ(*(count - 1), 0x0200);  // DIMENSIONS closes the header list
        EXPECT_EQ(*(count + 1), 0x0017);
        EXPECT_EQ(*(count + 2), 0x0017);
        EXPECT_EQ(*(count + 3), 0x0208);  // the first ROW
        EXPECT_EQ(sheet_records[count - numbers.begin()].u16(0), 2);
    }
    size_t formulas = test::all_of(sections[1], kFormula).size();
    EXPECT_EQ(formulas, 3u);
}

TEST_P(FormulaWrites, KeywordAndOlderLayerForms) {
    add_keyword(sheet(1), KeywordEntry{4, 2, 22, u"**k"});
    add_keyword(sheet(1), KeywordEntry{9, 5, 23, u"**k"});
    EXPECT_EQ(XM_WriteFunch(handle_, 1, "**none", 0, 0, "=1"), -37);
    EXPECT_EQ(XM_WriteFunch(handle_, 1, "**k", 1, 1, "=1+"), -100);
    EXPECT_TRUE(sheet(1).cells.empty());
    EXPECT_FALSE(book().template_flag);
    ASSERT_EQ(XM_WriteFunch(handle_, 1, "**k", 1, 1, "=A1*2"), 0);
    EXPECT_TRUE(book().template_flag);
    EXPECT_EQ(load_u16(&cell(1, 5, 3)[8]), 15);
    EXPECT_EQ(load_u16(&cell(1, 10, 6)[8]), 15);
    ASSERT_EQ(XM_WriteFunchW(handle_, 1, u"**k", 0, 1, u"=2"), 0);
    EXPECT_EQ(load_u16(&cell(1, 5, 2)[0]), kFormula);

    // The older layer works on workbook 0 once it made it itself.
    EXPECT_EQ(XL_WriteFunc(0, 0, "=1"), -3);
    ASSERT_EQ(XM_Cancel(handle_), 0);
    handle_ = -1;
    std::string path = folder_.file("xl.xls");
    ASSERT_EQ(biff8() ? XL_Create97(path.c_str(), 2) : XL_Create(path.c_str(), 2), 0);
    test::register_attributes(0, 2);
    Workbook &xl = *workbook_at(0);
    add_keyword(*xl.sheets[0], KeywordEntry{1, 1, 21, u"**k"});
    ASSERT_EQ(XL_WriteFunch("**k", 0, 1, "=1"), 0);  // the occurrence's own attribute
    ASSERT_EQ(XL_WriteFunc2h("**k", 0, 2, "=1", -22), 0);
    FormulaResult result{};
    result.value = 7;
    ASSERT_EQ(XL_WriteFunc3h("**k", 0, 3, "=3+4", 15, &result), 0);
    ASSERT_EQ(XL_WriteFunc3(5, 5, "=1", 15, nullptr), 0);
    ASSERT_EQ(XL_WriteFunc2(0, 0, "=3", 15), 0);
    ASSERT_EQ(XL_SetRefSheet("Sheet2"), 0);
    ASSERT_EQ(XL_MovePos(7, 7), 0);
    ASSERT_EQ(XL_WrtFunc("=Sheet2!A1"), 0);
    ASSERT_EQ(XL_WrtFunc2("=2", 15), 0);
    CellView view;
    ASSERT_TRUE(xl.sheets[0]->cells.find(2, 1, &view));
    EXPECT_EQ(view.xf(), 21);
    ASSERT_TRUE(xl.sheets[0]->cells.find(3, 1, &view));
    EXPECT_EQ(view.xf(), 22);
    ASSERT_TRUE(xl.sheets[0]->cells.find(4, 1, &view));
    EXPECT_EQ(load_u16(view.image.data() + 18), 0);  // with its cached result
    EXPECT_TRUE(xl.sheets[0]->cells.find(7, 7, &view));
    EXPECT_TRUE(xl.sheets[0]->cells.find(7, 8, &view));
    EXPECT_EQ(xl.sheets[0]->cursor_column, 9);
    EXPECT_EQ(XL_Cancel(), 0);
    EXPECT_EQ(XL_WrtFunc("=1"), -3);
    EXPECT_EQ(XL_SetRefSheet("Sheet2"), -3);
    EXPECT_EQ(XL_WriteFunc3h("**k", 0, 0, "=1", 15, nullptr), -3);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, FormulaWrites, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "Excel97" : "Excel95";
                         });

}  // namespace
}  // namespace tabrix::engine
