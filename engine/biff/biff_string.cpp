#include "engine/biff/biff_string.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_cursor.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

constexpr uint8_t kWideFlag = 0x01;
constexpr uint8_t kPhoneticFlag = 0x04;
constexpr uint8_t kRichFlag = 0x08;

// `count` characters after an option byte at `pos` (8-bit or 16-bit by its bit 0).
std::optional<std::u16string> read_chars(std::span<const uint8_t> in, size_t &pos, size_t count) {
    if (pos >= in.size()) return std::nullopt;
    const bool wide = (in[pos] & kWideFlag) != 0;
    const size_t start = pos + 1;
    const size_t unit = wide ? 2 : 1;
    if ((in.size() - start) / unit < count) return std::nullopt;
    std::u16string text(count, u'\0');
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *at = in.data() + start + i * unit;
        text[i] = wide ? static_cast<char16_t>(load_u16(at)) : static_cast<char16_t>(at[0]);
    }
    pos = start + count * unit;
    return text;
}

}  // namespace

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

Biff8Chars biff8_chars(std::u16string_view wide) {
    Biff8Chars chars;
    chars.wide = std::any_of(wide.begin(), wide.end(), [](char16_t c) { return c >= 0x100; });
    chars.count = static_cast<uint32_t>(wide.size());
    chars.bytes.reserve(wide.size() * chars.unit_bytes());
    for (char16_t unit : wide) {
        if (chars.wide) {
            put_u16(chars.bytes, unit);
        } else {
            put_u8(chars.bytes, static_cast<uint8_t>(unit));
        }
    }
    return chars;
}

Biff8Chars biff8_chars(std::string_view narrow) {
    if (!is_ascii(narrow)) return biff8_chars(platform::cp932_to_utf16(narrow));
    Biff8Chars chars;
    chars.count = static_cast<uint32_t>(narrow.size());
    chars.bytes.assign(narrow.begin(), narrow.end());
    return chars;
}

void put_biff8_short_string(std::vector<uint8_t> &out, const Biff8Chars &chars) {
    put_u8(out, static_cast<uint8_t>(chars.count));
    put_u8(out, chars.option_flags());
    out.insert(out.end(), chars.bytes.begin(), chars.bytes.end());
}

void put_biff8_string(std::vector<uint8_t> &out, const Biff8Chars &chars) {
    put_u16(out, static_cast<uint16_t>(chars.count));
    put_u8(out, chars.option_flags());
    out.insert(out.end(), chars.bytes.begin(), chars.bytes.end());
}

std::optional<std::u16string> read_biff8_short_string(std::span<const uint8_t> in, size_t &pos) {
    if (pos >= in.size()) return std::nullopt;
    size_t at = pos + 1;
    auto text = read_chars(in, at, in[pos]);
    if (text) pos = at;
    return text;
}

std::optional<std::u16string> read_biff8_string(std::span<const uint8_t> in, size_t &pos) {
    if (pos > in.size() || in.size() - pos < 2) return std::nullopt;
    size_t at = pos + 2;
    auto text = read_chars(in, at, load_u16(in.data() + pos));
    if (text) pos = at;
    return text;
}

std::optional<SstContents> read_sst(const ContinuedRecord &sst) {
    SstContents contents;
    if (!read_sst_strings(sst, contents)) return std::nullopt;
    return contents;
}

bool read_continued_characters(const ContinuedRecord &record, size_t &pos, size_t count,
                               uint8_t flags, std::u16string &text, bool *wide_seen) {
    const std::span<const uint8_t> in(record.data);
    const auto boundaries_end = record.continue_starts.end();
    auto boundary = std::lower_bound(record.continue_starts.begin(), boundaries_end, pos);
    text.reserve(std::min(count, in.size() - std::min(pos, in.size())));
    while (text.size() < count) {
        while (boundary != boundaries_end && *boundary < pos) ++boundary;
        if (boundary != boundaries_end && *boundary == pos) {
            if (pos >= in.size()) return false;
            flags = in[pos++];
            // Empty CONTINUE records before this one start where it does.
            while (boundary != boundaries_end && *boundary < pos) ++boundary;
        }
        const bool wide = (flags & kWideFlag) != 0;
        const size_t unit = wide ? 2 : 1;
        const size_t end = boundary != boundaries_end ? std::min(*boundary, in.size()) : in.size();
        const size_t piece = std::min(count - text.size(), (end - std::min(pos, end)) / unit);
        if (piece == 0) return false;
        if (wide && wide_seen) *wide_seen = true;
        for (size_t k = 0; k < piece; ++k, pos += unit) {
            text.push_back(wide ? static_cast<char16_t>(load_u16(in.data() + pos))
                                : static_cast<char16_t>(in[pos]));
        }
    }
    return true;
}

bool read_sst_strings(const ContinuedRecord &sst, SstContents &contents) {
    const std::span<const uint8_t> in(sst.data);
    if (in.size() < 8) return false;
    contents.total = load_u32(in.data());
    const uint32_t unique = load_u32(in.data() + 4);
    size_t pos = 8;
    // Every string takes at least 3 bytes: do not trust the count for the reservation.
    contents.strings.reserve(std::min<size_t>(unique, in.size() / 3));
    for (uint32_t i = 0; i < unique; ++i) {
        if (in.size() - pos < 3) return false;
        const size_t count = load_u16(in.data() + pos);
        const uint8_t flags = in[pos + 2];
        pos += 3;
        // Formatting runs and phonetic data follow the characters.
        size_t run_bytes = 0;
        size_t phonetic_bytes = 0;
        if (flags & kRichFlag) {
            if (in.size() - pos < 2) return false;
            run_bytes = size_t{4} * load_u16(in.data() + pos);
            pos += 2;
        }
        if (flags & kPhoneticFlag) {
            if (in.size() - pos < 4) return false;
            phonetic_bytes = load_u32(in.data() + pos);
            pos += 4;
        }
        std::u16string text;
        if (!read_continued_characters(sst, pos, count, flags, text)) return false;
        if (in.size() - pos < run_bytes || in.size() - pos - run_bytes < phonetic_bytes) {
            return false;
        }
        if (run_bytes + phonetic_bytes > 0) {
            SstFormatting &formatting = contents.formatting;
            formatting.entries.push_back(SstFormatting::Entry{
                i, static_cast<uint32_t>(formatting.bytes.size()), static_cast<uint32_t>(run_bytes),
                static_cast<uint32_t>(phonetic_bytes)});
            const auto *from = in.data() + pos;
            formatting.bytes.insert(formatting.bytes.end(), from,
                                    from + run_bytes + phonetic_bytes);
            pos += run_bytes + phonetic_bytes;
        }
        contents.strings.push_back(std::move(text));
    }
    return true;
}

}  // namespace tabrix::engine
