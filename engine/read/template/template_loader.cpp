#include "engine/read/template/template_loader.h"

#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "engine/biff/record_numbers.h"
#include "engine/layout/sheet_names.h"
#include "engine/read/template/template_parts.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/xf_records.h"
#include "platform/codepage.h"

namespace tabrix::engine {
namespace {

// Excel 97: every string of the file's table, in order and with its formatting runs and
// phonetic block, so that its cells find their texts as they were. The runs name fonts by
// their index, which stays: the fonts are taken in file order and none is put before them.
void load_shared_strings(TemplateLoad &load) {
    const std::vector<std::u16string> &strings = load.reader.shared_strings();
    const SstFormatting &formatting = load.reader.shared_string_formatting();
    auto formatted = formatting.entries.begin();
    load.string_index.reserve(strings.size());
    for (uint32_t i = 0; i < strings.size(); ++i) {
        if (formatted != formatting.entries.end() && formatted->string == i) {
            load.string_index.push_back(load.book.strings.add(
                strings[i], formatting.runs(*formatted), formatting.phonetic(*formatted)));
            ++formatted;
        } else {
            load.string_index.push_back(load.book.strings.add(strings[i]));
        }
    }
}

// An Excel 95 name may hold a byte its code page does not define, read as a character the code
// page cannot write back: each such character becomes '_'.
std::u16string writable_name(const Workbook &book, std::u16string name) {
    if (book.biff8() || encode_narrow(name, book.code_page)) return name;
    for (char16_t &unit : name) {
        if (!encode_narrow(std::u16string_view(&unit, 1), book.code_page)) unit = u'_';
    }
    return name;
}

// An empty font name stands for the workbook's default font name; where the template's code
// page lacks that name, the template's first font's name stands in for it.
void adopt_default_font_name(Workbook &book) {
    constexpr size_t kBiff5FontName = 14;  // FONT: length byte, then the name
    if (book.biff8() || encode_narrow(book.default_font_name, book.code_page)) return;
    const std::vector<uint8_t> &first = book.fonts.records().front().data;
    if (first.size() <= kBiff5FontName ||
        first.size() - kBiff5FontName - 1 < first[kBiff5FontName]) {
        return;
    }
    const std::u16string name = decode_narrow(
        std::span(first).subspan(kBiff5FontName + 1, first[kBiff5FontName]), book.code_page);
    if (auto narrow = platform::utf16_to_code_page(name, kInterfaceCodePage)) {
        book.default_font_name = std::move(*narrow);
    }
}

// The sheets under the template's names. The sheets the create made hold nothing but their
// default names, so they are made anew, which keeps the name index in one pass. A name that is
// empty or already taken (as sheet names compare) gets a number, as a copy's would; the
// numbering of each name goes on where it stopped, so that a file naming thousands of sheets
// alike is named in one pass too.
void name_sheets(Workbook &book, const WorkbookReader &reader) {
    SheetList named;
    std::unordered_map<std::u16string, uint32_t> next_number;  // by the name as names compare
    for (const SheetEntry &entry : reader.sheets()) {
        auto sheet = std::make_unique<Sheet>();
        const std::u16string name = writable_name(book, entry.name);
        if (name.empty() || named.contains(name)) {
            const std::u16string_view base = name.empty() ? std::u16string_view(u"Sheet") : name;
            sheet->name = copy_name(named, base, &next_number[sheet_name_key(base)]);
        } else {
            sheet->name = name;
        }
        named.add(std::move(sheet));
    }
    book.sheets = std::move(named);
}

// The XF list and the attribute list grow together from XF 21 on: a template with fewer XFs
// gets default cell XFs up to there, so that the first attribute registered later is 21.
void complete_xf_list(Workbook &book) {
    const XfFormat format = xf_format(book);
    while (book.xfs.records().size() < kFirstRegisteredXf) {
        book.xfs.append(rec::kXf, xf_body(format, default_attribute(format)));
    }
}

}  // namespace

int32_t load_template(Workbook &book, const WorkbookReader &reader, bool keep_keywords) {
    try {
        if (reader.biff8() != book.biff8() || reader.sheets().size() != book.sheets.size()) {
            return err::kOpen;
        }
        if (!book.biff8()) book.code_page = narrow_code_page(reader.code_page());
        TemplateLoad load{book, reader, keep_keywords, {}, {}};
        if (book.biff8()) load_shared_strings(load);
        if (!load_globals(load) || book.fonts.empty()) return err::kOpen;
        complete_xf_list(book);
        adopt_default_font_name(book);
        name_sheets(book, reader);
        for (size_t sheet = 0; sheet < reader.sheets().size(); ++sheet) load_sheet(load, sheet);
        book.template_recalc_id = reader.recalc_id();
        return 0;
    } catch (const std::bad_alloc &) {
        return err::kOpen;
    }
}

}  // namespace tabrix::engine
