#include "engine/cells/shared_strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tabrix::engine {
namespace {

using Bytes = std::vector<uint8_t>;

uint16_t get16(const Bytes &b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t get32(const Bytes &b, size_t at) {
    return get16(b, at) | static_cast<uint32_t>(get16(b, at + 2)) << 16;
}

// The table read back the way a strict reader does: a string header and its first
// character must share a record, split characters resume after a repeated option byte,
// formatting runs go on whole in the next record and phonetic data byte by byte, neither
// after an option byte.
struct ParsedSst {
    uint32_t total = 0;
    uint32_t unique = 0;
    std::vector<std::u16string> strings;
    std::vector<bool> sixteen_bit;
    std::vector<Bytes> runs;      // per string, 4 bytes a run
    std::vector<Bytes> phonetic;  // per string
    // Per string: offset of its record from the first record's header, and its header's
    // offset inside that record counted from the record header.
    std::vector<std::pair<uint32_t, uint16_t>> positions;
    std::vector<uint8_t> continue_option_bytes;  // first byte of each CONTINUE that resumes
};

ParsedSst parse(const std::vector<Record> &records) {
    ParsedSst out;
    EXPECT_FALSE(records.empty());
    if (records.empty()) return out;
    std::vector<uint32_t> record_offsets;
    uint32_t offset = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].number, i == 0 ? 0x00FC : 0x003C) << i;
        EXPECT_LE(records[i].data.size(), 8224u) << i;
        record_offsets.push_back(offset);
        offset += static_cast<uint32_t>(records[i].disk_size());
    }
    const Bytes *data = &records[0].data;
    out.total = get32(*data, 0);
    out.unique = get32(*data, 4);
    size_t record = 0;
    size_t pos = 8;
    for (uint32_t n = 0; n < out.unique; ++n) {
        if (pos == data->size()) {
            ++record;
            if (record >= records.size()) {
                ADD_FAILURE() << "records end before string " << n;
                return out;
            }
            data = &records[record].data;
            pos = 0;
        }
        if (pos + 3 > data->size()) {
            ADD_FAILURE() << "string header split at string " << n;
            return out;
        }
        out.positions.emplace_back(record_offsets[record], static_cast<uint16_t>(pos + 4));
        const size_t count = get16(*data, pos);
        uint8_t options = (*data)[pos + 2];
        EXPECT_EQ(options & ~0x0D, 0);
        out.sixteen_bit.push_back(options & 1);
        pos += 3;
        const size_t run_count = (options & 0x08) ? get16(*data, pos) : 0;
        pos += (options & 0x08) ? 2 : 0;
        const size_t phonetic_size = (options & 0x04) ? get32(*data, pos) : 0;
        pos += (options & 0x04) ? 4 : 0;
        if (pos > data->size()) {
            ADD_FAILURE() << "string header split at string " << n;
            return out;
        }
        if (count > 0) {
            EXPECT_LT(pos, data->size()) << "header without its first character, string " << n;
        }
        std::u16string text;
        while (text.size() < count) {
            const size_t width = (options & 1) ? 2 : 1;
            while (text.size() < count && pos + width <= data->size()) {
                text.push_back(width == 2 ? get16(*data, pos) : (*data)[pos]);
                pos += width;
            }
            if (text.size() == count) break;
            EXPECT_EQ(pos, data->size()) << "characters stop short of the record end";
            ++record;
            if (record >= records.size()) {
                ADD_FAILURE() << "records end inside string " << n;
                return out;
            }
            data = &records[record].data;
            options = (*data)[0];
            out.continue_option_bytes.push_back(options);
            pos = 1;
        }
        out.strings.push_back(text);
        // Steps into the next record when this one is used up.
        const auto next_record = [&] {
            if (pos < data->size()) return true;
            if (++record >= records.size()) return false;
            data = &records[record].data;
            pos = 0;
            return true;
        };
        Bytes runs;
        for (size_t r = 0; r < run_count; ++r) {
            if (!next_record() || pos + 4 > data->size()) {
                ADD_FAILURE() << "run " << r << " of string " << n << " cut";
                return out;
            }
            runs.insert(runs.end(), data->begin() + pos, data->begin() + pos + 4);
            pos += 4;
        }
        out.runs.push_back(runs);
        Bytes phonetic;
        while (phonetic.size() < phonetic_size) {
            if (!next_record()) {
                ADD_FAILURE() << "records end in the phonetic data of string " << n;
                return out;
            }
            const size_t piece = std::min(phonetic_size - phonetic.size(), data->size() - pos);
            phonetic.insert(phonetic.end(), data->begin() + pos, data->begin() + pos + piece);
            pos += piece;
        }
        out.phonetic.push_back(phonetic);
    }
    EXPECT_EQ(record, records.size() - 1) << "records left over";
    EXPECT_EQ(pos, data->size()) << "bytes left over";
    return out;
}

size_t disk_size(const std::vector<Record> &records) {
    size_t total = 0;
    for (const Record &r : records) total += r.disk_size();
    return total;
}

TEST(SharedStrings, SameTextGetsOneEntry) {
    SharedStringTable sst;
    EXPECT_EQ(sst.add("abc"), 0u);
    EXPECT_EQ(sst.add("xyz"), 1u);
    EXPECT_EQ(sst.add("abc"), 0u);
    EXPECT_EQ(sst.add(u"abc"), 0u);  // the same code units, whichever way they came
    EXPECT_EQ(sst.add("ABC"), 2u);   // exact match only
    EXPECT_EQ(sst.add("\x93\xfa\x96\x7b"), 3u);
    EXPECT_EQ(sst.add(u"日本"), 3u);
    EXPECT_EQ(sst.total_count(), 7u);
    EXPECT_EQ(sst.unique_count(), 4u);
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    EXPECT_EQ(parsed.total, 7u);
    EXPECT_EQ(parsed.unique, 4u);
    EXPECT_EQ(parsed.strings, (std::vector<std::u16string>{u"abc", u"xyz", u"ABC", u"日本"}));
}

TEST(SharedStrings, NarrowAndWideFormsMeetAtEveryLength) {
    SharedStringTable sst;
    const std::string digits = "0123456789";
    for (size_t n = 0; n <= digits.size(); ++n) {
        const std::string narrow = digits.substr(0, n);
        const uint32_t index = sst.add(narrow);
        EXPECT_EQ(index, static_cast<uint32_t>(n)) << n;
        EXPECT_EQ(sst.add(std::u16string(narrow.begin(), narrow.end())), index) << n;
    }
    // Past the first four units the text is no longer plain ASCII.
    const uint32_t mixed = sst.add("abcd\x93\xfa\x96\x7b");
    EXPECT_EQ(sst.add(u"abcd日本"), mixed);
    EXPECT_NE(sst.add(std::u16string(u"01\0", 3)), sst.add("01")) << "a trailing NUL counts";
    EXPECT_NE(sst.add("0123x"), sst.add("01234"));
}

TEST(SharedStrings, ThousandsOfTextsKeepTheirEntriesAsTheTableGrows) {
    SharedStringTable sst;
    std::vector<std::u16string> expected;
    for (int i = 0; i < 5000; ++i) {
        const std::string text = "t" + std::to_string(i);
        ASSERT_EQ(sst.add(text), static_cast<uint32_t>(i));
        expected.emplace_back(text.begin(), text.end());
    }
    expected.push_back(u"t");
    EXPECT_EQ(sst.add(u"t"), 5000u) << "a prefix of stored texts is a text of its own";
    for (int i = 0; i < 5000; i += 7) {
        EXPECT_EQ(sst.add(expected[static_cast<size_t>(i)]), static_cast<uint32_t>(i));
    }
    sst.finish();
    EXPECT_EQ(parse(sst.records()).strings, expected);
}

TEST(SharedStrings, WritesExactBytesOfASmallTable) {
    SharedStringTable sst;
    EXPECT_TRUE(sst.records().empty());
    sst.add("Ab");
    sst.add(u"\u00e9");      // below 0x100: one 8-bit character
    sst.add(u"\u65e5");      // 16-bit
    sst.add(std::string());  // empty text
    sst.add("Ab");
    EXPECT_EQ(sst.byte_total(), 4u + 8u + 5u + 4u + 5u + 3u);
    sst.finish();
    ASSERT_EQ(sst.records().size(), 1u);
    EXPECT_EQ(sst.records()[0].number, 0x00FC);
    EXPECT_EQ(sst.records()[0].data, (Bytes{5, 0, 0, 0,    4,    0, 0, 0,  // counts
                                            2, 0, 0, 'A',  'b',            // "Ab"
                                            1, 0, 0, 0xE9,                 // e-acute
                                            1, 0, 1, 0xE5, 0x65,           // U+65E5
                                            0, 0, 0}));                    // ""
    EXPECT_EQ(sst.byte_total(), disk_size(sst.records()));

    // No more texts after the final flush.
    EXPECT_EQ(sst.add("new"), SharedStringTable::kNotAdded);
    EXPECT_EQ(sst.add("Ab"), SharedStringTable::kNotAdded);
    EXPECT_EQ(sst.total_count(), 5u);
    EXPECT_EQ(sst.records()[0].data.size(), 25u);
}

TEST(SharedStrings, ChoosesCharacterWidthFromTheText) {
    SharedStringTable sst;
    sst.add("plain");
    sst.add("\xb1");          // half-width katakana: narrow, not ASCII, so 16-bit
    sst.add(u"caf\u00e9");    // wide below 0x100: 8-bit
    sst.add(u"\u0100");       // wide above 0xFF: 16-bit
    sst.add("\x82\xa0\x41");  // hiragana A then 'A'
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    EXPECT_EQ(parsed.strings,
              (std::vector<std::u16string>{u"plain", u"\uff71", u"caf\u00e9", u"\u0100", u"あA"}));
    EXPECT_EQ(parsed.sixteen_bit, (std::vector<bool>{false, true, false, true, true}));
}

TEST(SharedStrings, LongJapaneseStringContinuesWithItsOptionByte) {
    std::u16string text;
    for (int i = 0; i < 5000; ++i) text.push_back(static_cast<char16_t>(u'あ' + i % 80));
    SharedStringTable sst;
    EXPECT_EQ(sst.add(text), 0u);
    sst.finish();
    const auto &records = sst.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].number, 0x003C);
    EXPECT_EQ(records[1].data[0], 0x01);
    // 8 count bytes, 3 header bytes, then as many whole characters as fit in 8224 bytes.
    EXPECT_EQ(records[0].data.size(), 8 + 3 + 4106u * 2);
    EXPECT_EQ(records[1].data.size(), 1 + (5000u - 4106u) * 2);
    const ParsedSst parsed = parse(records);
    ASSERT_EQ(parsed.strings.size(), 1u);
    EXPECT_EQ(parsed.strings[0], text);
    EXPECT_EQ(parsed.continue_option_bytes, (std::vector<uint8_t>{0x01}));
}

TEST(SharedStrings, SixteenBitCharactersAreNeverSplitAcrossRecords) {
    SharedStringTable sst;
    sst.add(std::string(101, 'a'));  // the next header ends on an odd offset
    std::u16string wide(5000, u'漢');
    sst.add(wide);
    sst.finish();
    ASSERT_EQ(sst.records().size(), 2u);
    EXPECT_EQ(sst.records()[0].data.size(), 8223u);  // one byte left unused
    const ParsedSst parsed = parse(sst.records());
    ASSERT_EQ(parsed.strings.size(), 2u);
    EXPECT_EQ(parsed.strings[1], wide);
}

TEST(SharedStrings, NewStringStartsANewRecordOnlyPast8208Bytes) {
    // Exactly 8208 bytes before the next string: it still goes into the same record.
    SharedStringTable at_limit;
    at_limit.add(std::string(8197, 'a'));  // 8 + 3 + 8197 = 8208
    at_limit.add("xy");
    at_limit.add("z");
    at_limit.finish();
    ASSERT_EQ(at_limit.records().size(), 2u);
    EXPECT_EQ(at_limit.records()[0].data.size(), 8213u);
    EXPECT_EQ(at_limit.records()[1].data, (Bytes{1, 0, 0, 'z'}));  // a header, no option byte

    SharedStringTable past_limit;
    past_limit.add(std::string(8198, 'a'));  // 8209 bytes
    past_limit.add("xy");
    past_limit.finish();
    ASSERT_EQ(past_limit.records().size(), 2u);
    EXPECT_EQ(past_limit.records()[0].data.size(), 8209u);
    EXPECT_EQ(past_limit.records()[1].data, (Bytes{2, 0, 0, 'x', 'y'}));

    // An 8-bit string split across records repeats option byte 0.
    SharedStringTable split;
    split.add(std::string(8100, 'b'));
    split.add(std::string(300, 'c'));
    split.finish();
    const ParsedSst parsed = parse(split.records());
    EXPECT_EQ(parsed.continue_option_bytes, (std::vector<uint8_t>{0x00}));
    EXPECT_EQ(parsed.strings[1], std::u16string(300, u'c'));
}

TEST(SharedStrings, ManyStringsReadBackAcrossRecords) {
    SharedStringTable sst;
    std::vector<std::u16string> expected;
    for (int i = 0; i < 4000; ++i) {
        std::u16string text = u"s" + std::u16string(static_cast<size_t>(i % 37), u'x');
        text += (i % 3 == 0) ? u"漢" : u"-";
        text += static_cast<char16_t>(u'A' + i % 26);
        text += std::u16string(1, static_cast<char16_t>(i));
        expected.push_back(text);
        ASSERT_EQ(sst.add(text), static_cast<uint32_t>(i));
    }
    for (int i = 0; i < 4000; i += 7) EXPECT_EQ(sst.add(expected[i]), static_cast<uint32_t>(i));
    sst.finish();
    EXPECT_GT(sst.records().size(), 5u);
    EXPECT_EQ(sst.byte_total(), disk_size(sst.records()));
    const ParsedSst parsed = parse(sst.records());
    EXPECT_EQ(parsed.total, 4000u + 572u);
    EXPECT_EQ(parsed.unique, 4000u);
    EXPECT_EQ(parsed.strings, expected);
}

TEST(SharedStrings, CutsTextsAt32767Characters) {
    SharedStringTable sst;
    EXPECT_EQ(sst.add(std::string(40000, 'q')), 0u);
    EXPECT_EQ(sst.add(std::string(32767, 'q')), 0u);  // the same text once cut
    EXPECT_EQ(sst.add(std::string(32766, 'q')), 1u);

    // A surrogate pair straddling the limit goes as a whole.
    std::u16string wide(32766, u'字');
    wide += u"\U00020B9F";
    EXPECT_EQ(sst.add(wide), 2u);
    std::string narrow;
    for (int i = 0; i < 20000; ++i) narrow += "\x8e\x9a";  // 40000 bytes, 20000 characters
    EXPECT_EQ(sst.add(narrow), 3u);
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    ASSERT_EQ(parsed.strings.size(), 4u);
    EXPECT_EQ(parsed.strings[0], std::u16string(32767, u'q'));
    EXPECT_EQ(parsed.strings[2], std::u16string(32766, u'字'));
    EXPECT_EQ(parsed.strings[3], std::u16string(20000, u'字'));
}

// Checks an EXTSST body against the positions of the strings it points at.
void expect_extsst_points_at_strings(const Bytes &extsst, const ParsedSst &parsed,
                                     uint32_t sst_offset, uint16_t bucket_size) {
    ASSERT_EQ(get16(extsst, 0), bucket_size);
    const size_t unique = parsed.strings.size();
    ASSERT_EQ(extsst.size(), 8 * (unique / bucket_size) + 322);
    size_t bucket = 0;
    for (; bucket * bucket_size < unique; ++bucket) {
        const auto [record_offset, in_record] = parsed.positions[bucket * bucket_size];
        const size_t at = 2 + 8 * bucket;
        EXPECT_EQ(get32(extsst, at), sst_offset + record_offset + in_record) << bucket;
        EXPECT_EQ(get16(extsst, at + 4), in_record) << bucket;
        EXPECT_EQ(get16(extsst, at + 6), 0) << bucket;
    }
    for (size_t at = 2 + 8 * bucket; at < extsst.size(); ++at) {
        ASSERT_EQ(extsst[at], 0) << "byte " << at << " beyond the last bucket";
    }
}

TEST(SharedStrings, ExtSstOfAnEmptyTable) {
    SharedStringTable sst;
    sst.finish();
    EXPECT_TRUE(sst.records().empty());
    EXPECT_EQ(sst.byte_total(), 0u);
    Bytes expected(322, 0);
    expected[0] = 8;
    EXPECT_EQ(sst.extsst(1234), expected);
}

TEST(SharedStrings, ExtSstOfAFewStrings) {
    SharedStringTable sst;
    for (int i = 0; i < 20; ++i) sst.add("text" + std::to_string(i));
    sst.finish();
    const Bytes extsst = sst.extsst(1000);
    EXPECT_EQ(extsst.size(), 8u * 2 + 322);
    EXPECT_EQ(get32(extsst, 2), 1000u + 12);  // first string right after the counts
    EXPECT_EQ(get16(extsst, 6), 12);
    expect_extsst_points_at_strings(extsst, parse(sst.records()), 1000, 8);
}

TEST(SharedStrings, ExtSstBucketsGrowWithTheTable) {
    struct Case {
        int strings;
        uint16_t bucket_size;
    };
    // 1719 is the last count with bucket size 8; 5200 needs 32, using every 4th kept position.
    for (const Case c : {Case{1719, 8}, Case{1720, 16}, Case{3000, 16}, Case{5200, 32}}) {
        SharedStringTable sst;
        for (int i = 0; i < c.strings; ++i) {
            // Lengths vary so that bucket starts fall in different records and offsets.
            std::string text = std::to_string(i) + std::string(static_cast<size_t>(i % 50), '.');
            if (i % 5 == 0) {
                sst.add(u"漢" + std::u16string(text.begin(), text.end()));
            } else {
                sst.add(text);
            }
        }
        sst.finish();
        const ParsedSst parsed = parse(sst.records());
        ASSERT_EQ(parsed.strings.size(), static_cast<size_t>(c.strings));
        expect_extsst_points_at_strings(sst.extsst(70000), parsed, 70000, c.bucket_size);
        EXPECT_LT(sst.extsst(0).size(), 2036u);
    }
}

// Runs of (first character, font index) pairs.
Bytes runs_of(std::initializer_list<std::pair<uint16_t, uint16_t>> runs) {
    Bytes out;
    for (const auto &[first, font] : runs) {
        for (uint16_t value : {first, font}) {
            out.push_back(static_cast<uint8_t>(value));
            out.push_back(static_cast<uint8_t>(value >> 8));
        }
    }
    return out;
}

// A phonetic block of `size` bytes with a different value in each.
Bytes phonetic_block(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * 7 + 1);
    return out;
}

TEST(SharedStrings, FormattedTextsAreEntriesOfTheirOwn) {
    const Bytes bold = runs_of({{0, 0}, {1, 5}});
    const Bytes italic = runs_of({{0, 0}, {1, 6}});
    const Bytes reading = phonetic_block(18);
    SharedStringTable sst;
    EXPECT_EQ(sst.add(u"abc"), 0u);
    EXPECT_EQ(sst.add(u"abc", bold, {}), 1u);
    EXPECT_EQ(sst.add(u"abc", bold, {}), 1u);
    EXPECT_EQ(sst.add(u"abc", italic, {}), 2u);
    EXPECT_EQ(sst.add(u"abc", {}, reading), 3u);
    EXPECT_EQ(sst.add(u"abc", bold, reading), 4u);
    EXPECT_EQ(sst.add(u"ab", runs_of({{0, 0}, {1, 5}, {99, 99}}), {}), 5u);
    EXPECT_EQ(sst.add(u"abc"), 0u);  // a plain write finds the plain entry
    EXPECT_EQ(sst.add("abc"), 0u);
    EXPECT_EQ(sst.add(u"abc", {}, {}), 0u);
    EXPECT_EQ(sst.text(4) ? *sst.text(4) : u"", u"abc");
    EXPECT_EQ(sst.total_count(), 10u);
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    EXPECT_EQ(parsed.strings,
              (std::vector<std::u16string>{u"abc", u"abc", u"abc", u"abc", u"abc", u"ab"}));
    EXPECT_EQ(parsed.runs, (std::vector<Bytes>{
                               {}, bold, italic, {}, bold, runs_of({{0, 0}, {1, 5}, {99, 99}})}));
    EXPECT_EQ(parsed.phonetic, (std::vector<Bytes>{{}, {}, {}, reading, reading, {}}));
}

// Whichever byte of a string the record boundary falls on, its characters, runs and phonetic
// data read back, and the EXTSST still points at every bucket's first string.
TEST(SharedStrings, RunsAndPhoneticDataGoOnInContinueRecords) {
    const Bytes runs = runs_of({{0, 0}, {1, 5}, {3, 6}});
    const Bytes reading = phonetic_block(30);
    for (size_t filler = 8150; filler <= 8198; ++filler) {
        SCOPED_TRACE(filler);
        SharedStringTable sst;
        sst.add(std::string(filler, 'a'));
        sst.add(u"漢字かな", runs, reading);
        sst.add(u"after", runs_of({{2, 7}}), {});
        sst.finish();
        const ParsedSst parsed = parse(sst.records());
        ASSERT_EQ(parsed.strings.size(), 3u);
        EXPECT_EQ(parsed.strings[1], u"漢字かな");
        EXPECT_EQ(parsed.runs[1], runs);
        EXPECT_EQ(parsed.phonetic[1], reading);
        EXPECT_EQ(parsed.strings[2], u"after");
        EXPECT_EQ(parsed.runs[2], runs_of({{2, 7}}));
        EXPECT_EQ(sst.byte_total(), disk_size(sst.records()));
    }

    // Characters split over three records, then runs and a phonetic block longer than one.
    SharedStringTable sst;
    std::vector<std::u16string> expected;
    Bytes many_runs;
    for (uint16_t i = 0; i < 3000; ++i) {
        const Bytes run = runs_of({{static_cast<uint16_t>(i * 3), static_cast<uint16_t>(i % 9)}});
        many_runs.insert(many_runs.end(), run.begin(), run.end());
    }
    const Bytes long_reading = phonetic_block(9000);
    const std::u16string long_text(9000, u'語');
    for (int i = 0; i < 40; ++i) {
        const std::u16string text = u"t" + std::u16string(static_cast<size_t>(i), u'x');
        expected.push_back(text);
        sst.add(text, i % 2 ? runs_of({{0, 5}}) : Bytes{}, i % 3 ? Bytes{} : phonetic_block(12));
    }
    sst.add(long_text, many_runs, long_reading);
    expected.push_back(long_text);
    sst.add(u"last");
    expected.push_back(u"last");
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    EXPECT_EQ(parsed.strings, expected);
    EXPECT_EQ(parsed.runs[40], many_runs);
    EXPECT_EQ(parsed.phonetic[40], long_reading);
    EXPECT_EQ(parsed.continue_option_bytes, (std::vector<uint8_t>{0x01, 0x01}));
    expect_extsst_points_at_strings(sst.extsst(500), parsed, 500, 8);
}

TEST(SharedStrings, CutFormattedTextKeepsTheRunsInsideIt) {
    SharedStringTable sst;
    const Bytes runs = runs_of({{0, 5}, {32766, 6}, {32767, 7}, {39000, 8}});
    EXPECT_EQ(sst.add(std::u16string(40000, u'q'), runs, phonetic_block(20)), 0u);
    sst.finish();
    const ParsedSst parsed = parse(sst.records());
    ASSERT_EQ(parsed.strings.size(), 1u);
    EXPECT_EQ(parsed.strings[0], std::u16string(32767, u'q'));
    EXPECT_EQ(parsed.runs[0], runs_of({{0, 5}, {32766, 6}}));
    EXPECT_EQ(parsed.phonetic[0], Bytes{});
}

TEST(SharedStrings, MillionAddsOfAThousandTexts) {
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) texts.push_back("label-" + std::to_string(i * 7919));
    SharedStringTable sst;
    for (int i = 0; i < 1000000; ++i) {
        ASSERT_EQ(sst.add(texts[i % 1000]), static_cast<uint32_t>(i % 1000));
    }
    EXPECT_EQ(sst.total_count(), 1000000u);
    EXPECT_EQ(sst.unique_count(), 1000u);
}

}  // namespace
}  // namespace tabrix::engine
