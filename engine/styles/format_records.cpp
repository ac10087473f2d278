#include "engine/styles/format_records.h"

#include <algorithm>
#include <array>
#include <optional>

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
    std::string_view english;
};

// Tried in this order at every '[' outside quotes; each word at most once per bracket.
constexpr std::array<ColourWord, 9> kColourWords = {{
    {"\x90\xd4", "Red"},      // 赤
    {"\x90\x46", "Color"},    // 色
    {"\x90\xc2", "Blue"},     // 青
    {"\x97\xce", "Green"},    // 緑
    {"\x89\xa9", "Yellow"},   // 黄
    {"\x94\x92", "White"},    // 白
    {"\x8d\x95", "Black"},    // 黒
    {"\x90\x85", "Cyan"},     // 水
    {"\x8e\x87", "Magenta"},  // 紫
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

}  // namespace

bool normalise_number_format(std::string_view format, size_t limit, std::string *out) {
    out->clear();
    bool quoted = false;
    for (size_t i = 0; i < format.size();) {
        const auto byte = static_cast<unsigned char>(format[i]);
        // A double-byte character is copied whole: its second byte may look like '['.
        if (platform::is_cp932_lead_byte(byte) && i + 1 < format.size()) {
            out->append(format.substr(i, 2));
            i += 2;
            continue;
        }
        out->push_back(format[i++]);
        if (byte == '"') quoted = !quoted;
        if (byte != '[' || quoted) continue;
        for (const ColourWord &word : kColourWords) {
            if (format.substr(i).starts_with(word.japanese)) {
                out->append(word.english);
                i += word.japanese.size();
            }
        }
    }
    return out->size() <= limit;
}

int32_t register_number_format(Workbook &book, std::string_view format) {
    const size_t limit = book.biff8() ? 256 : 255;
    if (format.empty() || format.size() > limit) return err::kLength;
    std::string normalised;
    if (!normalise_number_format(format, limit, &normalised)) return err::kLength;
    // Excel 95 keeps the format as bytes in the workbook's code page.
    if (!book.biff8()) {
        std::optional<std::string> narrow = encode_narrow(normalised, book.code_page);
        if (!narrow || narrow->size() > limit) return err::kLength;
        normalised = std::move(*narrow);
    }

    AttributeRegistry &registry = book.attributes;
    const std::vector<uint8_t> body =
        format_body(book.biff8(), registry.next_format_no, normalised);
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

}  // namespace tabrix::engine
