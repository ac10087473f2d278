// Last stage of the formula compiler: the parser's token list to BIFF5 or BIFF8 bytes.
#pragma once

#include <cstddef>

#include "engine/formula/formula_context.h"
#include "engine/formula/formula_parser.h"

namespace tabrix::engine {

// Tokens plus constant-array data must stay below this many bytes.
inline constexpr size_t kMaxFormulaBytes = 1400;

// Writes the tokens and array data, and numbers sheet-qualified references: BIFF8 through the
// EXTERNSHEET table (reusing an entry for the same sheets, else adding one to
// new_extern_sheets), BIFF5 through the sheet's position in the ref-sheet list. Returns 0,
// err::kFormulaTokensTooLong or err::kFormulaExternSheetFull.
int emit_formula(const ParsedFormula &parsed, const FormulaContext &context,
                 CompiledFormula *compiled);

}  // namespace tabrix::engine
