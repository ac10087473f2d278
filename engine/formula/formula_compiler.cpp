#include "engine/formula/formula_compiler.h"

#include <new>
#include <vector>

#include "engine/formula/formula_emitter.h"
#include "engine/formula/formula_parser.h"
#include "engine/formula/formula_scanner.h"

namespace tabrix::engine {

std::vector<std::u16string> split_ref_sheet_list(std::u16string_view list) {
    std::vector<std::u16string> names;
    for (;;) {
        size_t slash = list.find(u'/');
        names.emplace_back(list.substr(0, slash));
        if (slash == std::u16string_view::npos) break;
        list.remove_prefix(slash + 1);
    }
    return names;
}

int compile_formula(std::u16string_view text, const FormulaContext &context,
                    CompiledFormula *compiled) {
    *compiled = CompiledFormula{};
    try {
        // Every character takes at least one narrow byte.
        if (text.size() > kMaxFormulaTextBytes || narrow_length(text) > kMaxFormulaTextBytes) {
            return err::kFormulaTextTooLong;
        }
        std::vector<Lexeme> lexemes;
        int rc = scan_formula(text, &lexemes);
        if (rc != 0) return rc;
        ParsedFormula parsed;
        rc = parse_formula(lexemes, context, &parsed);
        if (rc != 0) return rc;
        return emit_formula(parsed, context, compiled);
    } catch (const std::bad_alloc &) {
        *compiled = CompiledFormula{};
        return err::kFormulaMemory;
    }
}

}  // namespace tabrix::engine
