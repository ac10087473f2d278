// The Book API's view of a workbook: its format, its current sheet, its keyword cells and
// the cells its defined names refer to.
#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/value_writes.h"
#include "engine/exports/book_services/book_services.h"
#include "engine/exports/boundary.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"

namespace tabrix::engine::services {

CallHold::CallHold() noexcept {
    enter_call();
}

CallHold::~CallHold() {
    leave_call();
}

int32_t workbook_biff8(int32_t h) {
    const BookRef ref = book_ref(h);
    if (!ref.book) return ref.missing;
    return ref.book->biff8() ? 1 : 0;
}

int32_t workbook_max_rows(int32_t h) {
    const BookRef ref = book_ref(h);
    if (!ref.book) return ref.missing;
    return static_cast<int32_t>(ref.book->max_rows);
}

int32_t select_current_sheet(int32_t h, int32_t sheet) {
    return select_sheet(book_ref(h), sheet);
}

int32_t keyword_cells(int32_t h, int32_t sheet, std::string_view keyword,
                      std::vector<CellPoint> &cells) {
    const BookRef ref = book_ref(h);
    if (!ref.book) return ref.missing;
    if (sheet < 0 || sheet >= ref.book->sheet_count()) return err::kSheetNo;
    cells.clear();
    for (const KeywordEntry &entry :
         find_keyword(*ref.book->sheets[sheet], platform::narrow_to_utf16(keyword)))
        cells.push_back({entry.column, entry.row});
    if (cells.empty()) return err::kNoVariable;
    std::reverse(cells.begin(), cells.end());
    return 0;
}

namespace {

// NAME record fields (both formats): option flags, name length, formula size, sheet (0 for a
// global name, else the sheet's number plus one); the name starts at 14.
constexpr size_t kNameHeader = 14;
constexpr uint16_t kBuiltinName = 0x0020;

char16_t ascii_upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

bool same_name(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return ascii_upper(x) == ascii_upper(y); });
}

// The cell or area of a formula made of one 3-D reference (or a plain one), or nothing.
bool area_of_formula(bool biff8, std::span<const uint8_t> formula, CellArea &area) {
    if (formula.empty()) return false;
    const uint8_t token = formula[0] & 0x9F;  // the class bits removed
    const uint8_t *p = formula.data() + 1;
    const size_t left = formula.size() - 1;
    auto row_of = [&](const uint8_t *at) {
        return biff8 ? static_cast<int32_t>(load_u16(at))
                     : static_cast<int32_t>(load_u16(at) & 0x3FFF);
    };
    auto column_of = [&](const uint8_t *at) {
        return biff8 ? static_cast<int32_t>(load_u16(at) & 0x00FF) : static_cast<int32_t>(at[0]);
    };
    // Where the row and column fields start after the token's sheet part.
    const size_t sheet_part = biff8 ? 2 : 14;
    switch (token) {
        case 0x1A:  // tRef3d
            if (left < sheet_part + (biff8 ? 4 : 3)) return false;
            area = {column_of(p + sheet_part + 2), row_of(p + sheet_part), -1, -1};
            return true;
        case 0x1B:  // tArea3d
            if (left < sheet_part + (biff8 ? 8 : 6)) return false;
            area = {column_of(p + sheet_part + 4), row_of(p + sheet_part),
                    column_of(p + sheet_part + (biff8 ? 6 : 5)), row_of(p + sheet_part + 2)};
            return true;
        case 0x04:  // tRef
            if (left < (biff8 ? 4u : 3u)) return false;
            area = {column_of(p + 2), row_of(p), -1, -1};
            return true;
        case 0x05:  // tArea
            if (left < (biff8 ? 8u : 6u)) return false;
            area = {column_of(p + 4), row_of(p), column_of(p + (biff8 ? 6 : 5)), row_of(p + 2)};
            return true;
        default:
            return false;
    }
}

}  // namespace

bool defined_name_area(int32_t h, int32_t sheet, std::string_view name, CellArea &area) {
    Workbook *book = workbook_at(h);
    if (!book) return false;
    const std::u16string wanted = platform::narrow_to_utf16(name);
    for (const Record &record : book->external_references.records()) {
        if (record.number != rec::kName || record.data.size() < kNameHeader) continue;
        const uint8_t *data = record.data.data();
        const uint16_t options = load_u16(data);
        const size_t length = data[3];
        const size_t formula_size = load_u16(data + 4);
        const uint16_t local = load_u16(data + 8);
        if ((options & kBuiltinName) || (local != 0 && local != sheet + 1)) continue;
        std::u16string text;
        size_t at = kNameHeader;
        if (book->biff8()) {
            if (record.data.size() < at + 1) continue;
            const bool wide = data[at++] & 1;
            if (record.data.size() < at + length * (wide ? 2 : 1)) continue;
            for (size_t i = 0; i < length; ++i)
                text.push_back(wide ? load_u16(data + at + 2 * i) : data[at + i]);
            at += length * (wide ? 2 : 1);
        } else {
            if (record.data.size() < at + length) continue;
            text = decode_narrow({data + at, length}, book->code_page);
            at += length;
        }
        if (!same_name(text, wanted) || record.data.size() < at + formula_size) continue;
        if (area_of_formula(book->biff8(), {data + at, formula_size}, area)) return true;
    }
    return false;
}

}  // namespace tabrix::engine::services
