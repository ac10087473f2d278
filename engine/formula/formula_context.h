// What the formula compiler needs from the workbook and what it hands back.
// Nothing here knows the workbook: the write call fills a FormulaContext from its sheet list
// and EXTERNSHEET table, and appends the new entries of a CompiledFormula once it has stored
// the cell.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/model/extern_sheets.h"

namespace tabrix::engine {

enum class BiffVersion { kBiff5, kBiff8 };

struct FormulaContext {
    BiffVersion version = BiffVersion::kBiff8;
    // Rows of the sheet grid: 16384 (BIFF5) or 65536 (BIFF8); never more than the format holds.
    uint32_t row_count = 65536;
    // BIFF5: the code page of string literals.
    uint16_t code_page = 932;
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
