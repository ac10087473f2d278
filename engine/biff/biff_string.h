// Texts in Excel 97 records: 8-bit characters when that loses nothing, otherwise UTF-16. The
// 8-bit ("compressed") form holds the low byte of each UTF-16 unit, so it is Latin-1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::engine {

struct ContinuedRecord;

struct Biff8Chars {
    bool wide = false;  // 16-bit characters (option flag bit 0)
    uint32_t count = 0;
    std::vector<uint8_t> bytes;

    uint8_t option_flags() const { return wide ? 1 : 0; }
    size_t unit_bytes() const { return wide ? 2 : 1; }
};

// UTF-16 text: 8-bit (the low bytes) when every unit is below 0x100, otherwise as given.
// Whether every byte of a narrow text is ASCII, so that it reads the same in every code page.
bool is_ascii(std::string_view text);

Biff8Chars biff8_chars(std::u16string_view wide);
// Narrow (code page 932) text: its UTF-16 conversion, stored by the rule above (ASCII as is).
Biff8Chars biff8_chars(std::string_view narrow);

// Appends count (8-bit), option flags and characters: FONT and BOUNDSHEET names, formula
// string tokens.
void put_biff8_short_string(std::vector<uint8_t> &out, const Biff8Chars &chars);
// Appends count (16-bit), option flags and characters: FORMAT, WRITEACCESS, STRING, formula
// array constants.
void put_biff8_string(std::vector<uint8_t> &out, const Biff8Chars &chars);

// Readers of the two forms above. `pos` is where the string starts and, on success, is moved
// past it. Nothing (and `pos` unchanged) when the string runs past the end of `in`.
std::optional<std::u16string> read_biff8_short_string(std::span<const uint8_t> in, size_t &pos);
std::optional<std::u16string> read_biff8_string(std::span<const uint8_t> in, size_t &pos);

// The characters of an Excel 97 text in a record joined with its CONTINUE records, from
// `pos` on, `count` of them, in the width `flags` gives; each CONTINUE record they go on in
// starts with the option byte of its own characters. `pos` ends after them, `*wide_seen`
// (if given) is set when any piece was 16-bit. False when they run past the data.
bool read_continued_characters(const ContinuedRecord &record, size_t &pos, size_t count,
                               uint8_t flags, std::u16string &text, bool *wide_seen = nullptr);

// The formatting runs and phonetic blocks (ExtRst) of the strings of an SST that have any,
// kept apart from the texts so that a table of plain strings costs nothing more.
struct SstFormatting {
    struct Entry {
        uint32_t string = 0;     // the string's number in the table
        uint32_t offset = 0;     // in `bytes`: the runs, then the phonetic block
        uint32_t run_bytes = 0;  // 4 per run: first character and font index, 16-bit each
        uint32_t phonetic_bytes = 0;
    };
    std::vector<Entry> entries;  // in string order
    std::vector<uint8_t> bytes;

    std::span<const uint8_t> runs(const Entry &entry) const {
        return std::span(bytes).subspan(entry.offset, entry.run_bytes);
    }
    std::span<const uint8_t> phonetic(const Entry &entry) const {
        return std::span(bytes).subspan(entry.offset + entry.run_bytes, entry.phonetic_bytes);
    }
};

// An SST record joined with its CONTINUE records: the total and unique counts, then each
// string with its formatting runs and phonetic data. A string's characters may go on in the
// next CONTINUE record, which starts with the option byte again; its runs and phonetic data
// go on without one. Nothing when the data ends early or holds fewer strings than the unique
// count says.
struct SstContents {
    uint32_t total = 0;
    std::vector<std::u16string> strings;
    SstFormatting formatting;
};
std::optional<SstContents> read_sst(const ContinuedRecord &sst);
// The same, keeping in `contents` the strings read before the data ended or went wrong: false
// when it did.
bool read_sst_strings(const ContinuedRecord &sst, SstContents &contents);

}  // namespace tabrix::engine
