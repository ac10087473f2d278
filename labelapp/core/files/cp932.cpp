#include "core/files/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace labelora {
namespace {

// One conversion descriptor for the length of a call; iconv keeps shift state in it.
class Converter {
  public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts a whole input; returns false at the first sequence it cannot convert,
    // with `consumed` telling how far it got.
    bool convert(std::string_view in, std::string &out, size_t &consumed) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::vector<char> buffer(in.size() * 4 + 16);
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        char *dst = buffer.data();
        size_t dstLeft = buffer.size();
        size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer.data(), buffer.size() - dstLeft);
        consumed = in.size() - srcLeft;
        return rc != static_cast<size_t>(-1);
    }

  private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with this byte, 0 for a byte that cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Splits off the next character; a broken sequence is taken as one byte.
std::string_view nextChar(std::string_view text, size_t pos) {
    int len = sequenceLength(static_cast<unsigned char>(text[pos]));
    if (len == 0 || pos + len > text.size()) len = 1;
    return text.substr(pos, len);
}

int charCp932Length(Converter &conv, std::string_view ch) {
    if (ch.size() == 1) return 1;
    std::string out;
    size_t consumed = 0;
    if (!conv.convert(ch, out, consumed) || out.empty()) return 2;
    return static_cast<int>(out.size());
}

}  // namespace

int cp932Length(std::string_view utf8) {
    Converter conv("CP932", "UTF-8");
    int total = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        std::string_view ch = nextChar(utf8, pos);
        total += charCp932Length(conv, ch);
        pos += ch.size();
    }
    return total;
}

std::string cutToCp932Bytes(std::string_view utf8, int maxBytes) {
    Converter conv("CP932", "UTF-8");
    int total = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        std::string_view ch = nextChar(utf8, pos);
        int len = charCp932Length(conv, ch);
        if (total + len > maxBytes) break;
        total += len;
        pos += ch.size();
    }
    return std::string(utf8.substr(0, pos));
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    Converter conv("CP932", "UTF-8");
    std::string out;
    size_t consumed = 0;
    if (!conv.convert(utf8, out, consumed)) return std::nullopt;
    return out;
}

std::optional<std::u16string> utf8ToUtf16(std::string_view utf8) {
    Converter conv("UTF-16LE", "UTF-8");
    std::string bytes;
    size_t consumed = 0;
    if (!conv.convert(utf8, bytes, consumed)) return std::nullopt;
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    auto put = [&out](char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        put(c);
    }
    return out;
}

std::string cp932ToUtf8(std::string_view bytes) {
    Converter conv("UTF-8", "CP932");
    std::string out;
    while (!bytes.empty()) {
        size_t consumed = 0;
        if (conv.convert(bytes, out, consumed)) break;
        // Skip the offending byte and mark the place, so that the rest still reads.
        out += "\xEF\xBF\xBD";
        bytes.remove_prefix(consumed + 1);
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    for (size_t pos = 0; pos < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[pos]);
        int len = sequenceLength(lead);
        if (len == 0 || pos + len > bytes.size()) return false;
        for (int i = 1; i < len; ++i) {
            auto b = static_cast<unsigned char>(bytes[pos + i]);
            if ((b & 0xC0) != 0x80) return false;
        }
        auto second = len > 1 ? static_cast<unsigned char>(bytes[pos + 1]) : 0;
        // Overlong forms, surrogates and code points above U+10FFFF.
        if (lead == 0xE0 && second < 0xA0) return false;
        if (lead == 0xED && second >= 0xA0) return false;
        if (lead == 0xF0 && second < 0x90) return false;
        if (lead == 0xF4 && second >= 0x90) return false;
        pos += len;
    }
    return true;
}

int utf8Length(std::string_view utf8) {
    int count = 0;
    for (size_t pos = 0; pos < utf8.size(); pos += nextChar(utf8, pos).size()) ++count;
    return count;
}

std::string cutToChars(std::string_view utf8, int maxChars) {
    size_t pos = 0;
    for (int i = 0; i < maxChars && pos < utf8.size(); ++i) pos += nextChar(utf8, pos).size();
    return std::string(utf8.substr(0, pos));
}

}  // namespace labelora
