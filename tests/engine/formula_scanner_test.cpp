// Lexemes of formula text: what ends an operand, what quotes do, combined operators.
#include "engine/formula/formula_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/formula/formula_context.h"

namespace tabrix::engine {
namespace {

std::vector<Lexeme> scan(std::u16string_view text) {
    std::vector<Lexeme> lexemes;
    EXPECT_EQ(scan_formula(text, &lexemes), 0);
    return lexemes;
}

std::vector<LexemeKind> kinds(const std::vector<Lexeme> &lexemes) {
    std::vector<LexemeKind> result;
    for (const Lexeme &lexeme : lexemes) result.push_back(lexeme.kind);
    return result;
}

using K = LexemeKind;

TEST(FormulaScanner, OperandsEndAtSeparatorsAndBlanks) {
    std::vector<Lexeme> lexemes = scan(u" =SUM($A$1:b2, 3) ");
    EXPECT_EQ(kinds(lexemes),
              (std::vector<K>{K::kOperand, K::kOpenParen, K::kOperand, K::kColon, K::kOperand,
                              K::kComma, K::kOperand, K::kCloseParen}));
    EXPECT_EQ(lexemes[0].text, u"SUM");
    EXPECT_EQ(lexemes[2].text, u"$A$1");
    EXPECT_EQ(lexemes[4].text, u"b2");
    EXPECT_EQ(kinds(scan(u"=A1 B1")), (std::vector<K>{K::kOperand, K::kOperand}));
    // Only one leading "=" is dropped.
    EXPECT_EQ(kinds(scan(u"=1=2")), (std::vector<K>{K::kOperand, K::kOperator, K::kOperand}));
}

TEST(FormulaScanner, QuotesMakeOneOperandOfASheetName) {
    std::vector<Lexeme> lexemes = scan(u"='My Sheet!'!A1");
    ASSERT_EQ(kinds(lexemes), (std::vector<K>{K::kOperand, K::kSheetMark, K::kOperand}));
    EXPECT_EQ(lexemes[0].text, u"My Sheet!");
    EXPECT_TRUE(lexemes[0].quoted);
    EXPECT_FALSE(lexemes[2].quoted);
    EXPECT_EQ(scan(u"=Sheet' 2'!A1")[0].text, u"Sheet 2");
    std::vector<Lexeme> none;
    EXPECT_EQ(scan_formula(u"='Sheet", &none), err::kFormulaUnclosedQuote);
}

TEST(FormulaScanner, StringsUndoDoubledQuotes) {
    std::vector<Lexeme> lexemes = scan(u"=\"say \"\"hi\"\"\"&\"\"");
    ASSERT_EQ(kinds(lexemes), (std::vector<K>{K::kString, K::kOperator, K::kString}));
    EXPECT_EQ(lexemes[0].text, u"say \"hi\"");
    EXPECT_EQ(lexemes[2].text, u"");
    // Separators inside a string are text.
    EXPECT_EQ(scan(u"=\"(,;'!#)\"")[0].text, u"(,;'!#)");
}

TEST(FormulaScanner, ComparisonsCombine) {
    std::vector<Lexeme> lexemes = scan(u"=1<=2>=3<>4<5>6=7");
    std::vector<uint8_t> codes;
    for (const Lexeme &lexeme : lexemes) {
        if (lexeme.kind == K::kOperator) codes.push_back(lexeme.code);
    }
    EXPECT_EQ(codes,
              (std::vector<uint8_t>{ptg::kLE, ptg::kGE, ptg::kNE, ptg::kLT, ptg::kGT, ptg::kEQ}));
    std::vector<Lexeme> none;
    EXPECT_EQ(scan_formula(u"=1==2", &none), err::kFormulaSyntax);
    EXPECT_EQ(scan_formula(u"=1=>2", &none), err::kFormulaSyntax);
}

TEST(FormulaScanner, ExponentSignStaysWithTheNumber) {
    std::vector<Lexeme> lexemes = scan(u"=1.5E-3+2e+1-E1");
    ASSERT_EQ(kinds(lexemes),
              (std::vector<K>{K::kOperand, K::kOperator, K::kOperand, K::kOperator, K::kOperand}));
    EXPECT_EQ(lexemes[0].text, u"1.5E-3");
    EXPECT_EQ(lexemes[2].text, u"2e+1");
    EXPECT_EQ(lexemes[4].text, u"E1");
    // A cell whose column is E does not take the sign.
    EXPECT_EQ(kinds(scan(u"=AE-1")), (std::vector<K>{K::kOperand, K::kOperator, K::kOperand}));
}

TEST(FormulaScanner, ErrorLiteralsMatchTheTableInAnyCase) {
    std::vector<Lexeme> lexemes = scan(u"=#div/0!+#Value!");
    ASSERT_EQ(kinds(lexemes), (std::vector<K>{K::kErrorLiteral, K::kOperator, K::kErrorLiteral}));
    EXPECT_EQ(lexemes[0].code, 0x07);
    EXPECT_EQ(lexemes[2].code, 0x0F);
    std::vector<Lexeme> none;
    EXPECT_EQ(scan_formula(u"=#NA", &none), err::kFormulaUnknownErrorLiteral);
}

TEST(FormulaScanner, DoubleByteTextIsOrdinary) {
    std::vector<Lexeme> lexemes = scan(u"='売上表'!A1&\"ｶﾅ漢字\"");
    EXPECT_EQ(lexemes[0].text, u"売上表");
    EXPECT_EQ(lexemes.back().text, u"ｶﾅ漢字");
    EXPECT_EQ(narrow_length(u"ｶﾅ漢字"), 6u);
}

}  // namespace
}  // namespace tabrix::engine
