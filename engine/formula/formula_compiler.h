// Formula text to the token bytes of a FORMULA record, for BIFF5 or BIFF8.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/formula/formula_context.h"

namespace tabrix::engine {

// The longest formula text, in bytes of the narrow code page.
inline constexpr size_t kMaxFormulaTextBytes = 4096;

// Compiles `text` (leading blanks and one "=" allowed) for the sheet that `context`
// describes. Returns 0 with `compiled` filled, or a kFormula* code (-100 to -199) with
// `compiled` empty; nothing is taken from or given to the workbook on failure.
int compile_formula(std::u16string_view text, const FormulaContext &context,
                    CompiledFormula *compiled);

}  // namespace tabrix::engine
