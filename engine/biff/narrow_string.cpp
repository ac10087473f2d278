#include "engine/biff/narrow_string.h"

#include "engine/biff/biff_string.h"
#include "platform/codepage.h"

namespace tabrix::engine {
namespace {

// Bytes of the character that starts with `byte`.
size_t character_bytes(unsigned char byte, uint16_t code_page) {
    switch (code_page) {
        case 932:
            return platform::is_cp932_lead_byte(byte) ? 2 : 1;
        case 936:
        case 949:
        case 950:
            return byte >= 0x81 && byte <= 0xFE ? 2 : 1;
        case 65001:
            return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        default:
            return 1;
    }
}

}  // namespace

bool is_empty(const CallerText &text) {
    return std::visit([](auto view) { return view.empty(); }, text);
}

std::optional<std::string> exact_cp932(std::u16string_view text) {
    std::optional<std::string> narrow = platform::utf16_to_code_page(text, kInterfaceCodePage);
    if (narrow && platform::cp932_to_utf16(*narrow) != text) return std::nullopt;
    return narrow;
}

uint16_t narrow_code_page(uint16_t record_value) {
    return platform::is_known_code_page(record_value) ? record_value : kInterfaceCodePage;
}

std::optional<std::string> encode_narrow(std::u16string_view text, uint16_t code_page) {
    return platform::utf16_to_code_page(text, code_page);
}

std::optional<std::string> encode_narrow(std::string_view cp932_text, uint16_t code_page) {
    // A byte that is not code page 932 would make readers refuse the whole workbook.
    if (code_page == kInterfaceCodePage) return platform::cp932_repaired(cp932_text);
    if (is_ascii(cp932_text)) return std::string(cp932_text);
    return platform::utf16_to_code_page(platform::cp932_to_utf16(cp932_text), code_page);
}

std::string_view narrow_prefix(std::string_view narrow, uint16_t code_page, size_t limit) {
    if (narrow.size() <= limit) return narrow;
    size_t end = 0;
    while (end < limit) {
        const size_t step = character_bytes(static_cast<unsigned char>(narrow[end]), code_page);
        if (end + step > limit) break;
        end += step;
    }
    return narrow.substr(0, end);
}

std::u16string decode_narrow(std::span<const uint8_t> bytes, uint16_t code_page) {
    return platform::code_page_to_utf16(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()), code_page);
}

}  // namespace tabrix::engine
