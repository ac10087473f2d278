#include "engine/styles/workbook_font.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

constexpr size_t kMaxFontNameBytes = 32;
constexpr size_t kFieldBytes = 14;  // FONT fields before the name, both formats
constexpr size_t kFamilyByte = 11;
constexpr size_t kSmallFontPosition = 4;  // font number 5
constexpr std::u16string_view kMincho = u"明朝";
constexpr std::u16string_view kSmallMincho = u"ＭＳ Ｐ明朝";
constexpr std::u16string_view kSmallGothic = u"ＭＳ Ｐゴシック";

double clamped_size(double size) {
    if (!(size > 0.0)) return 11.0;
    return std::clamp(size, 1.0, 409.0);
}

// The fields of an existing FONT body with a new height; a short body gets zero fields.
std::vector<uint8_t> fields_with_height(const std::vector<uint8_t> &body, double points) {
    std::vector<uint8_t> fields(kFieldBytes, 0);
    std::copy_n(body.begin(), std::min(body.size(), kFieldBytes), fields.begin());
    store_u16(fields.data(), static_cast<uint16_t>(points * 20.0));
    return fields;
}

std::vector<uint8_t> biff8_body(std::vector<uint8_t> fields, const Biff8Chars &name, bool mincho) {
    if (mincho) fields[kFamilyByte] = 1;
    put_biff8_short_string(fields, name);
    return fields;
}

}  // namespace

int32_t set_workbook_font(const BookRef &ref, std::string_view narrow_name, double size) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    const std::string name(narrow_name.empty() ? book->default_font_name : narrow_name);
    const double points = clamped_size(size == -1.0 ? book->default_font_size : size);
    // Excel 95 stores the name's bytes in the workbook's code page.
    const std::optional<std::string> narrow =
        book->biff8() ? std::optional(name) : encode_narrow(name, book->code_page);
    if (!narrow || name.size() > kMaxFontNameBytes || narrow->size() > kMaxFontNameBytes) {
        return err::kLength;
    }
    const std::string &stored = *narrow;
    std::vector<Record> &fonts = book->fonts.records();
    if (!book->biff8()) {
        if (!fonts.empty()) {
            std::vector<uint8_t> body = fields_with_height(fonts[0].data, points);
            put_u8(body, static_cast<uint8_t>(stored.size()));
            put_bytes(body, stored.data(), stored.size());
            fonts[0].data = std::move(body);
        }
    } else {
        const std::u16string wide = platform::cp932_to_utf16(name);
        const bool mincho = wide.ends_with(kMincho);
        std::vector<uint8_t> first;
        std::vector<uint8_t> small;
        if (!fonts.empty()) {
            first =
                biff8_body(fields_with_height(fonts[0].data, points), biff8_chars(name), mincho);
        }
        if (fonts.size() > kSmallFontPosition) {
            small =
                biff8_body(fields_with_height(fonts[kSmallFontPosition].data, mincho ? 7.0 : 6.0),
                           biff8_chars(mincho ? kSmallMincho : kSmallGothic), mincho);
        }
        if (!first.empty()) fonts[0].data = std::move(first);
        if (!small.empty()) fonts[kSmallFontPosition].data = std::move(small);
    }
    book->default_font_name = name;
    book->default_font_size = points;
    return 0;
}

}  // namespace tabrix::engine
