// Formulas the compiler refuses, with the code that says why, and the limits around them.
#include <gtest/gtest.h>

#include <string>

#include "engine/formula_compiler.h"

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
    EXPECT_EQ(compile(u"=SUM(1"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=(1"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=((1)"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=1)"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=)"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=(1))"), kFormulaParentheses);
    EXPECT_EQ(compile(u"=()"), kFormulaSyntax);
}

TEST(FormulaErrors, Quotes) {
    EXPECT_EQ(compile(u"=\"abc"), kFormulaUnclosedQuote);
    EXPECT_EQ(compile(u"=\"abc\"\""), kFormulaUnclosedQuote);
    EXPECT_EQ(compile(u"='Sheet2!A1"), kFormulaUnclosedQuote);
}

TEST(FormulaErrors, FunctionsAndArguments) {
    EXPECT_EQ(compile(u"=FOO(1)"), kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=SUMX(1)"), kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=1(2)"), kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=@@SUM(1)"), kFormulaUnknownFunction);
    EXPECT_EQ(compile(u"=SUM()"), kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=ABS(1,2)"), kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=ROW()"), kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=PI(1)"), kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=PI(,)"), kFormulaArgumentCount);
    EXPECT_EQ(compile(u"=SUM(-,1)"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=SUM(1,-)"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=SUM(1+,2)"), kFormulaSyntax);
}

TEST(FormulaErrors, MisplacedOperatorsAndCommas) {
    EXPECT_EQ(compile(u""), kFormulaSyntax);
    EXPECT_EQ(compile(u"="), kFormulaSyntax);
    EXPECT_EQ(compile(u"   "), kFormulaSyntax);
    EXPECT_EQ(compile(u"=(1,2)"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1,2"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=*1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=%"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1+"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=-"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1*/2"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1==B1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1=>B1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"==1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1 B1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1 2"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=\"a\"\"b\" \"c\""), kFormulaSyntax);
    EXPECT_EQ(compile(u"=!A1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1;B1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=}"), kFormulaSyntax);
}

TEST(FormulaErrors, OperandsThatAreNothing) {
    EXPECT_EQ(compile(u"=ABC"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=$1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=TRUEX"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1.2.3"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1E"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1E999"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=1x"), kFormulaSyntax);
    EXPECT_EQ(compile(u"='A1'"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=$$A1"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A$"), kFormulaSyntax);
}

TEST(FormulaErrors, ReferencesOutsideTheGrid) {
    EXPECT_EQ(compile(u"=A0"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=IW1"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A65537"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A99999999999999999999"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A16384", kBiff5), 0);
    EXPECT_EQ(compile(u"=A16385", kBiff5), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A1:B0"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A:IW"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=1:16385", kBiff5), kFormulaBadReference);
    // Both ends must be cells, columns or rows alike.
    EXPECT_EQ(compile(u"=A1:B"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A1:3"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=A:3"), kFormulaBadReference);
    // A range is not followed by another colon, a parenthesis or a sheet mark.
    EXPECT_EQ(compile(u"=A1:B2:C3"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:B2(1)"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:"), kFormulaSyntax);
    EXPECT_EQ(compile(u"=A1:TRUE"), kFormulaSyntax);
}

TEST(FormulaErrors, Sheets) {
    // Not in the ref-sheet list, although the workbook has it.
    EXPECT_EQ(compile(u"=Sheet3!A1"), kFormulaUnknownSheet);
    // In the list, but the workbook has no such sheet.
    EXPECT_EQ(compile(u"=Missing!A1"), kFormulaUnknownSheet);
    EXPECT_EQ(compile(u"=Sheet2:Sheet3!A1"), kFormulaUnknownSheet);
    EXPECT_EQ(compile(u"=Sheet2!A1", kBiff5), 0);
    FormulaContext no_list = kBiff8;
    no_list.ref_sheets.clear();
    EXPECT_EQ(compile(u"=Sheet2!A1", no_list), kFormulaUnknownSheet);
    // After the sheet mark comes a cell or a range.
    EXPECT_EQ(compile(u"=Sheet2!SUM(1)"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!A0"), kFormulaBadReference);
    EXPECT_EQ(compile(u"=Sheet2!A1:Sheet2!B2"), kFormulaBadReference);
}

TEST(FormulaErrors, ErrorLiterals) {
    EXPECT_EQ(compile(u"=#BOGUS!"), kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#"), kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#DIV/0"), kFormulaUnknownErrorLiteral);
    EXPECT_EQ(compile(u"=#N/AB"), kFormulaSyntax);
}

TEST(FormulaErrors, ArrayConstants) {
    EXPECT_EQ(compile(u"={1,{2}}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,A1}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,#N/A}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,SUM(1)}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,2"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1,,2}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1;2,3}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={-TRUE}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={1}}"), kFormulaSyntax);
    // 256 elements per formula, padding included (empty strings keep the bytes low).
    std::u16string row = u"\"\"" + repeat(u",\"\"", 127);
    EXPECT_EQ(compile(u"={" + row + u";" + row + u"}"), 0);
    EXPECT_EQ(compile(u"={" + row + u";" + row + u";1}"), kFormulaArrayConstant);
    EXPECT_EQ(compile(u"={" + row + u"}+{" + row + u"}+{1}"), kFormulaArrayConstant);
    // BIFF5 cannot hold 256 columns.
    std::u16string wide = u"={" + row + u"," + row + u"}";
    EXPECT_EQ(compile(wide, kBiff8), 0);
    EXPECT_EQ(compile(wide, kBiff5), kFormulaArrayConstant);
}

TEST(FormulaErrors, TextLengthInNarrowBytes) {
    std::u16string text = u"=1" + std::u16string(4094, u' ');
    EXPECT_EQ(compile(text), 0);
    EXPECT_EQ(compile(text + u" "), kFormulaTextTooLong);
    // Japanese characters take two bytes each.
    std::u16string quoted = u"=\"" + std::u16string(2047, u'あ') + u"\"";
    EXPECT_EQ(compile(quoted), kFormulaTextTooLong);
    quoted = u"=\"" + std::u16string(2046, u'あ') + u"\"";
    EXPECT_EQ(compile(quoted), kFormulaStringTooLong);
}

TEST(FormulaErrors, StringLiteralOf255Bytes) {
    EXPECT_EQ(compile(u"=\"" + std::u16string(255, u'x') + u"\""), 0);
    EXPECT_EQ(compile(u"=\"" + std::u16string(256, u'x') + u"\""), kFormulaStringTooLong);
    EXPECT_EQ(compile(u"=\"" + std::u16string(127, u'日') + u"x\"", kBiff5), 0);
    EXPECT_EQ(compile(u"=\"" + std::u16string(128, u'日') + u"\"", kBiff8), kFormulaStringTooLong);
    // A doubled quote counts once.
    EXPECT_EQ(compile(u"=\"" + std::u16string(254, u'x') + u"\"\"\""), 0);
}

TEST(FormulaErrors, TokenBytesBelow1400) {
    // "1" is 3 bytes, each "+1" adds 4: 349 of them make 1399 bytes.
    std::u16string sum = u"=1" + repeat(u"+1", 349);
    EXPECT_EQ(compile(sum), 0);
    EXPECT_EQ(compile(sum + u"%"), kFormulaTokensTooLong);
    // Array data counts too.
    std::u16string row = u"1" + repeat(u",1", 154);
    EXPECT_EQ(compile(u"={" + row + u"}"), kFormulaTokensTooLong);
}

TEST(FormulaErrors, OperatorStackAndTokenListLimits) {
    EXPECT_EQ(compile(u"=" + repeat(u"(", 256) + u"1" + repeat(u")", 256)), 0);
    EXPECT_EQ(compile(u"=" + repeat(u"(", 257) + u"1" + repeat(u")", 257)), kFormulaTooComplex);
    // Argument markers and missing arguments fill the list without many bytes.
    std::u16string choose = u"CHOOSE(" + repeat(u",", 29) + u")";
    std::u16string text = u"=" + choose;
    for (int i = 1; i < 25; ++i) text += u"&" + choose;
    EXPECT_EQ(compile(text), kFormulaTooComplex);
}

}  // namespace
}  // namespace tabrix::engine
