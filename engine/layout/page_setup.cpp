#include "engine/layout/page_setup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"

namespace tabrix::engine {

namespace {

constexpr uint16_t kNoPrinterSettings = 0x0004;
constexpr std::array<int32_t, 9> kPaperSizes{1, 3, 5, 7, 8, 9, 11, 12, 13};
constexpr double kMmPerInch = 25.4;
constexpr double kFallbackPrintMarginMm = 13.0;
constexpr int32_t kMaxMarginMm = 1000;
constexpr std::array<double, 4> kDefaultMarginsMm{20.0, 20.0, 25.0, 25.0};
// Composed texts from this many characters on are refused; each format's record limit below.
constexpr size_t kMaxComposedChars = 511;
constexpr size_t kMaxNarrowTextBytes = 255;
constexpr size_t kMaxBiff8TextBytes8 = 255;
constexpr size_t kMaxBiff8TextBytes16 = 511;

Sheet *sheet_of(Workbook &book, int32_t sheet) {
    if (sheet < 0 || sheet >= book.sheet_count()) return nullptr;
    return book.sheets[sheet].get();
}

double print_margin_inches(double mm) {
    if (!(mm >= 0.0) || !std::isfinite(mm)) mm = kFallbackPrintMarginMm;
    return mm / kMmPerInch;
}

// The header or footer split by its section codes, each part starting with its code; a code
// met again carries on the same part, and text before the first code belongs to none.
struct Sections {
    std::u16string left, centre, right;
};

Sections sections_of(std::u16string_view text) {
    Sections sections;
    std::u16string *current = nullptr;
    for (size_t i = 0; i < text.size();) {
        // Other codes ("&P", "&&", font codes) are two characters of the part they are in.
        const size_t width = text[i] == u'&' && i + 1 < text.size() ? 2 : 1;
        if (width == 2) {
            const char16_t code = text[i + 1];
            if (code == u'L') current = &sections.left;
            if (code == u'C') current = &sections.centre;
            if (code == u'R') current = &sections.right;
        }
        if (current) current->append(text.substr(i, width));
        i += width;
    }
    return sections;
}

void replace_section(std::u16string &section, std::u16string_view code, std::u16string_view text) {
    if (text.empty()) return;
    section.assign(code);
    section.append(text);
}

// The record body of a composed text in the workbook's format, or nothing when it is too long
// or its code page lacks a character.
std::optional<std::vector<uint8_t>> page_text_body(const Workbook &book, std::u16string_view text) {
    std::vector<uint8_t> body;
    if (book.biff8()) {
        const Biff8Chars chars = biff8_chars(text);
        const size_t limit = chars.wide ? kMaxBiff8TextBytes16 : kMaxBiff8TextBytes8;
        if (chars.bytes.size() > limit) return std::nullopt;
        put_biff8_string(body, chars);
        return body;
    }
    const std::optional<std::string> narrow = encode_narrow(text, book.code_page);
    if (!narrow || narrow->size() > kMaxNarrowTextBytes) return std::nullopt;
    put_u8(body, static_cast<uint8_t>(narrow->size()));
    put_bytes(body, narrow->data(), narrow->size());
    return body;
}

void insert_sorted(std::vector<uint16_t> &list, uint16_t value) {
    auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at == list.end() || *at != value) list.insert(at, value);
}

void erase_sorted(std::vector<uint16_t> &list, uint16_t value) {
    auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at != list.end() && *at == value) list.erase(at);
}

template <class Change>
int32_t change_sheet(Workbook &book, int32_t sheet, Change &&change) {
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    change(target->page);
    return 0;
}

}  // namespace

int32_t set_page_mode(Workbook &book, int32_t sheet, const PageMode &mode) {
    return change_sheet(book, sheet, [&](PageSettings &page) {
        SetupRecord &setup = page.setup;
        if (setup.options & kNoPrinterSettings) {
            const SetupRecord fresh;
            setup.paper_size = fresh.paper_size;
            setup.scale = fresh.scale;
            setup.first_page = fresh.first_page;
            setup.resolution = fresh.resolution;
            setup.vertical_resolution = fresh.vertical_resolution;
            setup.copies = fresh.copies;
        }
        const bool known_paper =
            std::find(kPaperSizes.begin(), kPaperSizes.end(), mode.paper_size) != kPaperSizes.end();
        setup.paper_size = static_cast<uint16_t>(known_paper ? mode.paper_size : 9);
        setup.scale =
            static_cast<uint16_t>(mode.scale >= 10 && mode.scale <= 400 ? mode.scale : 100);
        setup.fit_width = 1;
        setup.fit_height = 1;
        page.orientation = mode.orientation == 0 ? 0 : 2;
        setup.options = page.orientation;
        setup.header_margin = print_margin_inches(mode.header_margin_mm);
        setup.footer_margin = print_margin_inches(mode.footer_margin_mm);
    });
}

int32_t set_margins(Workbook &book, int32_t sheet, int32_t left, int32_t right, int32_t top,
                    int32_t bottom) {
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    const std::array<int32_t, 4> given{left, right, top, bottom};
    std::array<double, 4> inches{};
    for (size_t i = 0; i < given.size(); ++i) {
        const int16_t mm = static_cast<int16_t>(static_cast<uint16_t>(given[i]));
        if (mm > kMaxMarginMm) return err::kParam;
        inches[i] = (mm < 0 ? kDefaultMarginsMm[i] : mm) / kMmPerInch;
    }
    target->page.margins = inches;
    return 0;
}

std::u16string page_text_of(const Workbook &book, const std::vector<uint8_t> &body) {
    if (book.biff8()) {
        size_t pos = 0;
        return read_biff8_string(body, pos).value_or(std::u16string());
    }
    if (body.empty() || body.size() < 1u + body[0]) return {};
    return decode_narrow(std::span(body).subspan(1, body[0]), book.code_page);
}

int32_t set_page_text(Workbook &book, int32_t sheet, PageText which, std::u16string_view left,
                      std::u16string_view centre, std::u16string_view right) {
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    std::optional<std::vector<uint8_t>> &stored =
        which == PageText::kHeader ? target->page.header : target->page.footer;
    Sections sections = sections_of(stored ? page_text_of(book, *stored) : u"");
    replace_section(sections.left, u"&L", left);
    replace_section(sections.centre, u"&C", centre);
    replace_section(sections.right, u"&R", right);
    const std::u16string text = sections.left + sections.centre + sections.right;
    if (text.size() >= kMaxComposedChars) return err::kParam;
    if (text.empty()) return 0;
    std::optional<std::vector<uint8_t>> body = page_text_body(book, text);
    if (!body) return err::kParam;
    stored = std::move(body);
    return 0;
}

int32_t set_page_break(Workbook &book, int32_t sheet, int32_t column, int32_t row, bool set) {
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    if (column < 0 || column > 255 || row < 0 || static_cast<uint32_t>(row) >= book.max_rows) {
        return err::kPosition;
    }
    PageSettings &page = target->page;
    const auto y = static_cast<uint16_t>(row);
    const auto x = static_cast<uint16_t>(column);
    if (!set) {
        erase_sorted(page.row_breaks, y);
        erase_sorted(page.column_breaks, x);
        return 0;
    }
    if (page.row_breaks.size() >= kMaxRowBreaks || page.column_breaks.size() >= kMaxColumnBreaks) {
        return err::kParam;
    }
    // Both lists grow before either is changed, so that running out of memory changes nothing.
    page.row_breaks.reserve(page.row_breaks.size() + 1);
    page.column_breaks.reserve(page.column_breaks.size() + 1);
    insert_sorted(page.row_breaks, y);
    insert_sorted(page.column_breaks, x);
    return 0;
}

int32_t set_print_headings(Workbook &book, int32_t sheet, bool on) {
    return change_sheet(book, sheet, [&](PageSettings &page) { page.print_headers = on ? 1 : 0; });
}

int32_t set_print_gridlines(Workbook &book, int32_t sheet, bool on) {
    return change_sheet(book, sheet,
                        [&](PageSettings &page) { page.print_gridlines = on ? 1 : 0; });
}

int32_t set_centring(Workbook &book, int32_t sheet, bool horizontal, bool vertical) {
    return change_sheet(book, sheet, [&](PageSettings &page) {
        page.hcenter = horizontal ? 1 : 0;
        page.vcenter = vertical ? 1 : 0;
    });
}

int32_t set_fit_to_page(Workbook &book, int32_t sheet, bool on) {
    return change_sheet(book, sheet, [&](PageSettings &page) { page.fit_to_page = on; });
}

}  // namespace tabrix::engine
