// Texts cut into CONTINUE records: Excel 97 pieces of different widths join into one text,
// a text cut short joins into nothing, and what the splitter cuts joins back.
#include "engine/biff/continued_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine::test {
namespace {

// A STRING whose characters go on in a CONTINUE record: "ab" in 8 bits, then U+6771 and "c"
// in 16 bits behind the CONTINUE's own option byte.
ContinuedRecord mixed_string() {
    ContinuedRecord record;
    record.number = rec::kString;
    record.data = {4, 0, 0, 'a', 'b'};
    record.continue_starts.push_back(record.data.size());
    for (uint8_t byte : {uint8_t{1}, uint8_t{0x71}, uint8_t{0x67}, uint8_t{'c'}, uint8_t{0}}) {
        record.data.push_back(byte);
    }
    return record;
}

std::u16string text_of(const std::vector<uint8_t> &data, size_t at) {
    const size_t count = load_u16(data.data() + at);
    const bool wide = data[at + 2] & 1;
    std::u16string text;
    for (size_t i = 0; i < count; ++i) {
        text.push_back(wide ? static_cast<char16_t>(load_u16(&data[at + 3 + 2 * i]))
                            : static_cast<char16_t>(data[at + 3 + i]));
    }
    return text;
}

// The records of a run of images as one continued record.
ContinuedRecord read_images(const std::vector<uint8_t> &images) {
    RecordReader records(images, 0);
    RawRecord first;
    ContinuedRecord out;
    EXPECT_TRUE(records.next(first));
    if (!take_continues(records, first, out)) {
        out.number = first.number;
        out.data.assign(first.data.begin(), first.data.end());
    }
    EXPECT_EQ(records.offset(), images.size());
    return out;
}

TEST(ContinuedTextTest, PiecesOfDifferentWidthsJoinIntoOneText) {
    const auto joined = joined_text(mixed_string(), 0, true);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->size(), 3u + 2 * 4);
    EXPECT_EQ(text_of(*joined, 0), u"ab\u6771c");
}

TEST(ContinuedTextTest, ATextCutShortJoinsIntoNothing) {
    for (size_t cut = 0; cut < mixed_string().data.size(); ++cut) {
        ContinuedRecord record = mixed_string();
        record.data.resize(cut);
        if (record.continue_starts[0] > cut) record.continue_starts.clear();
        EXPECT_FALSE(joined_text(record, 0, true)) << cut;
    }
}

TEST(ContinuedTextTest, SplitTextsJoinBack) {
    std::vector<uint8_t> data = {1, 0, 2, 0, 15, 0};  // row, column, XF
    const std::u16string wide(5000, u'\u6771');
    put_u16(data, static_cast<uint16_t>(wide.size()));
    data.push_back(1);
    for (char16_t unit : wide) put_u16(data, unit);
    for (bool biff8 : {false, true}) {
        const size_t limit = biff8 ? kMaxRecordData : kMaxBiff5RecordData;
        const std::vector<uint8_t> images =
            continued_text_images(rec::kLabel, data, 6, biff8, limit);
        RecordReader records(images, 0);
        RawRecord record;
        size_t count = 0;
        while (records.next(record)) {
            EXPECT_LE(record.data.size(), limit);
            EXPECT_EQ(record.number, count++ == 0 ? rec::kLabel : rec::kContinue);
        }
        EXPECT_EQ(count, biff8 ? 2u : 5u);
        const auto joined = joined_text(read_images(images), 6, biff8);
        ASSERT_TRUE(joined);
        EXPECT_EQ(*joined, data);
    }
}

// Findings of the long fuzzing pass: bytes behind the characters went on behind an option
// byte, which the join then took for data; a CONTINUE beyond the format's limit was taken
// into a text and written again whole.
TEST(ContinuedTextTest, BytesBehindTheTextAndOverlongContinuesStayAsTheyAre) {
    std::vector<uint8_t> data = {0, 0, 2, 0, 15, 0, 1, 0, 0, 'x'};
    data.resize(kMaxRecordData + 300, 0x77);
    const auto joined = joined_text(
        read_images(continued_text_images(rec::kLabel, data, 6, true, kMaxRecordData)), 6, true);
    ASSERT_TRUE(joined);
    EXPECT_EQ(*joined, data);

    std::vector<uint8_t> stream = {0x04, 0x02, 10, 0, 0, 0, 2, 0, 15, 0, 1, 0, 0, 'x'};
    put_u16(stream, rec::kContinue);
    put_u16(stream, static_cast<uint16_t>(kMaxRecordData + 1));
    stream.resize(stream.size() + kMaxRecordData + 1);
    RecordReader records(stream, 0);
    RawRecord label;
    ContinuedRecord continued;
    ASSERT_TRUE(records.next(label));
    EXPECT_FALSE(take_continues(records, label, continued));
    EXPECT_EQ(records.offset(), 14u);
}

}  // namespace
}  // namespace tabrix::engine::test
