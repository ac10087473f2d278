// Encoders and decoders of the bottom floor read each other back: strings of every form,
// SST records cut into CONTINUE records, BOF, and the record cursor on damaged streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/common_records.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_cursor.h"
#include "engine/biff/record_numbers.h"
#include "engine/cells/shared_strings.h"

namespace tabrix::engine::test {
namespace {

const std::u16string kTexts[] = {
    u"",
    u"plain",
    u"caf\u00e9 \u00fc\u00df \u00d7\u00b0",  // all below 0x100
    u"\u65e5\u672c\u8a9e",
    u"mixed \u00e9 and \u30a2",
    std::u16string(255, u'z'),
};

std::vector<uint8_t> stream_of(const std::vector<Record> &records) {
    std::vector<uint8_t> stream;
    for (const Record &record : records) {
        put_u16(stream, record.number);
        put_u16(stream, static_cast<uint16_t>(record.data.size()));
        put_bytes(stream, record.data.data(), record.data.size());
    }
    return stream;
}

std::vector<ContinuedRecord> walk(std::span<const uint8_t> stream, bool *failed) {
    RecordCursor cursor(stream);
    std::vector<ContinuedRecord> records;
    ContinuedRecord record;
    while (cursor.next(record)) records.push_back(record);
    *failed = cursor.failed();
    return records;
}

TEST(BiffStringTest, ShortAndLongStringsReadBackAfterOtherData) {
    for (const std::u16string &text : kTexts) {
        std::vector<uint8_t> bytes = {0xAA};
        put_biff8_short_string(bytes, biff8_chars(text));
        const size_t second = bytes.size();
        put_biff8_string(bytes, biff8_chars(text));
        bytes.push_back(0xBB);

        size_t pos = 1;
        EXPECT_EQ(read_biff8_short_string(bytes, pos), text);
        EXPECT_EQ(pos, second);
        EXPECT_EQ(read_biff8_string(bytes, pos), text);
        EXPECT_EQ(pos, bytes.size() - 1);
    }
}

TEST(BiffStringTest, TextsBelow0x100AreStoredInOneBytePerCharacter) {
    EXPECT_FALSE(biff8_chars(u"caf\u00e9\u00ff").wide);
    EXPECT_EQ(biff8_chars(u"caf\u00e9\u00ff").bytes.size(), 5u);
    EXPECT_TRUE(biff8_chars(u"\u0100").wide);
    // Code page 932 "×°" converts to units below 0x100, Japanese does not.
    EXPECT_FALSE(biff8_chars(std::string_view("\x81\x7e\x81\x8b")).wide);
    EXPECT_EQ(biff8_chars(std::string_view("\x81\x7e\x81\x8b")).bytes,
              (std::vector<uint8_t>{0xD7, 0xB0}));
    EXPECT_TRUE(biff8_chars(std::string_view("\x93\xfa")).wide);
}

TEST(BiffStringTest, NarrowTextsReadBackAsTheirConversion) {
    std::vector<uint8_t> bytes;
    put_biff8_string(bytes, biff8_chars(std::string_view("a\x93\xfa\x96\x7b")));
    size_t pos = 0;
    EXPECT_EQ(read_biff8_string(bytes, pos), u"a\u65e5\u672c");
}

TEST(BiffStringTest, TruncatedStringsAreRefusedWithoutMovingThePosition) {
    for (const std::u16string &text : kTexts) {
        for (bool long_form : {false, true}) {
            std::vector<uint8_t> bytes;
            if (long_form) {
                put_biff8_string(bytes, biff8_chars(text));
            } else {
                put_biff8_short_string(bytes, biff8_chars(text));
            }
            for (size_t cut = 0; cut < bytes.size(); ++cut) {
                std::span<const uint8_t> part(bytes.data(), cut);
                size_t pos = 0;
                auto read =
                    long_form ? read_biff8_string(part, pos) : read_biff8_short_string(part, pos);
                EXPECT_FALSE(read.has_value()) << cut;
                EXPECT_EQ(pos, 0u);
            }
        }
    }
}

TEST(RecordCursorTest, JoinsContinueRecordsAndKeepsWhereEachStarts) {
    const std::vector<Record> records = {
        {rec::kBof, {1, 2}},  {rec::kSst, {3, 4, 5}},   {rec::kContinue, {6}},
        {rec::kContinue, {}}, {rec::kContinue, {7, 8}}, {rec::kEof, {}},
    };
    bool failed = true;
    std::vector<ContinuedRecord> read = walk(stream_of(records), &failed);
    EXPECT_FALSE(failed);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].number, rec::kBof);
    EXPECT_EQ(read[0].data, (std::vector<uint8_t>{1, 2}));
    EXPECT_TRUE(read[0].continue_starts.empty());
    EXPECT_EQ(read[1].number, rec::kSst);
    EXPECT_EQ(read[1].data, (std::vector<uint8_t>{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(read[1].continue_starts, (std::vector<size_t>{3, 4, 4}));
    EXPECT_EQ(read[2].number, rec::kEof);
    EXPECT_TRUE(read[2].data.empty());
}

TEST(RecordCursorTest, EveryTruncationEitherEndsAtARecordOrFails) {
    const std::vector<Record> records = {{rec::kBof, {1, 2, 3, 4}},
                                         {rec::kSst, {5, 6}},
                                         {rec::kContinue, {7, 8, 9}},
                                         {rec::kEof, {}}};
    const std::vector<uint8_t> stream = stream_of(records);
    // Where the stream may end, and how many records (CONTINUEs joined) are read up to there.
    const std::vector<std::pair<size_t, size_t>> whole_ends = {
        {0, 0}, {8, 1}, {14, 2}, {21, 2}, {25, 3}};
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        // A copy of exactly `cut` bytes, so a read past it would be seen by sanitizers.
        const std::vector<uint8_t> part(stream.begin(), stream.begin() + cut);
        bool failed = false;
        std::vector<ContinuedRecord> read = walk(part, &failed);
        const auto end = std::find_if(whole_ends.begin(), whole_ends.end(),
                                      [cut](const auto &e) { return e.first == cut; });
        const bool whole = end != whole_ends.end();
        EXPECT_EQ(failed, !whole) << cut;
        if (whole) {
            EXPECT_EQ(read.size(), end->second) << cut;
        }
    }
}

TEST(RecordCursorTest, ALengthPastTheEndIsRefused) {
    std::vector<uint8_t> stream;
    put_u16(stream, rec::kBof);
    put_u16(stream, 0xFFFF);
    stream.insert(stream.end(), 100, 0);
    RecordCursor cursor(stream);
    ContinuedRecord record;
    EXPECT_FALSE(cursor.next(record));
    EXPECT_TRUE(cursor.failed());
    EXPECT_FALSE(cursor.next(record));
}

// Builds a table, writes it out and reads the strings back through the cursor.
std::optional<SstContents> round_trip(SharedStringTable &table, size_t *record_count) {
    table.finish();
    bool failed = true;
    std::vector<ContinuedRecord> read = walk(stream_of(table.records()), &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(read.size(), 1u);
    if (read.size() != 1) return std::nullopt;
    *record_count = read[0].continue_starts.size() + 1;
    return read_sst(read[0]);
}

TEST(SstTest, StringsCutByContinueRecordsReadBack) {
    SharedStringTable table;
    std::vector<std::u16string> expected;
    auto add_wide = [&](std::u16string text) {
        table.add(text);
        expected.push_back(std::move(text));
    };
    // Long texts in both widths cross record boundaries at even and odd offsets.
    std::u16string latin(9000, u'a');
    std::u16string japanese(9000, u'a');
    for (size_t i = 0; i < latin.size(); ++i) {
        latin[i] = static_cast<char16_t>(0x61 + i % 26 + (i % 7 == 0 ? 0x80 : 0));
        japanese[i] = static_cast<char16_t>(0x3042 + i % 80);
    }
    add_wide(u"first");
    add_wide(latin);
    add_wide(japanese);
    for (int i = 0; i < 2000; ++i) {
        add_wide(u"text " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                 (i % 3 ? u"\u3042" : u"\u00e9") + std::u16string(i % 5, u'x') +
                 std::u16string(1, static_cast<char16_t>(0x4E00 + i)));
    }
    table.add(std::string_view("\x93\xfa\x96\x7b"));  // narrow, code page 932
    expected.push_back(u"\u65e5\u672c");
    table.add(u"first");  // counted, not stored again

    size_t record_count = 0;
    std::optional<SstContents> read = round_trip(table, &record_count);
    ASSERT_TRUE(read.has_value());
    EXPECT_GT(record_count, 3u);
    EXPECT_EQ(read->total, expected.size() + 1);
    EXPECT_EQ(read->strings, expected);
}

TEST(SstTest, FormattingRunsAndPhoneticDataAreKeptApart) {
    ContinuedRecord sst{rec::kSst, {}, {}};
    put_u32(sst.data, 3);
    put_u32(sst.data, 3);
    put_u16(sst.data, 3);
    put_u8(sst.data, 0x0C);  // 8-bit, formatting runs, phonetic data
    put_u16(sst.data, 1);    // one run
    put_u32(sst.data, 5);    // phonetic bytes
    put_bytes(sst.data, "abc", 3);
    put_u32(sst.data, 0x00010002);
    sst.data.insert(sst.data.end(), 5, 0xEE);
    // After count, option byte, run count and one character.
    const size_t cut = sst.data.size() + 7;
    put_u16(sst.data, 2);
    put_u8(sst.data, 0x09);  // 16-bit, formatting runs
    put_u16(sst.data, 2);
    put_u16(sst.data, 0x65E5);
    // The second string's last character goes on after a repeated option byte (8-bit now);
    // its runs go on without one, the second of them in a record of its own.
    sst.continue_starts.push_back(cut);
    put_u8(sst.data, 0x00);
    put_u8(sst.data, 'z');
    put_u32(sst.data, 0x00050000);
    sst.continue_starts.push_back(sst.data.size());
    put_u32(sst.data, 0x00060001);
    put_u16(sst.data, 1);
    put_u8(sst.data, 0x00);
    put_u8(sst.data, 'p');

    std::optional<SstContents> read = read_sst(sst);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->total, 3u);
    EXPECT_EQ(read->strings, (std::vector<std::u16string>{u"abc", u"\u65e5z", u"p"}));
    const SstFormatting &formatting = read->formatting;
    ASSERT_EQ(formatting.entries.size(), 2u);
    EXPECT_EQ(formatting.entries[0].string, 0u);
    EXPECT_EQ(std::vector<uint8_t>(formatting.runs(formatting.entries[0]).begin(),
                                   formatting.runs(formatting.entries[0]).end()),
              (std::vector<uint8_t>{2, 0, 1, 0}));
    EXPECT_EQ(std::vector<uint8_t>(formatting.phonetic(formatting.entries[0]).begin(),
                                   formatting.phonetic(formatting.entries[0]).end()),
              std::vector<uint8_t>(5, 0xEE));
    EXPECT_EQ(formatting.entries[1].string, 1u);
    EXPECT_EQ(std::vector<uint8_t>(formatting.runs(formatting.entries[1]).begin(),
                                   formatting.runs(formatting.entries[1]).end()),
              (std::vector<uint8_t>{0, 0, 5, 0, 1, 0, 6, 0}));
    EXPECT_TRUE(formatting.phonetic(formatting.entries[1]).empty());

    // Runs or phonetic data that run past the end are refused.
    for (size_t keep : {sst.data.size() - 5, size_t{8 + 3 + 6 + 3 + 4 + 2}}) {
        ContinuedRecord cut_short = sst;
        cut_short.data.resize(keep);
        EXPECT_FALSE(read_sst(cut_short).has_value()) << keep;
    }
}

// An empty CONTINUE holds no option byte and no characters: the string goes on in the next
// one, and a string claiming more characters than follow is refused.
TEST(SstTest, EmptyContinueRecordsAreSteppedOver) {
    ContinuedRecord sst{rec::kSst, {}, {}};
    put_u32(sst.data, 1);
    put_u32(sst.data, 1);
    put_u16(sst.data, 1000);
    put_u8(sst.data, 0x00);
    put_bytes(sst.data, "ab", 2);
    sst.continue_starts = {sst.data.size(), sst.data.size()};
    put_u8(sst.data, 0x01);
    put_u16(sst.data, u'c');
    put_u16(sst.data, u'd');
    EXPECT_FALSE(read_sst(sst).has_value());
    store_u16(&sst.data[8], 4);
    std::optional<SstContents> read = read_sst(sst);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->strings, std::vector<std::u16string>{u"abcd"});
}

TEST(SstTest, TruncatedOrOvercountedTablesAreRefused) {
    SharedStringTable table;
    table.add(u"one");
    table.add(std::u16string(5000, u'\u3042'));
    table.finish();
    bool failed = true;
    std::vector<ContinuedRecord> read = walk(stream_of(table.records()), &failed);
    ASSERT_EQ(read.size(), 1u);
    ASSERT_TRUE(read_sst(read[0]).has_value());

    for (size_t keep : {size_t{0}, size_t{7}, size_t{10}, read[0].data.size() - 1}) {
        ContinuedRecord cut = read[0];
        cut.data.resize(keep);
        std::erase_if(cut.continue_starts, [keep](size_t at) { return at > keep; });
        EXPECT_FALSE(read_sst(cut).has_value()) << keep;
    }
    ContinuedRecord overcounted = read[0];
    store_u32(overcounted.data.data() + 4, 3);
    EXPECT_FALSE(read_sst(overcounted).has_value());
    ContinuedRecord huge = read[0];
    store_u32(huge.data.data() + 4, 0xFFFFFFFF);
    EXPECT_FALSE(read_sst(huge).has_value());
}

TEST(BofTest, BothFormatsAndSubstreamsReadBack) {
    for (bool biff8 : {false, true}) {
        for (uint16_t type : {kBofGlobals, kBofWorksheet}) {
            Record record = bof_record(biff8, type);
            EXPECT_EQ(record.number, rec::kBof);
            EXPECT_EQ(record.data.size(), biff8 ? 16u : 8u);
            std::optional<BofFields> read = read_bof(record.data);
            ASSERT_TRUE(read.has_value());
            const BofFields expected = bof_fields(biff8, type);
            EXPECT_EQ(read->version, biff8 ? kBofBiff8 : kBofBiff5);
            EXPECT_EQ(read->type, type);
            EXPECT_EQ(read->build, expected.build);
            EXPECT_EQ(read->year, expected.year);
            EXPECT_EQ(read->history, expected.history);
            EXPECT_EQ(read->lowest_version, expected.lowest_version);
        }
    }
    BofFields odd{kBofBiff8, 0x0020, 0x1234, 2001, 0xDEADBEEF, 0x00000108};
    std::optional<BofFields> read = read_bof(bof_body(odd));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->type, 0x0020);
    EXPECT_EQ(read->history, 0xDEADBEEFu);
    EXPECT_EQ(read->lowest_version, 0x00000108u);
    EXPECT_FALSE(read_bof(std::vector<uint8_t>{0x00, 0x06, 0x05}).has_value());
    EXPECT_EQ(eof_record().number, rec::kEof);
    EXPECT_TRUE(eof_record().data.empty());
}

}  // namespace
}  // namespace tabrix::engine::test
