#include "text.h"

#include <iconv.h>

#include <cerrno>

namespace tabrix::cli {

void append_utf8(std::string &out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// The code point at text[i], advancing i; false for a malformed or overlong sequence or a
// surrogate.
bool next_code_point(std::string_view text, size_t &i, uint32_t &cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t extra = 0;
    if (lead < 0x80) {
        cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        cp = lead & 0x1F;
        extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        cp = lead & 0x0F;
        extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        cp = lead & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (text.size() - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

std::string convert(std::string_view text, const char *to, const char *from) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    char *in = const_cast<char *>(text.data());
    size_t in_left = text.size();
    char buffer[4096];
    while (in_left > 0) {
        char *dst = buffer;
        size_t dst_left = sizeof buffer;
        const size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out += '?';  // a byte the code page has no character for: step over it
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

bool valid_utf8(std::string_view text) {
    uint32_t cp = 0;
    for (size_t i = 0; i < text.size();) {
        if (!next_code_point(text, i, cp)) return false;
    }
    return true;
}

void append_utf16_as_utf8(std::string &out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = 0xFFFD;
        }
        append_utf8(out, unit);
    }
}

bool utf8_to_utf16(std::string_view text, std::u16string &out) {
    out.clear();
    uint32_t cp = 0;
    for (size_t i = 0; i < text.size();) {
        if (!next_code_point(text, i, cp)) return false;
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return true;
}

std::string cp932_to_utf8(std::string_view text) {
    return convert(text, "UTF-8", "CP932");
}

std::string utf8_to_cp932(std::string_view text) {
    return convert(text, "CP932", "UTF-8");
}

bool japanese_locale(const char *lc_all, const char *lc_messages, const char *lang) {
    for (const char *value : {lc_all, lc_messages, lang}) {
        if (value && *value) return std::string_view(value).starts_with("ja");
    }
    return false;
}

}  // namespace tabrix::cli
