#include "platform/interface_text.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>

#include "platform/codepage.h"

namespace tabrix::platform {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

int32_t code_page_at_load() noexcept {
    const char *value = std::getenv("TABRIX_CODEPAGE");
    if (!value) return kShiftJisCodePage;
    return code_page_named(value).value_or(kShiftJisCodePage);
}

std::atomic<int32_t> process_code_page{code_page_at_load()};
// 0 outside a NarrowCodePageScope.
thread_local int32_t scoped_code_page = 0;

void append_utf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void append_utf16(std::u16string &out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
}

// The length of the well-formed UTF-8 sequence at the start of `text`, and its code point;
// 0 when none starts there (overlong forms, surrogates and values past U+10FFFF included).
size_t utf8_sequence(std::string_view text, char32_t *code_point) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte & 0x3F);
    }
    const char32_t lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < lowest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *code_point = c;
    return length;
}

}  // namespace

int32_t interface_code_page() noexcept {
    return scoped_code_page ? scoped_code_page : process_code_page.load(std::memory_order_relaxed);
}

int32_t set_interface_code_page(int32_t code_page) noexcept {
    if (code_page != kShiftJisCodePage && code_page != kUtf8CodePage) return -1;
    return process_code_page.exchange(code_page);
}

std::optional<int32_t> code_page_named(std::string_view value) {
    std::string name;
    for (char c : value) {
        if (c != '-')
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (name == "932") return kShiftJisCodePage;
    if (name == "65001" || name == "utf8") return kUtf8CodePage;
    return std::nullopt;
}

NarrowCodePageScope::NarrowCodePageScope(int32_t code_page) noexcept : outer_(scoped_code_page) {
    scoped_code_page = code_page;
}

NarrowCodePageScope::~NarrowCodePageScope() {
    scoped_code_page = outer_;
}

std::u16string utf8_to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t c = kReplacement;
        const size_t length = utf8_sequence(utf8, &c);
        append_utf16(out, length ? c : kReplacement);
        utf8.remove_prefix(std::max<size_t>(length, 1));
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        append_utf8(out, c);
    }
    return out;
}

std::u16string narrow_to_utf16(std::string_view narrow) {
    return narrow_is_utf8() ? utf8_to_utf16(narrow) : cp932_to_utf16(narrow);
}

std::string utf16_to_narrow(std::u16string_view wide) {
    return narrow_is_utf8() ? utf16_to_utf8(wide) : utf16_to_cp932(wide);
}

std::string cp932_to_narrow(std::string_view cp932) {
    return narrow_is_utf8() ? utf16_to_utf8(cp932_to_utf16(cp932)) : std::string(cp932);
}

std::string narrow_to_cp932(std::string_view narrow) {
    return narrow_is_utf8() ? utf16_to_cp932(utf8_to_utf16(narrow)) : std::string(narrow);
}

bool is_narrow_lead_byte(unsigned char byte) noexcept {
    return !narrow_is_utf8() && is_cp932_lead_byte(byte);
}

size_t narrow_fit(std::string_view text, size_t room) noexcept {
    const bool utf8 = narrow_is_utf8();
    size_t fits = 0;
    while (fits < text.size()) {
        const auto byte = static_cast<unsigned char>(text[fits]);
        size_t width = 1;
        if (utf8) {
            // Continuation bytes after a lead byte belong to its character.
            while (fits + width < text.size() && width < 4 && byte >= 0xC0 &&
                   (static_cast<unsigned char>(text[fits + width]) & 0xC0) == 0x80) {
                ++width;
            }
        } else if (is_cp932_lead_byte(byte) && fits + 1 < text.size()) {
            width = 2;
        }
        if (fits + width > room) break;
        fits += width;
    }
    return fits;
}

}  // namespace tabrix::platform
