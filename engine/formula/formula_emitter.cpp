#include "engine/formula/formula_emitter.h"

#include <algorithm>
#include <optional>
#include <string>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"
#include "engine/formula/formula_scanner.h"
#include "engine/formula/function_table.h"

namespace tabrix::engine {
namespace {

// BIFF numbers of the functions written as ptgFuncVarV although they take one argument.
constexpr uint16_t kRowFunction = 8;
constexpr uint16_t kColumnFunction = 9;
constexpr uint16_t kColumnsFunction = 77;

class Emitter {
  public:
    Emitter(const FormulaContext &context, CompiledFormula *out)
        : context_(context), biff8_(context.version == BiffVersion::kBiff8), out_(out) {}

    int run(const ParsedFormula &parsed) {
        for (const FormulaToken &token : parsed.tokens) {
            int rc = token_bytes(token, parsed);
            if (rc != 0) return rc;
        }
        if (out_->tokens.size() + out_->array_data.size() >= kMaxFormulaBytes) {
            return err::kFormulaTokensTooLong;
        }
        return 0;
    }

  private:
    static void put_zeros(std::vector<uint8_t> &bytes, size_t count) {
        bytes.insert(bytes.end(), count, 0);
    }

    // BIFF5: length and bytes in the workbook's code page; BIFF8: count, option byte and
    // characters. `wide_count` selects the 16-bit count of array strings.
    int put_string(std::vector<uint8_t> &bytes, std::u16string_view text, bool wide_count) {
        if (!biff8_) {
            const std::optional<std::string> narrow = encode_narrow(text, context_.code_page);
            if (!narrow) return err::kFormulaUnwritableString;
            if (narrow->size() > kMaxStringLiteralBytes) return err::kFormulaStringTooLong;
            put_u8(bytes, static_cast<uint8_t>(narrow->size()));
            put_bytes(bytes, narrow->data(), narrow->size());
        } else if (wide_count) {
            put_biff8_string(bytes, biff8_chars(text));
        } else {
            put_biff8_short_string(bytes, biff8_chars(text));
        }
        return 0;
    }

    // Relative unless "$" was written: BIFF8 keeps the flags in the column field, BIFF5 in
    // the row field.
    unsigned relative_flags(int32_t col, int32_t row) const {
        return ((col & kColumnAbsolute) ? 0 : 0x4000) | ((row & kRowAbsolute) ? 0 : 0x8000);
    }
    void put_cell(int32_t col, int32_t row) {
        std::vector<uint8_t> &b = out_->tokens;
        if (biff8_) {
            put_u16(b, row & kCoordinateMask);
            put_u16(b, (col & 0xFF) | relative_flags(col, row));
        } else {
            put_u16(b, (row & 0x3FFF) | relative_flags(col, row));
            put_u8(b, col & 0xFF);
        }
    }
    void put_area(const FormulaToken &token) {
        std::vector<uint8_t> &b = out_->tokens;
        if (biff8_) {
            put_u16(b, token.firstRow & kCoordinateMask);
            put_u16(b, token.lastRow & kCoordinateMask);
            put_u16(b, (token.firstCol & 0xFF) | relative_flags(token.firstCol, token.firstRow));
            put_u16(b, (token.lastCol & 0xFF) | relative_flags(token.lastCol, token.lastRow));
        } else {
            put_u16(b, (token.firstRow & 0x3FFF) | relative_flags(token.firstCol, token.firstRow));
            put_u16(b, (token.lastRow & 0x3FFF) | relative_flags(token.lastCol, token.lastRow));
            put_u8(b, token.firstCol & 0xFF);
            put_u8(b, token.lastCol & 0xFF);
        }
    }

    int extern_sheet_index(uint16_t first, uint16_t last, unsigned *index) {
        ExternSheetEntry entry{context_.self_supbook, first, last};
        auto existing =
            std::find(context_.extern_sheets.begin(), context_.extern_sheets.end(), entry);
        if (existing != context_.extern_sheets.end()) {
            *index = static_cast<unsigned>(existing - context_.extern_sheets.begin());
            return 0;
        }
        std::vector<ExternSheetEntry> &added = out_->new_extern_sheets;
        auto found = std::find(added.begin(), added.end(), entry);
        *index = static_cast<unsigned>(context_.extern_sheets.size() + (found - added.begin()));
        if (found != added.end()) return 0;
        if (*index >= kExternSheetCapacity) return err::kFormulaExternSheetFull;
        added.push_back(entry);
        return 0;
    }

    // What precedes the cell or range of a sheet-qualified reference.
    int put_sheet_head(const FormulaToken &token) {
        std::vector<uint8_t> &b = out_->tokens;
        if (biff8_) {
            unsigned index = 0;
            int rc = extern_sheet_index(token.firstSheet, token.lastSheet, &index);
            if (rc != 0) return rc;
            put_u16(b, index);
            return 0;
        }
        // The 1-based position of the first sheet's EXTERNSHEET record, negated.
        const std::vector<std::u16string> &records =
            context_.extern_sheet_names.empty() ? context_.ref_sheets : context_.extern_sheet_names;
        const std::u16string &name = context_.sheet_names[token.firstSheet];
        auto it = std::find_if(records.begin(), records.end(), [&](const std::u16string &ref) {
            return formula_text::same_name(ref, name);
        });
        if (it == records.end()) return err::kFormulaUnknownSheet;
        int position = static_cast<int>(it - records.begin()) + 1;
        put_u16(b, static_cast<unsigned>(-position));
        put_zeros(b, 8);
        put_u16(b, token.firstSheet);
        put_u16(b, token.lastSheet);
        return 0;
    }

    int put_array(const ArrayConstant &array) {
        std::vector<uint8_t> &b = out_->tokens;
        unsigned columns = static_cast<unsigned>(array.columns) - (biff8_ ? 1 : 0);
        unsigned rows = static_cast<unsigned>(array.rows) - (biff8_ ? 1 : 0);
        put_u8(b, columns);
        put_u16(b, rows);
        put_zeros(b, 4);

        std::vector<uint8_t> &data = out_->array_data;
        put_u8(data, columns);
        put_u16(data, rows);
        for (const ArrayElement &element : array.elements) {
            put_u8(data, static_cast<unsigned>(element.type));
            switch (element.type) {
                case ArrayElementType::kNumber:
                    put_f64(data, element.number);
                    break;
                case ArrayElementType::kString:
                    if (int rc = put_string(data, element.text, true); rc != 0) return rc;
                    break;
                case ArrayElementType::kBoolean:
                    put_u8(data, element.number != 0 ? 1 : 0);
                    put_zeros(data, 7);
                    break;
                case ArrayElementType::kEmpty:
                    put_zeros(data, 8);
                    break;
            }
        }
        return 0;
    }

    int token_bytes(const FormulaToken &token, const ParsedFormula &parsed) {
        std::vector<uint8_t> &b = out_->tokens;
        switch (token.code) {
            case kArgumentStart:
            case kArgumentSeparator:
            case kArgumentEnd:
                return 0;
            case kFunctionCall: {
                const FunctionInfo &function = *token.function;
                uint16_t number = biff_function_number(function);
                if (function.maxArgs == 1 && function.number != kRowFunction &&
                    function.number != kColumnFunction && function.number != kColumnsFunction) {
                    put_u8(b, ptg::kFuncV);
                } else {
                    put_u8(b, ptg::kFuncVarV);
                    put_u8(b, static_cast<unsigned>(token.count));
                }
                put_u16(b, number);
                return 0;
            }
            case ptg::kStr:
                put_u8(b, ptg::kStr);
                return put_string(b, token.text, false);
            case ptg::kErr:
                if (token.value == ptg::kRefErrV) {
                    put_u8(b, ptg::kRefErrV);
                    put_zeros(b, biff8_ ? 4 : 3);
                } else {
                    put_u8(b, ptg::kErr);
                    put_u8(b, token.value);
                }
                return 0;
            case ptg::kBool:
                put_u8(b, ptg::kBool);
                put_u8(b, token.value);
                return 0;
            case ptg::kInt:
                put_u8(b, ptg::kInt);
                put_u16(b, token.value);
                return 0;
            case ptg::kNum:
                put_u8(b, ptg::kNum);
                put_f64(b, token.number);
                return 0;
            case ptg::kRef:
            case ptg::kRef + kValueClass:
            case ptg::kRef + kArrayClass:
                put_u8(b, token.code);
                put_cell(token.firstCol, token.firstRow);
                return 0;
            case ptg::kArea:
            case ptg::kArea + kValueClass:
            case ptg::kArea + kArrayClass:
                put_u8(b, token.code);
                put_area(token);
                return 0;
            case ptg::kRef3d:
            case ptg::kRef3dV: {
                put_u8(b, token.code);
                int rc = put_sheet_head(token);
                if (rc == 0) put_cell(token.firstCol, token.firstRow);
                return rc;
            }
            case ptg::kArea3d: {
                put_u8(b, token.code);
                int rc = put_sheet_head(token);
                if (rc == 0) put_area(token);
                return rc;
            }
            case ptg::kArrayA:
                put_u8(b, ptg::kArrayA);
                return put_array(parsed.arrays[static_cast<size_t>(token.firstCol)]);
            default:  // operators, ptgParen, ptgUplus, ptgUminus, ptgPercent, ptgMissArg
                put_u8(b, token.code);
                return 0;
        }
    }

    const FormulaContext &context_;
    bool biff8_;
    CompiledFormula *out_;
};

}  // namespace

int emit_formula(const ParsedFormula &parsed, const FormulaContext &context,
                 CompiledFormula *compiled) {
    *compiled = CompiledFormula{};
    int rc = Emitter(context, compiled).run(parsed);
    if (rc != 0) *compiled = CompiledFormula{};
    return rc;
}

}  // namespace tabrix::engine
