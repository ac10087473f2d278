// The buffered stream writer, and what a close does when the stream refuses bytes.
#include "engine/write/stream_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

// An in-memory stream that accepts at most `limit` bytes.
class LimitedStream : public platform::Stream {
  public:
    explicit LimitedStream(size_t limit) : limit_(limit) {}
    size_t read(void *, size_t) override { return 0; }
    size_t write(const void *data, size_t n) override {
        size_t room = limit_ > position_ ? limit_ - position_ : 0;
        size_t done = std::min(n, room);
        if (bytes.size() < position_ + done) bytes.resize(position_ + done);
        std::copy_n(static_cast<const uint8_t *>(data), done, bytes.begin() + position_);
        position_ += done;
        return done;
    }
    bool seek(int64_t offset, platform::SeekOrigin) override {
        position_ = static_cast<size_t>(offset);
        return true;
    }
    uint64_t position() const override { return position_; }
    uint64_t size() const override { return bytes.size(); }
    platform::StorageStatus set_size(uint64_t size) override {
        bytes.resize(size);
        return platform::StorageStatus::ok;
    }
    platform::StorageStatus reserve(uint64_t size) override {
        bytes.reserve(size);
        return platform::StorageStatus::ok;
    }

    std::vector<uint8_t> bytes;

  private:
    size_t limit_;
    size_t position_ = 0;
};

// A sink that takes at most `limit` bytes and counts the write calls.
class LimitedSink : public platform::ByteSink {
  public:
    explicit LimitedSink(size_t limit) : limit_(limit) {}
    bool write(const void *data, size_t n) override {
        ++writes;
        if (n > limit_ - bytes.size()) return false;
        bytes.insert(bytes.end(), static_cast<const uint8_t *>(data),
                     static_cast<const uint8_t *>(data) + n);
        return true;
    }

    std::vector<uint8_t> bytes;
    int writes = 0;

  private:
    size_t limit_;
};

TEST(StreamWriterTest, GathersSmallWritesIntoPages) {
    LimitedSink stream(SIZE_MAX);
    StreamWriter out(stream);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 20000; ++i) {
        uint8_t data[3] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 7};
        ASSERT_TRUE(out.write_record(static_cast<uint16_t>(i), data));
        expected.insert(expected.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 3,
                                         0, data[0], data[1], 7});
    }
    std::vector<uint8_t> big(100000, 0xAB);
    ASSERT_TRUE(out.write(big.data(), big.size()));
    expected.insert(expected.end(), big.begin(), big.end());
    EXPECT_EQ(out.position(), expected.size());
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(stream.bytes, expected);
    EXPECT_LT(stream.writes, 10) << "140000 bytes of records in a few calls";
}

TEST(StreamWriterTest, ShortWriteStopsEverything) {
    LimitedSink stream(10000);
    StreamWriter out(stream);
    std::vector<uint8_t> chunk(6000, 1);
    EXPECT_TRUE(out.write(chunk.data(), chunk.size()));
    bool ok = out.write(chunk.data(), chunk.size()) && out.write(chunk.data(), chunk.size()) &&
              out.write(chunk.data(), chunk.size()) && out.flush();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(out.ok());
    EXPECT_FALSE(out.write(chunk.data(), 1));
}

TEST(StreamWriterTest, CloseReportsAShortWriteAndStillReleasesTheWorkbook) {
    TempFolder folder;
    std::string path = folder.file("short.xls");
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_EQ(XM_WriteStr(h, 0, 0, 0, "text"), 0);
    LimitedStream stream(100);
    workbook_at(h)->stream = &stream;
    EXPECT_EQ(XM_Close(h), -5);
    EXPECT_EQ(workbook_at(h), nullptr);
    ASSERT_GE(stream.bytes.size(), 100u);
    EXPECT_EQ(std::vector<uint8_t>(stream.bytes.begin(), stream.bytes.begin() + 4),
              (std::vector<uint8_t>{0x09, 0x08, 0x10, 0x00}))
        << "the part written stays";
    EXPECT_FALSE(std::filesystem::exists(path)) << "a close that failed writes no file";
}

}  // namespace
}  // namespace tabrix::engine::test
