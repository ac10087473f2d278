#include "engine/edit/references/copied_sheet_references.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/references/name_references.h"
#include "engine/edit/references/reference_moves.h"
#include "engine/layout/sheet_references.h"

namespace tabrix::engine {
namespace {

// The EXTERNSHEET entries that name the sheet alone.
std::vector<bool> entries_naming(const Workbook &book, int32_t sheet) {
    const uint16_t self = self_supbook_index(book);
    std::vector<bool> marked;
    marked.reserve(book.extern_sheets.size());
    for (const ExternSheetEntry &entry : book.extern_sheets) {
        marked.push_back(entry.supporting_book == self && entry.first_sheet == sheet &&
                         entry.last_sheet == sheet);
    }
    return marked;
}

// Points the 3-D references of the marked entries at another entry, and the calls of names
// that have twins at the twins (by 1-based name number).
class Retarget : public TokenVisitor {
  public:
    Retarget(const std::vector<bool> &from, uint16_t to) : from_(from), to_(to) {}

    int on_cell_3d(WalkedToken &token) override { return retarget(token); }
    int on_area_3d(WalkedToken &token) override { return retarget(token); }
    int on_name(WalkedToken &token) override {
        if (token.base != ptg::kName) return 0;  // names of other workbooks stay
        const uint16_t number = load_u16(token.bytes.data() + 1);
        for (const auto &[name, twin] : twins) {
            if (name == number) store_u16(token.bytes.data() + 1, twin);
        }
        return 0;
    }

    bool seen = false;  // whether any reference was retargeted
    std::vector<std::pair<uint16_t, uint16_t>> twins;

  private:
    int retarget(WalkedToken &token) {
        const uint16_t index = load_u16(token.bytes.data() + 1);
        if (index < from_.size() && from_[index]) {
            store_u16(token.bytes.data() + 1, to_);
            seen = true;
        }
        return 0;
    }

    const std::vector<bool> &from_;
    uint16_t to_;
};

std::span<const uint8_t> name_text(const Record &record) {
    const auto bounds = name_expression(record.data, true);
    return std::span(record.data).subspan(bounds->name_at, bounds->at - bounds->name_at);
}

struct NameTwin {
    uint16_t number;  // of the name it copies
    Record record;
};

// The twins of the names the copy takes over, local to the copy, their references retargeted.
// Their numbers follow the last name's, in order; `retarget` learns them.
std::vector<Record> name_twins(const Workbook &book, int32_t source, int32_t copy,
                               Retarget &retarget) {
    std::vector<NameTwin> locals;
    std::vector<NameTwin> globals;
    uint16_t number = 0;
    for (const Record &record : book.external_references.records()) {
        if (record.number != rec::kName) continue;
        ++number;
        if (!name_expression(record.data, true)) continue;
        const uint16_t scope = load_u16(record.data.data() + kNameScopeAt);
        if (scope != 0 && scope != source + 1) continue;
        Record twin = record;
        store_u16(twin.data.data() + kNameScopeAt, static_cast<uint16_t>(copy + 1));
        const auto bounds = name_expression(twin.data, true);
        retarget.seen = false;
        walk_tokens(std::span(twin.data).subspan(bounds->at, bounds->length), BiffVersion::kBiff8,
                    retarget);
        if (scope != 0) {
            locals.push_back(NameTwin{number, std::move(twin)});
        } else if (retarget.seen) {
            globals.push_back(NameTwin{number, std::move(twin)});
        }
    }
    // A local name of the source hides a global one of the same name: no second twin.
    for (NameTwin &twin : globals) {
        const bool hidden = std::any_of(locals.begin(), locals.end(), [&](const NameTwin &local) {
            return std::ranges::equal(name_text(local.record), name_text(twin.record));
        });
        if (!hidden) locals.push_back(std::move(twin));
    }
    std::vector<Record> records;
    for (NameTwin &twin : locals) {
        retarget.twins.emplace_back(twin.number,
                                    static_cast<uint16_t>(number + records.size() + 1));
        records.push_back(std::move(twin.record));
    }
    return records;
}

}  // namespace

int32_t check_copied_sheet_references(const Workbook &book, int32_t source) {
    if (!book.biff8()) return 0;
    const std::vector<bool> marked = entries_naming(book, source);
    const bool named = std::find(marked.begin(), marked.end(), true) != marked.end();
    if (named && book.extern_sheets.size() >= kExternSheetCapacity) return err::kParam;
    if (check_sheet_formulas(*book.sheets[static_cast<size_t>(source)]) != 0 ||
        !names_walkable(book)) {
        return err::kFormulaNotWalkable;
    }
    return 0;
}

void take_over_sheet_references(Workbook &book, int32_t source, int32_t copy) {
    if (!book.biff8()) return;
    const std::vector<bool> marked = entries_naming(book, source);
    uint16_t own_index = 0;
    if (std::find(marked.begin(), marked.end(), true) != marked.end()) {
        const ExternSheetEntry own{self_supbook_index(book), static_cast<uint16_t>(copy),
                                   static_cast<uint16_t>(copy)};
        const auto found = std::find(book.extern_sheets.begin(), book.extern_sheets.end(), own);
        own_index = static_cast<uint16_t>(found - book.extern_sheets.begin());
        if (found == book.extern_sheets.end()) book.extern_sheets.push_back(own);
    }
    Retarget retarget(marked, own_index);
    std::vector<Record> twins = name_twins(book, source, copy, retarget);
    book.sheets[static_cast<size_t>(copy)]->cells.edit_images(
        [&](std::span<uint8_t> image) { visit_formula_expressions(image, retarget); });
    if (twins.empty()) return;
    for (Record &twin : twins) {  // a twin calling another name calls its twin
        const auto bounds = name_expression(twin.data, true);
        walk_tokens(std::span(twin.data).subspan(bounds->at, bounds->length), BiffVersion::kBiff8,
                    retarget);
    }
    // After the last name, so that the names formulas call by number keep their numbers.
    std::vector<Record> &records = book.external_references.records();
    auto last_name = std::find_if(records.rbegin(), records.rend(),
                                  [](const Record &record) { return record.number == rec::kName; });
    records.insert(last_name.base(), std::make_move_iterator(twins.begin()),
                   std::make_move_iterator(twins.end()));
}

}  // namespace tabrix::engine
