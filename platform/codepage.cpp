#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <map>
#include <memory>
#include <system_error>
#include <utility>

namespace tabrix::platform {
namespace {

// char16_t strings are handed to iconv as raw memory, so name the native byte order.
constexpr const char *kUtf16Encoding =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr const char *kCp932Encoding = "CP932";

// One iconv descriptor per direction and thread, opened on first use.
class IconvDescriptor {
  public:
    IconvDescriptor(const char *to, const char *from) : descriptor_(iconv_open(to, from)) {
        if (descriptor_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::system_error(errno, std::generic_category(),
                                    std::string("iconv_open ") + from + " to " + to);
        }
    }
    ~IconvDescriptor() { iconv_close(descriptor_); }
    IconvDescriptor(const IconvDescriptor &) = delete;
    IconvDescriptor &operator=(const IconvDescriptor &) = delete;

    iconv_t get() const { return descriptor_; }

  private:
    iconv_t descriptor_;
};

iconv_t narrow_to_wide_descriptor() {
    thread_local IconvDescriptor descriptor(kUtf16Encoding, kCp932Encoding);
    return descriptor.get();
}

iconv_t wide_to_narrow_descriptor() {
    thread_local IconvDescriptor descriptor(kCp932Encoding, kUtf16Encoding);
    return descriptor.get();
}

bool is_cp932_trail_byte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
bool is_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Converts `input` with `descriptor` and appends the result to `out`. Where iconv stops at
// a sequence it cannot convert, `stand_in(rest)` gives the character to write instead and
// how many input bytes it replaces (at least one), and the conversion carries on after them.
template <typename Char, typename StandIn>
void append_converted(iconv_t descriptor, std::string_view input, std::basic_string<Char> &out,
                      StandIn stand_in) {
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    std::size_t used = out.size();
    // Code page 932 needs at most two bytes per UTF-16 unit and one unit per byte; the
    // buffer still grows below should iconv ever need more.
    out.resize(used + input.size() + 1);
    // iconv's interface takes a non-const pointer but never writes through it.
    char *in = const_cast<char *>(input.data());
    std::size_t in_left = input.size();
    while (in_left > 0) {
        char *out_begin = reinterpret_cast<char *>(out.data() + used);
        char *out_next = out_begin;
        std::size_t out_left = (out.size() - used) * sizeof(Char);
        const std::size_t result = iconv(descriptor, &in, &in_left, &out_next, &out_left);
        used += static_cast<std::size_t>(out_next - out_begin) / sizeof(Char);
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        const auto [replacement, skipped] = stand_in(std::string_view(in, in_left));
        if (used == out.size()) out.resize(out.size() * 2);
        out[used++] = replacement;
        in += skipped;
        in_left -= skipped;
    }
    out.resize(used);
}

// A byte that starts no character, or a lone lead byte, is one bad character; a lead byte
// with a proper trail byte is a pair that maps to nothing and is replaced as a whole.
std::pair<char16_t, std::size_t> stand_in_for_bad_narrow(std::string_view rest) {
    const bool whole_pair = rest.size() >= 2 &&
                            is_cp932_lead_byte(static_cast<unsigned char>(rest[0])) &&
                            is_cp932_trail_byte(static_cast<unsigned char>(rest[1]));
    return {kInvalidCp932Char, whole_pair ? 2 : 1};
}

std::pair<char, std::size_t> stand_in_for_unmappable_unit(std::string_view) {
    return {kUnmappableNarrowChar, sizeof(char16_t)};
}

void append_cp932(std::u16string_view run, std::string &narrow) {
    const std::string_view bytes(reinterpret_cast<const char *>(run.data()),
                                 run.size() * sizeof(char16_t));
    append_converted(wide_to_narrow_descriptor(), bytes, narrow, stand_in_for_unmappable_unit);
}

}  // namespace

namespace {

// The iconv name of a Windows code page number, or null for code page 932 and numbers we do
// not know (read as code page 932, the narrow code page of the interface).
const char *iconv_name_of(uint16_t code_page) {
    switch (code_page) {
        case 367:
        case 20127:
            return "ASCII";
        case 874:
            return "CP874";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "CP950";
        case 1200:  // no narrow text is UTF-16: writers that say so store Latin-1
        case 1252:
            return "CP1252";
        case 1250:
            return "CP1250";
        case 1251:
            return "CP1251";
        case 1253:
            return "CP1253";
        case 1254:
            return "CP1254";
        case 1255:
            return "CP1255";
        case 1256:
            return "CP1256";
        case 1257:
            return "CP1257";
        case 1258:
            return "CP1258";
        case 10000:
            return "MACINTOSH";
        case 65001:
            return "UTF-8";
        default:
            return nullptr;
    }
}

std::pair<char16_t, std::size_t> stand_in_for_bad_byte(std::string_view) {
    return {u'\uFFFD', 1};
}

// One descriptor per code page, direction and thread, opened on first use.
iconv_t code_page_descriptor(uint16_t code_page, const char *name, bool to_wide) {
    thread_local std::map<std::pair<uint16_t, bool>, std::unique_ptr<IconvDescriptor>> descriptors;
    auto &descriptor = descriptors[{code_page, to_wide}];
    if (!descriptor) {
        descriptor = to_wide ? std::make_unique<IconvDescriptor>(kUtf16Encoding, name)
                             : std::make_unique<IconvDescriptor>(name, kUtf16Encoding);
    }
    return descriptor->get();
}

// Converts the whole of `wide` or nothing: iconv stops at the first unit the code page lacks.
std::optional<std::string> converted_strictly(iconv_t descriptor, std::u16string_view wide) {
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    // Every code page here takes at most four bytes per UTF-16 unit (UTF-8: three, or four
    // per pair).
    std::string narrow(wide.size() * 4, '\0');
    char *in = const_cast<char *>(reinterpret_cast<const char *>(wide.data()));
    std::size_t in_left = wide.size() * sizeof(char16_t);
    char *out = narrow.data();
    std::size_t out_left = narrow.size();
    if (iconv(descriptor, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1) ||
        iconv(descriptor, nullptr, nullptr, &out, &out_left) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    narrow.resize(narrow.size() - out_left);
    return narrow;
}

bool has_unpaired_surrogate(std::u16string_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (!is_surrogate(wide[i])) continue;
        if (!is_high_surrogate(wide[i]) || i + 1 == wide.size() || !is_low_surrogate(wide[i + 1])) {
            return true;
        }
        ++i;
    }
    return false;
}

}  // namespace

bool is_known_code_page(uint16_t code_page) {
    return code_page == 932 || iconv_name_of(code_page) != nullptr;
}

std::u16string code_page_to_utf16(std::string_view narrow, uint16_t code_page) {
    const char *name = iconv_name_of(code_page);
    if (!name) return cp932_to_utf16(narrow);
    std::u16string wide;
    append_converted(code_page_descriptor(code_page, name, true), narrow, wide,
                     stand_in_for_bad_byte);
    return wide;
}

std::optional<std::string> utf16_to_code_page(std::u16string_view wide, uint16_t code_page) {
    // Plain ASCII reads the same in every code page known here.
    if (std::all_of(wide.begin(), wide.end(), [](char16_t unit) { return unit < 0x80; })) {
        return std::string(wide.begin(), wide.end());
    }
    if (has_unpaired_surrogate(wide)) return std::nullopt;
    const char *name = iconv_name_of(code_page);
    return converted_strictly(
        name ? code_page_descriptor(code_page, name, false) : wide_to_narrow_descriptor(), wide);
}

std::u16string cp932_to_utf16(std::string_view narrow) {
    std::u16string wide;
    append_converted(narrow_to_wide_descriptor(), narrow, wide, stand_in_for_bad_narrow);
    return wide;
}

std::string utf16_to_cp932(std::u16string_view wide) {
    // Code page 932 holds no character outside the BMP, so surrogates are settled here and
    // only runs of plain units go to iconv.
    std::string narrow;
    std::size_t pos = 0;
    while (pos < wide.size()) {
        std::size_t run_end = pos;
        while (run_end < wide.size() && !is_surrogate(wide[run_end])) ++run_end;
        append_cp932(wide.substr(pos, run_end - pos), narrow);
        if (run_end == wide.size()) break;
        narrow += kUnmappableNarrowChar;
        const bool pair = is_high_surrogate(wide[run_end]) && run_end + 1 < wide.size() &&
                          is_low_surrogate(wide[run_end + 1]);
        pos = run_end + (pair ? 2 : 1);
    }
    return narrow;
}

bool is_cp932_lead_byte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string cp932_repaired(std::string_view narrow) {
    constexpr std::string_view kStandIn("\x81\x45");  // U+30FB
    std::string repaired;
    repaired.reserve(narrow.size());
    for (std::size_t i = 0; i < narrow.size();) {
        const auto byte = static_cast<unsigned char>(narrow[i]);
        if (!is_cp932_lead_byte(byte)) {
            const bool valid = byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF);
            repaired.append(valid ? narrow.substr(i, 1) : kStandIn);
            ++i;
            continue;
        }
        const std::string_view pair = narrow.substr(i, 2);
        const std::u16string wide = pair.size() == 2 ? cp932_to_utf16(pair) : std::u16string();
        if (wide.size() == 1) {
            // A whole pair: kept when it maps, one stand-in when it maps to nothing.
            repaired.append(wide[0] != kInvalidCp932Char || pair == kStandIn ? pair : kStandIn);
            i += 2;
        } else {
            // A lead byte without a trail byte: the next byte is looked at on its own.
            repaired.append(kStandIn);
            ++i;
        }
    }
    return repaired;
}

std::string cp932_to_upper(std::string_view narrow) {
    std::string upper(narrow);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto byte = static_cast<unsigned char>(upper[i]);
        if (is_cp932_lead_byte(byte)) {
            ++i;  // the trail byte may look like a letter but is not one
        } else if (byte >= 'a' && byte <= 'z') {
            upper[i] = static_cast<char>(byte - 'a' + 'A');
        }
    }
    return upper;
}

int cp932_compare_ignore_case(std::string_view a, std::string_view b) {
    // std::string compares its bytes as unsigned char, shorter prefix first.
    const int order = cp932_to_upper(a).compare(cp932_to_upper(b));
    return (order > 0) - (order < 0);
}

}  // namespace tabrix::platform
