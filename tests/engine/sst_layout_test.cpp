// Where the shared strings land in the stream, and the EXTSST index that points at them.
#include <gtest/gtest.h>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

struct StringPlace {
    size_t stream_offset;  // of the string's header
    size_t record_offset;  // from the start of its record's header
    std::u16string text;
};

// Walks SST and its CONTINUE records: each string is a count, option flags and characters,
// and a string cut by a record boundary goes on after a repeated option byte.
std::vector<StringPlace> walk_sst(const std::vector<StreamRecord> &records) {
    std::vector<const StreamRecord *> parts;
    for (const StreamRecord &record : records) {
        if (record.number == 0x00FC || (!parts.empty() && record.number == 0x003C)) {
            parts.push_back(&record);
        } else if (!parts.empty()) {
            break;
        }
    }
    std::vector<StringPlace> strings;
    if (parts.empty()) return strings;
    uint32_t unique = parts[0]->u32(4);
    size_t part = 0, at = 8;
    for (uint32_t i = 0; i < unique; ++i) {
        if (at == parts[part]->data.size()) {
            ++part;
            at = 0;
        }
        const StreamRecord &record = *parts.at(part);
        StringPlace place{record.offset + 4 + at, 4 + at, {}};
        size_t count = record.u16(at);
        bool wide = record.data.at(at + 2) & 1;
        at += 3;
        while (place.text.size() < count) {
            const StreamRecord &current = *parts.at(part);
            if (at == current.data.size()) {
                ++part;
                wide = parts.at(part)->data.at(0) & 1;
                at = 1;
                continue;
            }
            if (wide) {
                place.text.push_back(static_cast<char16_t>(current.u16(at)));
                at += 2;
            } else {
                place.text.push_back(current.data.at(at));
                at += 1;
            }
        }
        strings.push_back(std::move(place));
    }
    return strings;
}

TEST(SstLayoutTest, ExtSstBucketsPointAtEveryEighthString) {
    TempFolder folder;
    std::string path = folder.file("sst.xls");
    int32_t h = XM_Create97(path.c_str(), 2);
    std::vector<std::u16string> texts;
    for (int i = 0; i < 3000; ++i) {
        std::u16string text = (i % 3 == 0) ? u"日本語テキスト" : u"ascii text ";
        text += std::u16string(static_cast<size_t>(i % 40), u'a' + i % 26);
        text += u'#';
        for (char c : std::to_string(i)) text.push_back(static_cast<char16_t>(c));
        texts.push_back(text);
        ASSERT_EQ(XM_WriteStrW(h, i % 2, i % 200, i / 200, text.c_str()), 0);
    }
    auto records = close_and_read(h, path, true);
    auto strings = walk_sst(records);
    ASSERT_EQ(strings.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(strings[i].text, texts[i]) << i;
    EXPECT_GT(all_of(records, 0x003C).size(), 5u);

    const StreamRecord *extsst = first_of(records, 0x00FF);
    ASSERT_NE(extsst, nullptr);
    // Bucket size: 8 raised while 8 * (3000 / d) + 322 is 2036 or more: d = 16 gives 1818.
    uint16_t d = extsst->u16(0);
    EXPECT_EQ(d, 16);
    EXPECT_EQ(extsst->data.size(), 8u * (3000 / d) + 322);
    size_t buckets = (texts.size() + d - 1) / d;
    for (size_t b = 0; b < buckets; ++b) {
        const StringPlace &first = strings[b * d];
        EXPECT_EQ(extsst->u32(2 + 8 * b), first.stream_offset) << "bucket " << b;
        EXPECT_EQ(extsst->u16(6 + 8 * b), first.record_offset) << "bucket " << b;
        EXPECT_EQ(extsst->u16(8 + 8 * b), 0);
    }
    for (size_t at = 2 + 8 * buckets; at < extsst->data.size(); ++at) {
        EXPECT_EQ(extsst->data[at], 0) << "after the last bucket";
    }
}

}  // namespace
}  // namespace tabrix::engine::test
