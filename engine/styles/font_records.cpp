#include "engine/styles/font_records.h"

#include <algorithm>
#include <optional>
#include <string>

#include "engine/biff/record_numbers.h"
#include "engine/model/process_state.h"
#include "engine/model/workbook.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/default_records.h"

namespace tabrix::engine {

namespace {

constexpr std::string_view kFallbackFontName = "\x96\xbe\x92\xa9";  // 明朝
constexpr size_t kMaxFontNameBytes = 32;
constexpr size_t kMaxFonts = 32767;  // font numbers are 16-bit signed in attribute records
// The defaults of positions 0-4 are rewritten in place when the workbook font changes.
constexpr size_t kRewritablePositions = 5;
constexpr size_t kBiff8OptionByte = 15;

double clamped_size(double size) {
    if (!(size > 0.0)) return 11.0;
    return std::clamp(size, 1.0, 409.0);
}

FontFields font_fields(const FontRequest &request) {
    const int32_t style = std::max<int32_t>(request.style, 0);
    FontFields f;
    f.height = static_cast<uint16_t>(clamped_size(request.size) * 20);
    f.options = static_cast<uint16_t>(((style & 2) ? 0x0002 : 0) | ((style & 4) ? 0x0008 : 0));
    f.colour = request.colour >= 1 ? static_cast<uint16_t>(std::min(request.colour, 0x7FFF))
                                   : uint16_t{0x7FFF};
    f.weight = (style & 1) ? 700 : 400;
    f.escapement = (style & 16) ? 2 : (style & 8) ? 1 : 0;
    f.underline = request.underline < 0 ? 0 : static_cast<uint8_t>(request.underline);
    f.family = 0;
    f.charset = 128;
    f.reserved = 0xA2;
    return f;
}

// The bytes two FONT records are compared by: the whole body, except the Excel 97 option
// byte of the name (the name's bytes themselves still count).
std::string comparison_key(bool biff8, const std::vector<uint8_t> &body) {
    std::string key(body.begin(), body.end());
    if (biff8 && key.size() > kBiff8OptionByte) key.erase(kBiff8OptionByte, 1);
    return key;
}

// Records appended by others (a template's fonts) join the index on the next lookup.
void catch_up_font_index(bool biff8, const RecordList &fonts, AttributeRegistry &registry) {
    const std::vector<Record> &records = fonts.records();
    size_t from = std::max(registry.fonts_indexed, kRewritablePositions);
    for (size_t p = from; p < records.size(); ++p) {
        registry.font_positions.emplace(comparison_key(biff8, records[p].data), p);
    }
    registry.fonts_indexed = std::max(records.size(), kRewritablePositions);
}

// The body with the name in either form; -31 when the workbook's code page lacks a character
// of it or it grows past the limit there.
template <class Name>
int32_t font_body(bool biff8, const FontFields &fields, Name name, std::vector<uint8_t> *out,
                  uint16_t code_page) {
    if (biff8) {
        *out = font_body_biff8(fields, biff8_chars(name));
        return 0;
    }
    const std::optional<std::string> narrow = encode_narrow(name, code_page);
    if (!narrow || narrow->size() > kMaxFontNameBytes) return err::kLength;
    *out = font_body_biff5(fields, *narrow);
    return 0;
}

}  // namespace

int32_t build_font_body(bool biff8, const FontRequest &request, std::vector<uint8_t> *out,
                        uint16_t code_page) {
    if (const auto *wide = std::get_if<std::u16string_view>(&request.name)) {
        if (std::optional<std::string> narrow = exact_cp932(*wide)) {
            FontRequest as_narrow = request;
            as_narrow.name = std::string_view(*narrow);
            return build_font_body(biff8, as_narrow, out, code_page);
        }
        if (wide->size() > kMaxFontNameBytes) return err::kLength;
        return font_body(biff8, font_fields(request), *wide, out, code_page);
    }
    const std::string_view given = std::get<std::string_view>(request.name);
    const std::string_view name = given.empty() ? kFallbackFontName : given;
    if (name.size() > kMaxFontNameBytes) return err::kLength;
    return font_body(biff8, font_fields(request), name, out, code_page);
}

int32_t register_font(Workbook &book, FontRequest request) {
    if (is_empty(request.name)) request.name = std::string_view(book.default_font_name);
    if (request.size == -1.0) request.size = book.default_font_size;
    std::vector<uint8_t> body;
    if (int32_t rc = build_font_body(book.biff8(), request, &body, book.code_page); rc != 0) {
        return rc;
    }

    const std::string key = comparison_key(book.biff8(), body);
    const std::vector<Record> &records = book.fonts.records();
    for (size_t p = 0; p < std::min(records.size(), kRewritablePositions); ++p) {
        if (comparison_key(book.biff8(), records[p].data) == key) {
            return font_number_of_position(p);
        }
    }
    AttributeRegistry &registry = book.attributes;
    catch_up_font_index(book.biff8(), book.fonts, registry);
    if (auto found = registry.font_positions.find(key); found != registry.font_positions.end()) {
        return font_number_of_position(found->second);
    }
    const size_t position = records.size();
    if (position >= kMaxFonts) return err::kMemory;
    book.fonts.append(rec::kFont, std::move(body));
    if (position >= kRewritablePositions) {
        registry.font_positions.emplace(key, position);
        registry.fonts_indexed = position + 1;
    }
    return font_number_of_position(position);
}

int32_t set_default_font(int32_t slot, const FontRequest &request) {
    if (slot < 0 || slot > 4) return err::kParam;
    std::vector<uint8_t> biff5;
    std::vector<uint8_t> biff8;
    if (int32_t rc = build_font_body(false, request, &biff5); rc != 0) return rc;
    if (int32_t rc = build_font_body(true, request, &biff8); rc != 0) return rc;
    const std::lock_guard lock(settings_mutex());
    DefaultFontTable &table = default_font_table();
    table.biff5[slot] = std::move(biff5);
    table.biff8[slot] = std::move(biff8);
    return 0;
}

}  // namespace tabrix::engine
