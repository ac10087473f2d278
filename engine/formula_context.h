// What the formula compiler needs from the workbook, what it hands back, and its error codes.
// Nothing here knows the workbook: the write call fills a FormulaContext from its sheet list
// and EXTERNSHEET table, and appends the new entries of a CompiledFormula once it has stored
// the cell.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::engine {

enum class BiffVersion { kBiff5, kBiff8 };

// Failures of compile_formula. The whole range 100-199 reads as "formula format error" to
// callers; the separate codes say which check refused the text.
inline constexpr int kFormulaSyntax = -100;  // misplaced operator, comma or operand; empty text
inline constexpr int kFormulaMemory = -101;
inline constexpr int kFormulaUnknownFunction = -102;
inline constexpr int kFormulaArgumentCount = -103;
inline constexpr int kFormulaBadReference = -104;  // malformed or outside the sheet grid
inline constexpr int kFormulaUnknownSheet = -105;  // not in the ref-sheet list, or no such sheet
inline constexpr int kFormulaParentheses = -106;   // unbalanced parentheses
inline constexpr int kFormulaUnclosedQuote = -107;
inline constexpr int kFormulaArrayConstant = -108;
inline constexpr int kFormulaUnknownErrorLiteral = -109;
inline constexpr int kFormulaTextTooLong = -110;    // more than 4096 bytes
inline constexpr int kFormulaStringTooLong = -111;  // a string literal over 255 bytes
inline constexpr int kFormulaTokensTooLong = -112;  // 1400 bytes of tokens or more
inline constexpr int kFormulaTooComplex = -113;     // token list or operator stack full
inline constexpr int kFormulaExternSheetFull = -114;

// One entry of the BIFF8 EXTERNSHEET table: which SUPBOOK, and the sheets it spans.
struct ExternSheetEntry {
    uint16_t supporting_book = 0;
    uint16_t first_sheet = 0;
    uint16_t last_sheet = 0;

    bool operator==(const ExternSheetEntry &) const = default;
};

inline constexpr size_t kExternSheetCapacity = 256;

struct FormulaContext {
    BiffVersion version = BiffVersion::kBiff8;
    // Rows of the sheet grid: 16384 (BIFF5) or 65536 (BIFF8); never more than the format holds.
    uint32_t row_count = 65536;
    // Every sheet of the workbook, in sheet order; a sheet's number is its index here.
    std::vector<std::u16string> sheet_names;
    // The current sheet's ref-sheet list: the only sheets its formulas may name.
    std::vector<std::u16string> ref_sheets;
    // BIFF5: the names of the sheet's EXTERNSHEET records in record order, which references
    // index from 1. Empty means the records follow the ref-sheet list.
    std::vector<std::u16string> extern_sheet_names;
    // BIFF8: the workbook's EXTERNSHEET table as it stands, and the SUPBOOK index of the
    // workbook itself that new entries carry.
    std::span<const ExternSheetEntry> extern_sheets;
    uint16_t self_supbook = 0;
};

// The result of a successful compilation.
struct CompiledFormula {
    // The parsed expression; its size is the FORMULA record's token length.
    std::vector<uint8_t> tokens;
    // Constant-array values, written after the tokens and not counted in that length.
    std::vector<uint8_t> array_data;
    // BIFF8: entries to append to the workbook's EXTERNSHEET table, in order; the tokens
    // already use their indexes (the existing count plus their position here).
    std::vector<ExternSheetEntry> new_extern_sheets;
};

// Splits a ref-sheet list as given to the sheet ("Sheet2/Sheet3") into its names.
std::vector<std::u16string> split_ref_sheet_list(std::u16string_view list);

}  // namespace tabrix::engine
