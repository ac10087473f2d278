#include "engine/styles/format_records.h"

#include <algorithm>
#include <array>
#include <optional>
#include <type_traits>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/model/workbook.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/default_records.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

struct ColourWord {
    std::string_view japanese;  // code page 932, two bytes
    std::u16string_view wide;
    std::string_view english;
};

// Tried in this order at every '[' outside quotes; each word at most once per bracket.
constexpr std::array<ColourWord, 9> kColourWords = {{
    {"\x90\xd4", u"赤", "Red"},
    {"\x90\x46", u"色", "Color"},
    {"\x90\xc2", u"青", "Blue"},
    {"\x97\xce", u"緑", "Green"},
    {"\x89\xa9", u"黄", "Yellow"},
    {"\x94\x92", u"白", "White"},
    {"\x8d\x95", u"黒", "Black"},
    {"\x90\x85", u"水", "Cyan"},
    {"\x8e\x87", u"紫", "Magenta"},
}};

// Format numbers are 16-bit signed in attribute records.
constexpr uint16_t kLastFormatNumber = 32767;

// Records appended by others (a template's formats) join the index on the next lookup.
void catch_up_format_index(const RecordList &formats, AttributeRegistry &registry) {
    const std::vector<Record> &records = formats.records();
    for (size_t p = registry.formats_indexed; p < records.size(); ++p) {
        const std::vector<uint8_t> &body = records[p].data;
        if (body.size() < 2) continue;
        registry.format_numbers.emplace(std::string(body.begin() + 2, body.end()),
                                        load_u16(body.data()));
    }
    registry.formats_indexed = records.size();
}

std::string_view japanese_of(const ColourWord &word, char) {
    return word.japanese;
}
std::u16string_view japanese_of(const ColourWord &word, char16_t) {
    return word.wide;
}

// normalise_number_format for either form; a UTF-16 format has no double-byte characters.
template <class Char>
bool normalised(std::basic_string_view<Char> format, size_t limit, std::basic_string<Char> *out) {
    out->clear();
    bool quoted = false;
    for (size_t i = 0; i < format.size();) {
        const Char unit = format[i];
        // A double-byte character is copied whole: its second byte may look like '['.
        if constexpr (std::is_same_v<Char, char>) {
            if (platform::is_cp932_lead_byte(static_cast<unsigned char>(unit)) &&
                i + 1 < format.size()) {
                out->append(format.substr(i, 2));
                i += 2;
                continue;
            }
        }
        out->push_back(format[i++]);
        if (unit == Char('"')) quoted = !quoted;
        if (unit != Char('[') || quoted) continue;
        for (const ColourWord &word : kColourWords) {
            const std::basic_string_view<Char> japanese = japanese_of(word, Char());
            if (format.substr(i).starts_with(japanese)) {
                out->append(word.english.begin(), word.english.end());
                i += japanese.size();
            }
        }
    }
    return out->size() <= limit;
}

// The number of a FORMAT body: an equal record's, or the body appended with the next number.
int32_t register_format_body(Workbook &book, const std::vector<uint8_t> &body) {
    AttributeRegistry &registry = book.attributes;
    std::string key(body.begin() + 2, body.end());
    catch_up_format_index(book.formats, registry);
    if (auto found = registry.format_numbers.find(key); found != registry.format_numbers.end()) {
        return found->second;
    }
    if (registry.next_format_no > kLastFormatNumber) return err::kMemory;
    const uint16_t number = registry.next_format_no;
    book.formats.append(rec::kFormat, body);
    registry.format_numbers.emplace(std::move(key), number);
    registry.formats_indexed = book.formats.records().size();
    ++registry.next_format_no;
    return number;
}

}  // namespace

bool normalise_number_format(std::string_view format, size_t limit, std::string *out) {
    return normalised(format, limit, out);
}

int32_t register_number_format(Workbook &book, CallerText text) {
    const size_t limit = book.biff8() ? 256 : 255;
    const uint16_t number = book.attributes.next_format_no;
    if (const auto *wide = std::get_if<std::u16string_view>(&text)) {
        if (std::optional<std::string> narrow = exact_cp932(*wide)) {
            return register_number_format(book, std::string_view(*narrow));
        }
        std::u16string format;
        if (wide->size() > limit || !normalised(*wide, limit, &format)) return err::kLength;
        if (book.biff8()) return register_format_body(book, format_body(number, format));
        const std::optional<std::string> narrow = encode_narrow(format, book.code_page);
        if (!narrow || narrow->size() > limit) return err::kLength;
        return register_format_body(book, format_body(false, number, *narrow));
    }
    const std::string_view format = std::get<std::string_view>(text);
    if (format.empty() || format.size() > limit) return err::kLength;
    std::string kept;
    if (!normalised(format, limit, &kept)) return err::kLength;
    // Excel 95 keeps the format as bytes in the workbook's code page.
    if (!book.biff8()) {
        std::optional<std::string> narrow = encode_narrow(kept, book.code_page);
        if (!narrow || narrow->size() > limit) return err::kLength;
        kept = std::move(*narrow);
    }
    return register_format_body(book, format_body(book.biff8(), number, kept));
}

}  // namespace tabrix::engine
