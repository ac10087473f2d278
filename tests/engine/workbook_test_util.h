// Helpers of the workbook tests: a temporary folder, and a reader that takes a written
// workbook stream apart into its records and sections.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/lifecycle/workbook_table.h"
#include "platform/compound_file.h"
#include "tabrix.h"

namespace tabrix::engine::test {

class TempFolder {
  public:
    TempFolder() {
        std::string templ = "/tmp/tabrix-engine-XXXXXX";
        if (char *made = ::mkdtemp(templ.data())) path_ = made;
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    std::string file(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

struct StreamRecord {
    uint16_t number = 0;
    std::vector<uint8_t> data;
    size_t offset = 0;  // of the record header in the stream

    // Fields of the data; at() stops a read past the end.
    uint16_t u16(size_t at) const {
        data.at(at + 1);
        return load_u16(&data[at]);
    }
    uint32_t u32(size_t at) const {
        data.at(at + 3);
        return load_u32(&data[at]);
    }
};

// The stream "Workbook" or "Book" of a compound file, empty when it cannot be read.
inline std::vector<uint8_t> read_workbook_stream(const std::string &path,
                                                 std::u16string_view name) {
    std::vector<uint8_t> bytes;
    auto file = platform::CompoundFile::open_read(path);
    if (!file) return bytes;
    platform::Stream *stream = file->root().open_stream(name);
    if (!stream) return bytes;
    bytes.resize(static_cast<size_t>(stream->size()));
    size_t done = 0;
    while (done < bytes.size()) {
        size_t n = stream->read(bytes.data() + done, bytes.size() - done);
        if (n == 0) break;
        done += n;
    }
    bytes.resize(done);
    return bytes;
}

inline std::vector<StreamRecord> parse_records(const std::vector<uint8_t> &bytes) {
    std::vector<StreamRecord> records;
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
        StreamRecord record;
        record.offset = at;
        record.number = load_u16(&bytes[at]);
        size_t length = load_u16(&bytes[at + 2]);
        if (at + 4 + length > bytes.size()) {
            ADD_FAILURE() << "record at " << at << " runs past the stream";
            break;
        }
        record.data.assign(bytes.begin() + at + 4, bytes.begin() + at + 4 + length);
        records.push_back(std::move(record));
        at += 4 + length;
    }
    EXPECT_EQ(at, bytes.size()) << "bytes after the last record";
    return records;
}

// The stream cut at each EOF: the globals section first, then one section per sheet.
inline std::vector<std::vector<StreamRecord>> split_sections(
    const std::vector<StreamRecord> &records) {
    std::vector<std::vector<StreamRecord>> sections(1);
    for (const StreamRecord &record : records) {
        sections.back().push_back(record);
        if (record.number == 0x000A) sections.emplace_back();
    }
    if (sections.back().empty()) sections.pop_back();
    return sections;
}

inline std::vector<uint16_t> numbers_of(const std::vector<StreamRecord> &records) {
    std::vector<uint16_t> numbers;
    for (const StreamRecord &record : records) numbers.push_back(record.number);
    return numbers;
}

inline const StreamRecord *first_of(const std::vector<StreamRecord> &records, uint16_t number) {
    for (const StreamRecord &record : records) {
        if (record.number == number) return &record;
    }
    return nullptr;
}

inline std::vector<const StreamRecord *> all_of(const std::vector<StreamRecord> &records,
                                                uint16_t number) {
    std::vector<const StreamRecord *> found;
    for (const StreamRecord &record : records) {
        if (record.number == number) found.push_back(&record);
    }
    return found;
}

// Registers `count` distinct attributes, so that the workbook holds XFs 21 to 20 + count.
inline void register_attributes(int32_t handle, int count) {
    for (int i = 0; i < count; ++i) {
        XLATTR look;
        XM_InitAttr(&look);
        look.Format = static_cast<int16_t>(1 + i);
        ASSERT_EQ(XM_GetAttrNo2(handle, &look), 21 + i);
    }
}

// Writes the workbook and returns the records of its stream.
inline std::vector<StreamRecord> close_and_read(int32_t handle, const std::string &path,
                                                bool biff8) {
    int32_t rc = close_workbook(handle);
    EXPECT_EQ(rc, 0);
    return parse_records(read_workbook_stream(path, biff8 ? u"Workbook" : u"Book"));
}

}  // namespace tabrix::engine::test
