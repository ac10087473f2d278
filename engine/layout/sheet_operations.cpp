#include "engine/layout/sheet_operations.h"

#include <memory>
#include <string>
#include <utility>

#include "engine/layout/sheet_names.h"
#include "engine/layout/sheet_references.h"

namespace tabrix::engine {
namespace {

// BOUNDSHEET type bits: any of them marks a chart or module sheet, which stays.
constexpr uint16_t kNonWorksheetBits = 0x0600;

// The sheet's number after sheets were removed at `first`: one inside the removed range
// goes to the sheet before it.
uint16_t after_removal(uint16_t sheet, int32_t first, int32_t count) {
    if (sheet < first) return sheet;
    if (sheet >= first + count) return static_cast<uint16_t>(sheet - count);
    return static_cast<uint16_t>(first > 0 ? first - 1 : 0);
}

// A full copy of a sheet: cells, keyword cells, merged ranges, rows and columns, page and
// window settings, referenced sheets and carried-over records.
std::unique_ptr<Sheet> duplicate(const Sheet &source, std::u16string name) {
    auto copy = std::make_unique<Sheet>();
    copy->name = std::move(name);
    copy->options = source.options;
    if (int rc = copy->cells.copy_from(source.cells); rc != 0) throw std::bad_alloc();
    copy->lowest_key = source.lowest_key;
    copy->highest_key = source.highest_key;
    copy->cursor_column = source.cursor_column;
    copy->cursor_row = source.cursor_row;
    copy->keywords = source.keywords;
    copy->merged = source.merged;
    copy->rows_columns = source.rows_columns;
    copy->page = source.page;
    copy->window = source.window;
    copy->ref_sheets = source.ref_sheets;
    copy->extern_sheet_names = source.extern_sheet_names;
    copy->carried = source.carried;
    return copy;
}

}  // namespace

int32_t sheet_count(BookRef ref) {
    if (!ref.book) return ref.missing;
    return ref.book->sheet_count();
}

int32_t sheet_name(BookRef ref, int32_t sheet, std::u16string *name) {
    if (!ref.book) return ref.missing;
    if (sheet < 0 || sheet >= ref.book->sheet_count()) return err::kSheetNo;
    *name = ref.book->sheets[static_cast<size_t>(sheet)]->name;
    return 0;
}

int32_t rename_sheet(BookRef ref, int32_t sheet, std::u16string_view name) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (book->read_only) return err::of(errMode);
    if (name.empty() || name.size() > kMaxSheetNameChars) return err::kLength;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    if (!sheet_name_acceptable(*book, name)) return err::kParam;
    const auto position = static_cast<size_t>(sheet);
    if (auto holder = book->sheets.find(name); holder && *holder != position) {
        return err::kParam;
    }
    std::u16string new_name(name);
    const std::u16string old_name = book->sheets[position]->name;
    rename_sheet_references(*book, old_name, new_name);
    book->sheets.rename(position, std::move(new_name));
    return 0;
}

int32_t add_sheets(BookRef ref, int32_t count) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (count < 1 || count > kMaxSheets - book->sheet_count()) return err::kParam;
    const int32_t before = book->sheet_count();
    const uint32_t counter = book->sheet_name_counter;
    try {
        for (int32_t i = 0; i < count; ++i) add_sheet(*book);
    } catch (...) {
        while (book->sheet_count() > before) book->sheets.remove(book->sheets.size() - 1);
        book->sheet_name_counter = counter;
        throw;
    }
    shift_sheet_references(*book, SheetShift{static_cast<uint16_t>(before), 0, false});
    return 0;
}

int32_t check_delete_sheets(const Workbook &book, int32_t first, int32_t *count) {
    const int32_t sheets = book.sheet_count();
    if (book.macro_project || first < 0 || first >= sheets || *count < 1 || *count >= sheets) {
        return err::kParam;
    }
    if (*count > sheets - first) *count = sheets - first;
    for (int32_t i = first; i < first + *count; ++i) {
        if ((book.sheets[static_cast<size_t>(i)]->options & kNonWorksheetBits) != 0) {
            return err::kSheetNo;
        }
    }
    return 0;
}

int32_t delete_sheets(BookRef ref, int32_t first, int32_t count) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (int32_t rc = check_delete_sheets(*book, first, &count); rc != 0) return rc;
    for (int32_t i = 0; i < count; ++i) book->sheets.remove(static_cast<size_t>(first));
    book->active_sheet = after_removal(book->active_sheet, first, count);
    // The older layer's current sheet stays on the sheet it was on.
    if (book->current_sheet >= 0) {
        book->current_sheet =
            after_removal(static_cast<uint16_t>(book->current_sheet), first, count);
    }
    shift_sheet_references(
        *book, SheetShift{static_cast<uint16_t>(first), static_cast<uint16_t>(count), true});
    return 0;
}

int32_t check_copy_sheet(const Workbook &book, int32_t source, int32_t position,
                         std::u16string_view name) {
    const int32_t sheets = book.sheet_count();
    if (source < 0 || source >= sheets || position < 0 || position > sheets) return err::kParam;
    if (sheets >= kMaxSheets) return err::kParam;
    if (!name.empty()) {
        if (!sheet_name_acceptable(book, name)) return err::kParam;
        if (book.sheets.contains(name)) return err::kOpen;
    }
    return 0;
}

int32_t copy_sheet(BookRef ref, int32_t source, int32_t position, std::u16string_view name) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (int32_t rc = check_copy_sheet(*book, source, position, name); rc != 0) return rc;
    const Sheet &original = *book->sheets[static_cast<size_t>(source)];
    std::u16string copy_title =
        name.empty() ? copy_name(book->sheets, original.name) : std::u16string(name);
    std::unique_ptr<Sheet> copy = duplicate(original, std::move(copy_title));
    book->sheets.insert(static_cast<size_t>(position), std::move(copy));
    // The active sheet keeps its number; the older layer's current sheet follows its sheet.
    if (book->current_sheet >= position) ++book->current_sheet;
    shift_sheet_references(*book, SheetShift{static_cast<uint16_t>(position), 1, false});
    return 0;
}

int32_t active_sheet(BookRef ref) {
    if (!ref.book) return ref.missing;
    return ref.book->active_sheet;
}

int32_t set_active_sheet(BookRef ref, int32_t sheet) {
    if (!ref.book) return ref.missing;
    if (sheet < 0 || sheet >= ref.book->sheet_count()) return err::kParam;
    ref.book->active_sheet = static_cast<uint16_t>(sheet);
    return 0;
}

}  // namespace tabrix::engine
