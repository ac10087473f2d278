// Second stage of the formula compiler: lexemes to a token list in reverse Polish order
// (operator precedence by shunting-yard), then the passes that settle references, operand
// classes and missing arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/formula/formula_context.h"
#include "engine/formula/formula_scanner.h"
#include "engine/formula/function_table.h"

namespace tabrix::engine {

// Codes of list entries that write nothing themselves, above every ptg code.
inline constexpr uint32_t kArgumentStart = 0x100;      // a function's argument list opens
inline constexpr uint32_t kArgumentSeparator = 0x101;  // between two arguments
inline constexpr uint32_t kArgumentEnd = 0x102;        // the argument list closes
inline constexpr uint32_t kFunctionCall = 0x103;       // the call itself, after its arguments

// Flags carried in the coordinate fields of a reference.
inline constexpr int32_t kColumnAbsolute = 0x100000;
inline constexpr int32_t kRowAbsolute = 0x200000;
inline constexpr int32_t kNoColumn = 0x400000;  // a whole-row range: no column was written
inline constexpr int32_t kNoRow = 0x800000;     // a whole-column range: no row was written
inline constexpr int32_t kCoordinateMask = 0xFFFFF;

// Limits that keep one compilation bounded.
inline constexpr size_t kMaxFormulaTokens = 1536;
inline constexpr size_t kMaxOperatorStack = 256;
inline constexpr size_t kMaxArrayElements = 256;

struct FormulaToken {
    uint32_t code = 0;                       // ptg code (with its class) or one of the codes above
    std::u16string text;                     // ptgStr
    double number = 0;                       // ptgNum
    uint16_t value = 0;                      // ptgInt, ptgBool, ptgErr
    int count = 0;                           // kFunctionCall: the number of arguments
    const FunctionInfo *function = nullptr;  // kArgumentStart, kFunctionCall
    // References: 0-based coordinates with the flags above. Array constants (ptgArray):
    // firstCol is the index of the constant in ParsedFormula::arrays.
    int32_t firstCol = 0;
    int32_t firstRow = 0;
    int32_t lastCol = 0;
    int32_t lastRow = 0;
    uint16_t firstSheet = 0;  // sheet-qualified references
    uint16_t lastSheet = 0;
};

enum class ArrayElementType : uint8_t { kEmpty = 0, kNumber = 1, kString = 2, kBoolean = 4 };

struct ArrayElement {
    ArrayElementType type = ArrayElementType::kEmpty;
    double number = 0;  // number, or 0/1 for a boolean
    std::u16string text;
};

struct ArrayConstant {
    int columns = 0;
    int rows = 0;
    std::vector<ArrayElement> elements;  // row by row, short rows padded with empty elements
};

struct ParsedFormula {
    std::vector<FormulaToken> tokens;
    std::vector<ArrayConstant> arrays;
};

// Returns 0 or a kFormula* code.
int parse_formula(std::span<const Lexeme> lexemes, const FormulaContext &context,
                  ParsedFormula *parsed);

}  // namespace tabrix::engine
