// The engine's error numbers: the interface's XLERROR values, negated, as every XM_/XL_ call
// returns them. The formula compiler's codes all read as errFormula to callers; each one says
// which check refused the text.
#pragma once

#include <cstdint>

#include "tabrix/types.h"

namespace tabrix::engine::err {

inline constexpr int32_t of(XLERROR error) {
    return -static_cast<int32_t>(error);
}

inline constexpr int32_t kOpen = of(errOpen);
inline constexpr int32_t kHandle = of(errHandle);
inline constexpr int32_t kNotOpen = of(errNotOpen);
inline constexpr int32_t kSheetNo = of(errSheetNo);
inline constexpr int32_t kWrite = of(errWrite);
inline constexpr int32_t kFileName = of(errFileName);
inline constexpr int32_t kLength = of(errLength);
inline constexpr int32_t kPosition = of(errPosition);
inline constexpr int32_t kParam = of(errParam);
inline constexpr int32_t kNoVariable = of(errNoVariable);
inline constexpr int32_t kMemory = of(errMemory1);
inline constexpr int32_t kMemoryXf = of(errMemory2);  // the XF record of a new attribute
inline constexpr int32_t kInternal = of(errInternal);

inline constexpr int32_t kFormulaSyntax = of(errFormula);  // misplaced operator, comma or
                                                           // operand; empty text
inline constexpr int32_t kFormulaMemory = kFormulaSyntax - 1;
inline constexpr int32_t kFormulaUnknownFunction = kFormulaSyntax - 2;
inline constexpr int32_t kFormulaArgumentCount = kFormulaSyntax - 3;
inline constexpr int32_t kFormulaBadReference = kFormulaSyntax - 4;  // malformed or off the grid
inline constexpr int32_t kFormulaUnknownSheet = kFormulaSyntax - 5;  // not in the ref-sheet list
inline constexpr int32_t kFormulaParentheses = kFormulaSyntax - 6;   // unbalanced
inline constexpr int32_t kFormulaUnclosedQuote = kFormulaSyntax - 7;
inline constexpr int32_t kFormulaArrayConstant = kFormulaSyntax - 8;
inline constexpr int32_t kFormulaUnknownErrorLiteral = kFormulaSyntax - 9;
inline constexpr int32_t kFormulaTextTooLong = kFormulaSyntax - 10;    // over 4096 bytes
inline constexpr int32_t kFormulaStringTooLong = kFormulaSyntax - 11;  // a literal over 255 bytes
inline constexpr int32_t kFormulaTokensTooLong = kFormulaSyntax - 12;  // 1400 token bytes or more
inline constexpr int32_t kFormulaTooComplex = kFormulaSyntax - 13;     // token list or stack full
inline constexpr int32_t kFormulaExternSheetFull = kFormulaSyntax - 14;
// A string the workbook's code page (Excel 95) lacks a character of.
inline constexpr int32_t kFormulaUnwritableString = kFormulaSyntax - 16;
// Not from the compiler: a stored formula whose tokens cannot be stepped through, so an
// operation that must renumber its references refuses.
inline constexpr int32_t kFormulaNotWalkable = kFormulaSyntax - 15;

}  // namespace tabrix::engine::err
