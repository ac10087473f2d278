// Formulas the compiler refuses, with the code that says why, and the limits around them.
#include <gtest/gtest.h>

#include <string>

#include "engine/formula/formula_compiler.h"

namespace tabrix::engine {
namespace {

FormulaContext context(BiffVersion version) {
    FormulaContext ctx;
    ctx.version = version;
    ctx.row_count = version == BiffVersion::kBiff5 ? 16384 : 65536;
    ctx.sheet_names = {u"Sheet1", u"Sheet2", u"Sheet3"};
    ctx.ref_sheets = {u"Sheet2", u"Missing"};
    return ctx;
}

const FormulaContext kBiff5 = context(BiffVersion::kBiff5);
const FormulaContext kBiff8 = context(BiffVersion::kBiff8);

int compile(std::u16string_view text, const FormulaContext &ctx = kBiff8) {
    CompiledFormula out;
    int rc = compile_formula(text, ctx, &out);
    if (rc != 0) {
        EXPECT_TRUE(out.tokens.empty() && out.array_data.empty() && out.new_extern_sheets.empty());
    }
    return rc;
}

std::u16string repeat(std::u16string_view piece, size_t count) {
    std::u16string text;
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
}

TEST(FormulaErrors, Parentheses) {
    EXPECT_EQ(compile(u"=SUM(1"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=(1"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=((1)"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=1)"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=)"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=(1))"), err::kFormulaParentheses);
    EXPECT_EQ(compile(u"=()"), err::kFormulaSyntax);
}

TEST(FormulaErrors, Quotes) {
    EXPECT_EQ(compile(u"=\"abc"), err::kFormulaUnclosedQuote);
    EXPECT_EQ(compile(u"=\"abc\"\""), err::kFormulaUnclosedQuote);
    EXPECT_EQ(compile(u"='Sheet2!A1"), err::kFormulaUnclosedQuote);
}

TEST(FormulaErrors, FunctionsAndArguments) {
    EXPECT_EQ(compile(u"=FOO(1)"), err::kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=SUMX(1)"), err::kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=1(2)"), err::kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=@@SUM(1)"), err::kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=SUM()"), err::kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=ABS(1,2)"), err::kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=ROW()"), err::kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=PI(1)"), err::kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=PI(,)"), err::kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=SUM(-,1)"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=SUM(1,-)"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=SUM(1+,2)"), err::kFormulaSyntax);
}

TEST(FormulaErrors, MisplacedOperatorsAndCommas) {
    EXPECT_EQ(compile(u""), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"="), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"   "), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=(1,2)"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1,2"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=*1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=%"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1+"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=-"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1*/2"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1==B1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1=>B1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"==1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1 B1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1 2"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=\"a\"\"b\" \"c\""), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=!A1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1;B1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=}"), err::kFormulaSyntax);
}

TEST(FormulaErrors, OperandsThatAreNothing) {
    EXPECT_EQ(compile(u"=ABC"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=$1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=TRUEX"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1.2.3"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1E"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1E999"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=1x"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"='A1'"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=$$A1"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A$"), err::kFormulaSyntax);
}

TEST(FormulaErrors, ReferencesOutsideTheGrid) {
    EXPECT_EQ(compile(u"=A0"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=IW1"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A65537"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A99999999999999999999"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A16384", kBiff5), 0);
    EXPECT_EQ(compile(u"=A16385", kBiff5), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A1:B0"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A:IW"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=1:16385", kBiff5), err::kFormulaBadReference);
    // Both ends must be cells, columns or rows alike.
    EXPECT_EQ(compile(u"=A1:B"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A1:3"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=A:3"), err::kFormulaBadReference);
    // A range is not followed by another colon, a parenthesis or a sheet mark.
    EXPECT_EQ(compile(u"=A1:B2:C3"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:B2(1)"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:"), err::kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:TRUE"), err::kFormulaSyntax);
}

TEST(FormulaErrors, Sheets) {
    // Not in the ref-sheet list, although the workbook has it.
    EXPECT_EQ(compile(u"=Sheet3!A1"), err::kFormulaUnknownSheet);
    // In the list, but the workbook has no such sheet.
    EXPECT_EQ(compile(u"=Missing!A1"), err::kFormulaUnknownSheet);
    EXPECT_EQ(compile(u"=Sheet2:Sheet3!A1"), err::kFormulaUnknownSheet);
    EXPECT_EQ(compile(u"=Sheet2!A1", kBiff5), 0);
    FormulaContext no_list = kBiff8;
    no_list.ref_sheets.clear();
    EXPECT_EQ(compile(u"=Sheet2!A1", no_list), err::kFormulaUnknownSheet);
    // After the sheet mark comes a cell or a range.
    EXPECT_EQ(compile(u"=Sheet2!SUM(1)"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!A0"), err::kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!A1:Sheet2!B2"), err::kFormulaBadReference);
}

TEST(FormulaErrors, ErrorLiterals) {
    EXPECT_EQ(compile(u"=#BOGUS!"), err::kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#"), err::kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#DIV/0"), err::kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#N/AB"), err::kFormulaSyntax);
}

TEST(FormulaErrors, ArrayConstants) {
    EXPECT_EQ(compile(u"={1,{2}}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,A1}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,#N/A}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,SUM(1)}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,2"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,,2}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1;2,3}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={-TRUE}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1}}"), err::kFormulaSyntax);
    // 256 elements per formula, padding included (empty strings keep the bytes low).
    std::u16string row = u"\"\"" + repeat(u",\"\"", 127);
    EXPECT_EQ(compile(u"={" + row + u";" + row + u"}"), 0);
    EXPECT_EQ(compile(u"={" + row + u";" + row + u";1}"), err::kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={" + row + u"}+{" + row + u"}+{1}"), err::kFormulaArrayConstant);
    // BIFF5 cannot hold 256 columns.
    std::u16string wide = u"={" + row + u"," + row + u"}";
    EXPECT_EQ(compile(wide, kBiff8), 0);
    EXPECT_EQ(compile(wide, kBiff5), err::kFormulaArrayConstant);
}

TEST(FormulaErrors, TextLengthInNarrowBytes) {
    std::u16string text = u"=1" + std::u16string(4094, u' ');
    EXPECT_EQ(compile(text), 0);
    EXPECT_EQ(compile(text + u" "), err::kFormulaTextTooLong);
    // Japanese characters take two bytes each.
    std::u16string quoted = u"=\"" + std::u16string(2047, u'あ') + u"\"";
    EXPECT_EQ(compile(quoted), err::kFormulaTextTooLong);
    quoted = u"=\"" + std::u16string(2046, u'あ') + u"\"";
    EXPECT_EQ(compile(quoted), err::kFormulaStringTooLong);
}

TEST(FormulaErrors, StringLiteralOf255Bytes) {
    EXPECT_EQ(compile(u"=\"" + std::u16string(255, u'x') + u"\""), 0);
    EXPECT_EQ(compile(u"=\"" + std::u16string(256, u'x') + u"\""), err::kFormulaStringTooLong);
    EXPECT_EQ(compile(u"=\"" + std::u16string(127, u'日') + u"x\"", kBiff5), 0);
    EXPECT_EQ(compile(u"=\"" + std::u16string(128, u'日') + u"\"", kBiff8),
              err::kFormulaStringTooLong);
    // A doubled quote counts once.
    EXPECT_EQ(compile(u"=\"" + std::u16string(254, u'x') + u"\"\"\""), 0);
}

TEST(FormulaErrors, TokenBytesBelow1400) {
    // "1" is 3 bytes, each "+1" adds 4: 349 of them make 1399 bytes.
    std::u16string sum = u"=1" + repeat(u"+1", 349);
    EXPECT_EQ(compile(sum), 0);
    EXPECT_EQ(compile(sum + u"%"), err::kFormulaTokensTooLong);
    // Array data counts too.
    std::u16string row = u"1" + repeat(u",1", 154);
    EXPECT_EQ(compile(u"={" + row + u"}"), err::kFormulaTokensTooLong);
}

TEST(FormulaErrors, OperatorStackAndTokenListLimits) {
    EXPECT_EQ(compile(u"=" + repeat(u"(", 256) + u"1" + repeat(u")", 256)), 0);
    EXPECT_EQ(compile(u"=" + repeat(u"(", 257) + u"1" + repeat(u")", 257)),
              err::kFormulaTooComplex);
    // Argument markers and missing arguments fill the list without many bytes.
    std::u16string choose = u"CHOOSE(" + repeat(u",", 29) + u")";
    std::u16string text = u"=" + choose;
    for (int i = 1; i < 25; ++i) text += u"&" + choose;
    EXPECT_EQ(compile(text), err::kFormulaTooComplex);
}

}  // namespace
}  // namespace tabrix::engine
