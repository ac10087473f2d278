#include "engine/formula/external_references.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {
namespace {

constexpr size_t kMaxSheetNameChars = 31;
// EXTERNSHEET: the name is a sheet of this workbook.
constexpr uint8_t kOwnSheetMark = 0x03;

// SUPBOOK of the workbook itself: its sheet count, then the marker 01 04.
std::vector<uint8_t> self_supbook_body(int32_t sheet_count) {
    std::vector<uint8_t> body;
    put_u16(body, static_cast<uint16_t>(sheet_count));
    put_u8(body, 0x01);
    put_u8(body, 0x04);
    return body;
}

// Excel 95: EXTERNCOUNT grows by the names, one EXTERNSHEET record per name follows.
void add_sheet_extern_records(Sheet &sheet, const std::vector<std::u16string> &names,
                              const std::vector<std::string> &narrow_names) {
    Record *count = sheet.carried.references.find(rec::kExternCount);
    if (count == nullptr) {
        sheet.carried.references.records().insert(sheet.carried.references.records().begin(),
                                                  Record{rec::kExternCount, {0, 0}});
        count = &sheet.carried.references.records().front();
    }
    store_u16(count->data.data(),
              static_cast<uint16_t>(load_u16(count->data.data()) + names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string &narrow = narrow_names[i];
        std::vector<uint8_t> body;
        put_u8(body, static_cast<uint8_t>(1 + narrow.size()));
        put_u8(body, kOwnSheetMark);
        put_bytes(body, narrow.data(), narrow.size());
        sheet.carried.references.append(rec::kExternSheet, std::move(body));
        sheet.extern_sheet_names.push_back(names[i]);
    }
}

}  // namespace

int32_t set_ref_sheets(Workbook &book, Sheet &sheet, std::u16string_view list) {
    std::vector<std::u16string> names = split_ref_sheet_list(list);
    if (names.size() > static_cast<size_t>(book.sheet_count())) names.resize(book.sheet_count());
    bool bad = std::any_of(names.begin(), names.end(), [](const std::u16string &name) {
        return name.empty() || name.size() > kMaxSheetNameChars;
    });
    if (bad) return err::kParam;
    // Excel 95 names the sheets in the workbook's code page.
    std::vector<std::string> narrow_names;
    if (!book.biff8()) {
        for (const std::u16string &name : names) {
            std::optional<std::string> narrow = encode_narrow(name, book.code_page);
            if (!narrow) return err::kParam;
            narrow_names.push_back(std::move(*narrow));
        }
    }

    if (book.biff8()) {
        // One SUPBOOK for the workbook itself, however often the list is set.
        if (book.external_references.find(rec::kSupBook) == nullptr) {
            book.external_references.records().insert(
                book.external_references.records().begin(),
                Record{rec::kSupBook, self_supbook_body(book.sheet_count())});
        }
    } else {
        add_sheet_extern_records(sheet, names, narrow_names);
    }
    sheet.ref_sheets = std::move(names);
    return 0;
}

FormulaContext formula_context(const Workbook &book, const Sheet &sheet) {
    FormulaContext context;
    context.version = book.biff8() ? BiffVersion::kBiff8 : BiffVersion::kBiff5;
    context.row_count = book.max_rows;
    context.code_page = book.code_page;
    // Sheet names matter only to a sheet whose formulas may name other sheets.
    if (!sheet.ref_sheets.empty()) {
        for (const auto &other : book.sheets) {
            context.sheet_names.push_back(other->name);
        }
    }
    context.ref_sheets = sheet.ref_sheets;
    context.extern_sheet_names = sheet.extern_sheet_names;
    context.extern_sheets = book.extern_sheets;
    context.self_supbook = 0;
    return context;
}

void add_extern_sheets(Workbook &book, std::span<const ExternSheetEntry> entries) {
    book.extern_sheets.insert(book.extern_sheets.end(), entries.begin(), entries.end());
}

}  // namespace tabrix::engine
