#include "engine/edit/value_writes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/apply_attributes.h"
#include "engine/edit/cell_checks.h"
#include "engine/model/keywords.h"
#include "engine/model/workbook.h"
#include "engine/styles/attribute_merge.h"
#include "engine/styles/attribute_registry.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

constexpr size_t kMaxLabelBytes = 255;
constexpr size_t kMaxCellCharacters = 32767;  // an Excel 97 cell text, in UTF-16 units

// A cell record image under construction: header, then row, column, XF and the value.
class CellImage {
  public:
    CellImage(uint16_t number, uint16_t x, uint16_t y, uint16_t xf, size_t value_size)
        : size_(10 + value_size) {
        store_u16(&bytes_[0], number);
        store_u16(&bytes_[2], static_cast<uint16_t>(6 + value_size));
        store_u16(&bytes_[4], y);
        store_u16(&bytes_[6], x);
        store_u16(&bytes_[8], xf);
    }
    uint8_t *value() { return &bytes_[10]; }
    std::span<uint8_t> bytes() { return {bytes_.data(), size_}; }

  private:
    std::array<uint8_t, 10 + 2 + kMaxLabelBytes> bytes_;  // only the first size_ bytes are used
    size_t size_;
};

// Where a write goes, once its position has been checked.
struct Target {
    Workbook *book = nullptr;
    Sheet *sheet = nullptr;
    uint16_t x = 0;
    uint16_t y = 0;
};

// The sign rule of the XF argument; values that are no XF index become the default.
uint16_t resolve_xf_argument(int32_t xf, bool *merge) {
    *merge = xf >= 0;
    int64_t magnitude = xf < 0 ? -static_cast<int64_t>(xf) : xf;
    return magnitude > 0xFFFF ? kDefaultXf : static_cast<uint16_t>(magnitude);
}

// The checks every value write makes before it builds its record.
int32_t check_book_and_row(BookRef ref, int32_t y) {
    Workbook *book = ref.book;
    if (!book) return err::kNotOpen;
    if (y < 0 || static_cast<uint32_t>(y) >= book->max_rows) return err::kPosition;
    return 0;
}

// The cell insert's checks; a value write reports any missing workbook as -3. The sheet
// becomes the workbook's current sheet.
int32_t locate(BookRef ref, int32_t sheet, int32_t x, int32_t y, Target *out) {
    SheetPlace place;
    ref.missing = err::kNotOpen;
    if (int32_t rc = check_cells(ref, sheet, {x}, {y}, CheckOrder::kCellInsert, &place); rc != 0) {
        return rc;
    }
    place.book->current_sheet = sheet;
    *out = {place.book, place.sheet, static_cast<uint16_t>(x), static_cast<uint16_t>(y)};
    return 0;
}

// The cell attribute resolution: the single place where a new attribute meets the one the
// cell already has.
uint16_t resolve_cell_xf(const Target &at, uint16_t xf, bool merge) {
    xf = held_attribute(*at.book, xf);
    if (merge && !replace_mode()) {
        CellView existing;
        if (at.sheet->cells.find(at.y, static_cast<uint8_t>(at.x), &existing)) {
            uint16_t old_xf = existing.xf_at(static_cast<uint8_t>(at.x));
            xf = (xf != kDefaultXf && old_xf != xf) ? merge_attributes(*at.book, old_xf, xf)
                                                    : old_xf;
        }
    }
    // A cell written with the default attribute takes its row's or its column's.
    return xf == kDefaultXf ? inherited_attribute(at.book->biff8(), *at.sheet, at.x, at.y) : xf;
}

// The common cell insert of a record image whose XF field (data offset 4) holds the XF
// argument's index.
int32_t insert_image(const Target &at, std::span<uint8_t> image, bool merge) {
    Sheet &sheet = *at.sheet;
    move_write_cursor(sheet, at.x, at.y);
    const uint32_t key = static_cast<uint32_t>(at.y) * 256 + at.x;
    // Outside the written range there is no cell to merge with.
    if (key < sheet.lowest_key || key > sheet.highest_key) merge = false;
    store_u16(&image[8], resolve_cell_xf(at, load_u16(&image[8]), merge));
    if (int rc = sheet.cells.insert(image); rc != 0) return rc;
    sheet.lowest_key = std::min(sheet.lowest_key, key);
    sheet.highest_key = std::max<int64_t>(sheet.highest_key, key);
    return 0;
}

int32_t insert_cell(const Target &at, CellImage &image, bool merge) {
    return insert_image(at, image.bytes(), merge);
}

int32_t write_blank(BookRef ref, int32_t sheet, int32_t x, int32_t y, uint16_t xf, bool merge) {
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    CellImage image(rec::kBlank, at.x, at.y, xf, 0);
    return insert_cell(at, image, merge);
}

bool starts_with_keyword_prefix(const CellText &text) {
    const std::u16string &prefix = keyword_prefix();
    if (auto *wide = std::get_if<std::u16string_view>(&text)) return wide->starts_with(prefix);
    return platform::cp932_to_utf16(std::get<std::string_view>(text)).starts_with(prefix);
}

// A text longer than a LABEL holds is cut, at a character of the workbook's code page.
int32_t store_label(const Target &at, std::string_view narrow, uint16_t xf, bool merge) {
    std::string_view kept = narrow_prefix(narrow, at.book->code_page, kMaxLabelBytes);
    CellImage image(rec::kLabel, at.x, at.y, xf, 2 + kept.size());
    store_u16(image.value(), static_cast<uint16_t>(kept.size()));
    std::memcpy(image.value() + 2, kept.data(), kept.size());
    return insert_cell(at, image, merge);
}

// Whether a text fits an Excel 97 cell. A narrow text of no more bytes than the limit has no
// more characters, so only longer ones are converted to count.
bool fits_shared_string(const CellText &text) {
    if (auto *wide = std::get_if<std::u16string_view>(&text)) {
        return wide->size() <= kMaxCellCharacters;
    }
    std::string_view narrow = std::get<std::string_view>(text);
    return narrow.size() <= kMaxCellCharacters ||
           platform::cp932_to_utf16(narrow).size() <= kMaxCellCharacters;
}

// The LABELSST image of a text, the text added to the shared-string table.
CellImage shared_string_image(const Target &at, const CellText &text, uint16_t xf) {
    uint32_t index = 0;
    if (auto *wide = std::get_if<std::u16string_view>(&text)) {
        index = at.book->strings.add(*wide);
    } else {
        index = at.book->strings.add(std::get<std::string_view>(text));
    }
    CellImage image(rec::kLabelSst, at.x, at.y, xf, 4);
    store_u32(image.value(), index);
    return image;
}

bool is_single_line_feed(const CellText &text) {
    if (auto *wide = std::get_if<std::u16string_view>(&text)) return *wide == u"\n";
    if (auto *narrow = std::get_if<std::string_view>(&text)) return *narrow == "\n";
    return false;
}

// A text that is one line break shows only when the cell wraps its text.
int32_t set_wrap_text(BookRef ref, int32_t sheet, int32_t x, int32_t y) {
    CellAttribute wrap = unset_attribute();
    wrap.over_return = 1;
    return set_cell_attribute(ref, sheet, x, y, AttributeRequest::of_record(wrap));
}

bool has_leading_apostrophe(const CellText &text) {
    if (auto *wide = std::get_if<std::u16string_view>(&text)) return wide->starts_with(u'\'');
    if (auto *narrow = std::get_if<std::string_view>(&text)) return narrow->starts_with('\'');
    return false;
}

CellText without_leading_apostrophe(const CellText &text) {
    if (!has_leading_apostrophe(text)) return text;
    if (auto *wide = std::get_if<std::u16string_view>(&text)) return CellText(wide->substr(1));
    return CellText(std::get<std::string_view>(text).substr(1));
}

}  // namespace

int32_t write_text(BookRef ref, int32_t sheet, int32_t x, int32_t y, const CellText &text,
                   int32_t xf_argument) {
    // A plain Excel 97 text: no keyword, line break, leading apostrophe or overlong text.
    if (ref.book && ref.book->biff8() && !ref.book->template_flag &&
        !std::holds_alternative<std::monostate>(text) && !is_single_line_feed(text) &&
        !has_leading_apostrophe(text) && fits_shared_string(text)) {
        if (Sheet *at = appending::sheet_for(ref, sheet, x, y, xf_argument)) {
            const Target target{ref.book, at, static_cast<uint16_t>(x), static_cast<uint16_t>(y)};
            CellImage image = shared_string_image(target, text, kDefaultXf);
            return appending::store(*ref.book, sheet, *at, target.x, target.y, image.bytes());
        }
    }
    if (is_single_line_feed(text)) {
        // A text write reports a missing workbook as -3, the attribute calls would say -2.
        if (!ref.book) return err::kNotOpen;
        if (int32_t rc = set_wrap_text(ref, sheet, x, y); rc != 0) return rc;
    }
    bool merge = true;
    uint16_t xf = resolve_xf_argument(xf_argument, &merge);
    if (std::holds_alternative<std::monostate>(text)) {
        return write_blank(ref, sheet, x, y, xf, merge);
    }
    if (int32_t rc = check_book_and_row(ref, y); rc != 0) return rc;
    if (ref.book->template_flag && starts_with_keyword_prefix(text)) {
        // A keyword cell left unfilled becomes blank, keeping its attribute.
        return write_blank(ref, sheet, x, y, kDefaultXf, true);
    }
    // Every check is made before the text reaches the shared-string table.
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    CellText value = without_leading_apostrophe(text);
    if (at.book->biff8()) {
        // A longer text is refused: cut, it would lose its end without a word.
        if (!fits_shared_string(value)) return err::kLength;
        CellImage image = shared_string_image(at, value, xf);
        return insert_cell(at, image, merge);
    }
    // A character the workbook's code page lacks is refused, not written as another.
    const std::optional<std::string> narrow =
        std::holds_alternative<std::u16string_view>(value)
            ? encode_narrow(std::get<std::u16string_view>(value), at.book->code_page)
            : encode_narrow(std::get<std::string_view>(value), at.book->code_page);
    if (!narrow) return err::kParam;
    return store_label(at, *narrow, xf, merge);
}

int32_t write_any_int(BookRef ref, int32_t sheet, int32_t x, int32_t y, int32_t value,
                      int32_t xf_argument) {
    bool merge = true;
    uint16_t xf = resolve_xf_argument(xf_argument, &merge);
    if (int32_t rc = check_book_and_row(ref, y); rc != 0) return rc;
    if (value < -kRkLimit || value >= kRkLimit) {
        return write_double(ref, sheet, x, y, static_cast<double>(value), xf_argument);
    }
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    CellImage image(rec::kRk, at.x, at.y, xf, 4);
    store_u32(image.value(), (static_cast<uint32_t>(value) << 2) | 2u);
    return insert_cell(at, image, merge);
}

int32_t write_any_double(BookRef ref, int32_t sheet, int32_t x, int32_t y, double value,
                         int32_t xf_argument) {
    if (value == 0.0) value = 0.0;  // -0.0 is stored as +0.0
    bool merge = true;
    uint16_t xf = resolve_xf_argument(xf_argument, &merge);
    if (int32_t rc = check_book_and_row(ref, y); rc != 0) return rc;
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    // A cell holds no NaN or infinity: readers would show them as numbers of their own.
    if (!std::isfinite(value)) return err::kParam;
    CellImage image(rec::kNumber, at.x, at.y, xf, 8);
    store_f64(image.value(), value);
    return insert_cell(at, image, merge);
}

int32_t write_bool(BookRef ref, int32_t sheet, int32_t x, int32_t y, bool value,
                   int32_t xf_argument) {
    bool merge = true;
    uint16_t xf = resolve_xf_argument(xf_argument, &merge);
    if (int32_t rc = check_book_and_row(ref, y); rc != 0) return rc;
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    CellImage image(rec::kBoolErr, at.x, at.y, xf, 2);
    image.value()[0] = value ? 1 : 0;
    image.value()[1] = 0;  // a boolean, not an error code
    return insert_cell(at, image, merge);
}

int32_t write_cell_image(BookRef ref, int32_t sheet, int32_t x, int32_t y, std::span<uint8_t> image,
                         int32_t xf_argument) {
    bool merge = true;
    uint16_t xf = resolve_xf_argument(xf_argument, &merge);
    Target at;
    if (int32_t rc = locate(ref, sheet, x, y, &at); rc != 0) return rc;
    if (image.size() < 10) return err::kLength;
    store_u16(&image[4], at.y);
    store_u16(&image[6], at.x);
    store_u16(&image[8], xf);
    return insert_image(at, image, merge);
}

int32_t write_bin(BookRef ref, int32_t sheet, uint16_t number, uint16_t length, const void *data) {
    Workbook *book = ref.book;
    if (!book) return err::kNotOpen;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    if (length > 0 && !data) return err::kParam;
    const auto *bytes = static_cast<const uint8_t *>(data);
    book->sheets[sheet]->carried.caller_records.append(number,
                                                       std::span<const uint8_t>(bytes, length));
    return 0;
}

int32_t shifted_coordinate(int64_t coordinate, int64_t offset) {
    return static_cast<int32_t>(std::clamp<int64_t>(coordinate + offset, INT32_MIN, INT32_MAX));
}

int32_t write_at_keyword(BookRef ref, int32_t sheet, std::u16string_view keyword, int32_t dx,
                         int32_t dy, const CellWrite &write) {
    Workbook *book = ref.book;
    if (!book) return err::kNotOpen;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    std::span<const KeywordEntry> entries = find_keyword(*book->sheets[sheet], keyword);
    if (entries.empty()) return err::kNoVariable;
    for (const KeywordEntry &entry : entries) {
        if (int32_t rc =
                write(shifted_coordinate(entry.column, dx), shifted_coordinate(entry.row, dy));
            rc != 0) {
            return rc;
        }
    }
    book->template_flag = true;
    return 0;
}

int32_t select_sheet(BookRef ref, int32_t sheet) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (sheet < 0 || sheet >= book->sheet_count()) return err::kSheetNo;
    book->current_sheet = sheet;
    return 0;
}

namespace {

// The current sheet of the older layer's workbook.
int32_t current_xl_sheet(Workbook *book, Sheet **sheet) {
    if (!book) return err::kNotOpen;
    if (book->current_sheet >= book->sheet_count()) return err::kSheetNo;
    *sheet = book->sheets[book->current_sheet].get();
    return 0;
}

}  // namespace

int32_t move_cursor(Workbook *book, int32_t x, int32_t y) {
    Sheet *sheet = nullptr;
    if (int32_t rc = current_xl_sheet(book, &sheet); rc != 0) return rc;
    if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) >= book->max_rows) {
        return err::kPosition;
    }
    sheet->cursor_column = x;
    sheet->cursor_row = y;
    return 0;
}

int32_t move_cursor_to_keyword(Workbook *book, std::u16string_view keyword, int32_t dx,
                               int32_t dy) {
    Sheet *sheet = nullptr;
    if (int32_t rc = current_xl_sheet(book, &sheet); rc != 0) return rc;
    std::span<const KeywordEntry> entries = find_keyword(*sheet, keyword);
    if (entries.empty()) return err::kNoVariable;
    sheet->cursor_column = shifted_coordinate(entries.front().column, dx);
    sheet->cursor_row = shifted_coordinate(entries.front().row, dy);
    book->template_flag = true;
    return 0;
}

int32_t cursor_to_next_row(Workbook *book) {
    Sheet *sheet = nullptr;
    if (int32_t rc = current_xl_sheet(book, &sheet); rc != 0) return rc;
    sheet->cursor_column = 0;
    sheet->cursor_row = shifted_coordinate(sheet->cursor_row, 1);
    return 0;
}

int32_t cursor_target(Workbook *book, int32_t *sheet_number, int32_t *x, int32_t *y) {
    Sheet *sheet = nullptr;
    if (int32_t rc = current_xl_sheet(book, &sheet); rc != 0) return rc;
    *sheet_number = book->current_sheet;
    *x = sheet->cursor_column;
    *y = sheet->cursor_row;
    return 0;
}

}  // namespace tabrix::engine
