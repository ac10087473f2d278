// The records of a formula cell: FORMULA with its cached result, and STRING after it when the
// result is a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/biff/record_list.h"
#include "engine/formula/formula_context.h"

namespace tabrix::engine {

inline constexpr int16_t kResultNumber = 0;
inline constexpr int16_t kResultBoolean = 1;
inline constexpr int16_t kResultError = 2;
inline constexpr int16_t kResultString = 3;

inline constexpr size_t kFormulaHeadSize = 22;  // FORMULA data before the tokens
inline constexpr size_t kRecordBufferSize = 10240;
inline constexpr size_t kMaxResultStringBytes = 256;

// A formula's cached result as the caller gave it; the record builder refuses what no cell
// can hold.
struct CachedResult {
    int16_t kind = kResultNumber;
    double value = 0;     // a number, or the boolean or error code
    int16_t length = 0;   // a text's length as given: bytes, or UTF-16 units
    std::u16string text;  // the text when its length is in range
};

struct FormulaCellRecords {
    Record formula;
    std::optional<Record> string;  // only with a string result
};

// Builds the FORMULA record (and, for a string result, the STRING record) of a compiled
// formula at (row, column) with XF index `xf`. Without a result the formula is marked to be
// calculated on load. BIFF5 writes a text result in `code_page`. Returns 0, -34 for a result
// kind outside 0-3, a number that is NaN or infinite, a boolean or error value that is not a
// number, or a text the code page lacks a character of; -31 for a string length outside 0-256 (as
// given, and in BIFF5 as written) or records that would not fit the 10,240-byte record buffer.
int build_formula_records(uint16_t row, uint16_t column, uint16_t xf,
                          const CompiledFormula &formula, const CachedResult *result,
                          BiffVersion version, FormulaCellRecords *records,
                          uint16_t code_page = 932);

}  // namespace tabrix::engine
