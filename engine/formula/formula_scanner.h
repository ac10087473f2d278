// First stage of the formula compiler: formula text to lexemes (operands, strings, error
// literals, operators and punctuation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/errors.h"

namespace tabrix::engine {

// BIFF token codes the compiler writes.
namespace ptg {
inline constexpr uint8_t kAdd = 0x03;
inline constexpr uint8_t kSub = 0x04;
inline constexpr uint8_t kMul = 0x05;
inline constexpr uint8_t kDiv = 0x06;
inline constexpr uint8_t kPower = 0x07;
inline constexpr uint8_t kConcat = 0x08;
inline constexpr uint8_t kLT = 0x09;
inline constexpr uint8_t kLE = 0x0A;
inline constexpr uint8_t kEQ = 0x0B;
inline constexpr uint8_t kGE = 0x0C;
inline constexpr uint8_t kGT = 0x0D;
inline constexpr uint8_t kNE = 0x0E;
inline constexpr uint8_t kUplus = 0x12;
inline constexpr uint8_t kUminus = 0x13;
inline constexpr uint8_t kPercent = 0x14;
inline constexpr uint8_t kParen = 0x15;
inline constexpr uint8_t kMissArg = 0x16;
inline constexpr uint8_t kStr = 0x17;
inline constexpr uint8_t kErr = 0x1C;
inline constexpr uint8_t kBool = 0x1D;
inline constexpr uint8_t kInt = 0x1E;
inline constexpr uint8_t kNum = 0x1F;
inline constexpr uint8_t kRef = 0x24;
inline constexpr uint8_t kArea = 0x25;
inline constexpr uint8_t kRef3d = 0x3A;
inline constexpr uint8_t kArea3d = 0x3B;
inline constexpr uint8_t kFuncV = 0x41;
inline constexpr uint8_t kFuncVarV = 0x42;
inline constexpr uint8_t kRefV = 0x44;
inline constexpr uint8_t kRefErrV = 0x4A;
inline constexpr uint8_t kRef3dV = 0x5A;
inline constexpr uint8_t kArrayA = 0x60;
}  // namespace ptg

struct ErrorLiteral {
    const char *name;  // upper case
    uint8_t code;      // BIFF error code; for "#REF!" the token that replaces ptgErr
};

inline constexpr size_t kErrorLiteralCount = 7;
extern const ErrorLiteral ErrorLiteralTable[kErrorLiteralCount];

// The longest string literal, in bytes of the narrow code page.
inline constexpr size_t kMaxStringLiteralBytes = 255;

enum class LexemeKind : uint8_t {
    kOperand,       // name, number, cell or sheet: the characters between two separators
    kString,        // text: the string's characters, doubled quotes undone
    kErrorLiteral,  // code: the literal's code
    kOperator,      // code: the two-operand ptg code (+ and - may turn out to be signs)
    kPercent,
    kOpenParen,
    kCloseParen,
    kComma,
    kColon,
    kSheetMark,  // !
    kOpenBrace,
    kCloseBrace,
    kSemicolon,
};

struct Lexeme {
    LexemeKind kind = LexemeKind::kOperand;
    uint8_t code = 0;
    bool quoted = false;  // an operand written (partly) inside single quotes: a sheet name
    std::u16string text;
};

// Skips leading blanks and one "=", then splits the rest. Blanks separate operands and are
// otherwise ignored outside strings and quotes. Returns 0, err::kFormulaSyntax ("==", "=>"),
// err::kFormulaUnclosedQuote, err::kFormulaStringTooLong or err::kFormulaUnknownErrorLiteral.
int scan_formula(std::u16string_view text, std::vector<Lexeme> *lexemes);

// Bytes the text takes in the narrow code page.
size_t narrow_length(std::u16string_view text);

// Character tests shared by the compiler's stages. Only ASCII letters fold, as in the narrow
// code page's case-insensitive comparison.
namespace formula_text {

inline char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
}
inline bool is_digit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
inline bool is_letter(char16_t c) {
    return upper(c) >= u'A' && upper(c) <= u'Z';
}

inline std::u16string upper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t &c : result) c = upper(c);
    return result;
}

inline bool same_name(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

}  // namespace formula_text

}  // namespace tabrix::engine
