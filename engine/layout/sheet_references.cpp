#include "engine/layout/sheet_references.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {
namespace {

// EXTERNSHEET (Excel 95): the name is a sheet of this workbook.
constexpr uint8_t kOwnSheetMark = 0x03;
// Sheet numbers from here on are markers, not sheets.
constexpr uint16_t kFirstMarker = 0xFFFE;
constexpr uint16_t kRemoved = 0xFFFF;
// NAME: the 1-based number of the sheet a local name belongs to.
constexpr size_t kNameSheetOffset = 8;

// EXTERNSHEET in the Excel 97 form: a count and entries of supporting book, first, last.
void shift_extern_sheet_record(Record &record, uint16_t self, SheetShift shift) {
    if (record.data.size() < 2) return;
    const size_t count = load_u16(record.data.data());
    for (size_t i = 0; i < count && 2 + 6 * i + 6 <= record.data.size(); ++i) {
        uint8_t *entry = record.data.data() + 2 + 6 * i;
        if (load_u16(entry) != self) continue;
        uint16_t first = load_u16(entry + 2);
        uint16_t last = load_u16(entry + 4);
        shift_sheet_span(first, last, shift);
        store_u16(entry + 2, first);
        store_u16(entry + 4, last);
    }
}

bool names_sheet(const Record &record, std::u16string_view name, uint16_t code_page) {
    if (record.number != rec::kExternSheet || record.data.size() < 2) return false;
    if (record.data[1] != kOwnSheetMark) return false;
    const size_t length = std::min<size_t>(record.data[0], record.data.size() - 1);
    if (length < 1) return false;
    return same_sheet_name(decode_narrow(std::span(record.data).subspan(2, length - 1), code_page),
                           name);
}

}  // namespace

uint16_t self_supbook_index(const Workbook &book) {
    uint16_t index = 0;
    for (const Record &record : book.external_references.records()) {
        if (record.number != rec::kSupBook) continue;
        if (is_self_supbook(record)) return index;
        ++index;
    }
    return 0;
}

bool is_self_supbook(const Record &record) {
    return record.number == rec::kSupBook && record.data.size() == 4 && record.data[2] == 0x01 &&
           record.data[3] == 0x04;
}

uint16_t shifted_sheet(uint16_t sheet, SheetShift shift) {
    if (sheet >= kFirstMarker || sheet < shift.first) return sheet;
    if (!shift.removed) return static_cast<uint16_t>(sheet + shift.count);
    if (sheet - shift.first < shift.count) return kRemoved;
    return static_cast<uint16_t>(sheet - shift.count);
}

bool shift_sheet_span(uint16_t &first, uint16_t &last, SheetShift shift) {
    if (first >= kFirstMarker || last >= kFirstMarker) return true;
    if (!shift.removed) {
        first = shifted_sheet(first, shift);
        last = shifted_sheet(last, shift);
        return true;
    }
    const uint32_t end = uint32_t{shift.first} + shift.count;
    // An end inside the removed sheets moves to the nearest sheet that stays in the span.
    const int32_t new_first = first < shift.first ? first
                              : first >= end      ? first - shift.count
                                                  : shift.first;
    const int32_t new_last = last < shift.first ? last
                             : last >= end      ? last - shift.count
                                                : shift.first - 1;
    if (new_last < new_first) {
        first = last = kRemoved;
        return false;
    }
    first = static_cast<uint16_t>(new_first);
    last = static_cast<uint16_t>(new_last);
    return true;
}

void shift_sheet_references(Workbook &book, SheetShift shift) {
    const uint16_t self = self_supbook_index(book);
    for (ExternSheetEntry &entry : book.extern_sheets) {
        if (entry.supporting_book == self)
            shift_sheet_span(entry.first_sheet, entry.last_sheet, shift);
    }
    for (Record &record : book.external_references.records()) {
        if (is_self_supbook(record)) {
            store_u16(record.data.data(), static_cast<uint16_t>(book.sheet_count()));
        } else if (record.number == rec::kExternSheet && book.biff8()) {
            shift_extern_sheet_record(record, self, shift);
        } else if (record.number == rec::kName && record.data.size() >= kNameSheetOffset + 2) {
            // 0 is a global name; otherwise the sheet's number plus one.
            const uint16_t local = load_u16(record.data.data() + kNameSheetOffset);
            if (local == 0 || local >= kFirstMarker) continue;
            const uint16_t moved = shifted_sheet(static_cast<uint16_t>(local - 1), shift);
            store_u16(record.data.data() + kNameSheetOffset,
                      moved == kRemoved ? kRemoved : static_cast<uint16_t>(moved + 1));
        }
    }
}

void rename_sheet_references(Workbook &book, std::u16string_view old_name,
                             std::u16string_view new_name, Sheet *only) {
    if (book.biff8()) return;
    const std::string narrow = encode_narrow(new_name, book.code_page).value();
    std::vector<uint8_t> body(2 + narrow.size());
    body[0] = static_cast<uint8_t>(1 + narrow.size());
    body[1] = kOwnSheetMark;
    std::copy(narrow.begin(), narrow.end(), body.begin() + 2);
    const std::u16string wide_new(new_name);

    // Built first, swapped in afterwards.
    std::vector<std::pair<std::vector<uint8_t> *, std::vector<uint8_t>>> records;
    std::vector<std::pair<std::u16string *, std::u16string>> names;
    auto collect_records = [&](RecordList &list) {
        for (Record &record : list.records()) {
            if (names_sheet(record, old_name, book.code_page))
                records.emplace_back(&record.data, body);
        }
    };
    auto collect_names = [&](std::vector<std::u16string> &list) {
        for (std::u16string &name : list) {
            if (same_sheet_name(name, old_name)) {
                names.emplace_back(&name, wide_new);
            }
        }
    };
    if (!only) collect_records(book.external_references);
    for (const auto &sheet : book.sheets) {
        if (only && sheet.get() != only) continue;
        collect_records(sheet->carried.references);
        collect_records(sheet->carried.settings);
        collect_names(sheet->extern_sheet_names);
        collect_names(sheet->ref_sheets);
    }
    for (auto &[target, replacement] : records) target->swap(replacement);
    for (auto &[target, replacement] : names) target->swap(replacement);
}

}  // namespace tabrix::engine
