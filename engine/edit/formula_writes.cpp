#include "engine/edit/formula_writes.h"

#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/edit/cell_checks.h"
#include "engine/edit/value_writes.h"
#include "engine/formula/external_references.h"
#include "engine/formula/formula_compiler.h"
#include "engine/model/keywords.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {
namespace {

void put_record(std::vector<uint8_t> &image, const Record &record) {
    put_u16(image, record.number);
    put_u16(image, static_cast<uint16_t>(record.data.size()));
    image.insert(image.end(), record.data.begin(), record.data.end());
}

}  // namespace

int32_t write_formula(BookRef ref, int32_t sheet_number, int32_t x, int32_t y,
                      std::u16string_view text, int32_t xf, const CachedResult *result) {
    // Checked before compiling, so that a bad position is reported rather than a bad text;
    // any missing workbook reads as -3.
    SheetPlace place;
    ref.missing = err::kNotOpen;
    if (int32_t rc = check_cells(ref, sheet_number, {x}, {y}, CheckOrder::kFormula, &place);
        rc != 0) {
        return rc;
    }
    Workbook *book = place.book;
    const Sheet &sheet = *place.sheet;

    const FormulaContext context = formula_context(*book, sheet);
    CompiledFormula compiled;
    if (int rc = compile_formula(text, context, &compiled); rc != 0) return rc;

    // The XF is settled by the cell insert; the record only needs room for it.
    FormulaCellRecords records;
    if (int rc =
            build_formula_records(static_cast<uint16_t>(y), static_cast<uint16_t>(x), 0, compiled,
                                  result, context.version, &records, context.code_page);
        rc != 0) {
        return rc;
    }
    std::vector<uint8_t> image;
    put_record(image, records.formula);
    if (records.string) put_record(image, *records.string);
    // Room for the new EXTERNSHEET entries first: once the cell is stored, adding them must
    // not fail and leave the formula naming entries the table lacks.
    book->extern_sheets.reserve(book->extern_sheets.size() + compiled.new_extern_sheets.size());
    if (int32_t rc = write_cell_image(ref, sheet_number, x, y, image, xf); rc != 0) return rc;
    add_extern_sheets(*book, compiled.new_extern_sheets);
    return 0;
}

int32_t write_formula_at_keyword(BookRef ref, int32_t sheet_number, std::u16string_view keyword,
                                 int32_t dx, int32_t dy, std::u16string_view text,
                                 std::optional<int32_t> xf, const CachedResult *result) {
    Workbook *book = ref.book;
    if (!book) return err::kNotOpen;
    if (sheet_number < 0 || sheet_number >= book->sheet_count()) return err::kSheetNo;
    // Copied, so that no write walks the keyword list it might change.
    std::span<const KeywordEntry> found = find_keyword(*book->sheets[sheet_number], keyword);
    if (found.empty()) return err::kNoVariable;
    const std::vector<KeywordEntry> entries(found.begin(), found.end());
    for (const KeywordEntry &entry : entries) {
        int32_t rc =
            write_formula(ref, sheet_number, shifted_coordinate(entry.column, dx),
                          shifted_coordinate(entry.row, dy), text, xf.value_or(entry.xf), result);
        if (rc != 0) return rc;
    }
    book->template_flag = true;
    return 0;
}

}  // namespace tabrix::engine
