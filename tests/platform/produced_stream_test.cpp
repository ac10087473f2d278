// Streams whose content a producer writes while commit writes the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/compound_file.h"
#include "tests/platform/compound_file_test_util.h"

namespace tabrix::platform {
namespace {

using test::pattern;
using test::TempDir;

// Hands `bytes` to the sink in pieces of `piece` bytes, then answers `result`.
StreamProducer pieces_of(std::vector<uint8_t> bytes, size_t piece, bool result = true) {
    return [bytes = std::move(bytes), piece, result](ByteSink &sink) {
        for (size_t at = 0; at < bytes.size(); at += piece) {
            if (!sink.write(bytes.data() + at, std::min(piece, bytes.size() - at))) return false;
        }
        return result;
    };
}

// Streams on both sides of the mini-stream cutoff, written or produced.
void build(const std::filesystem::path &path, bool produced) {
    auto file = CompoundFile::create(path);
    ASSERT_TRUE(file);
    const std::vector<std::pair<std::u16string, size_t>> streams = {
        {u"Small", 100}, {u"Cutoff", 4096}, {u"Large", 70000}, {u"Kept", 5000}};
    for (const auto &[name, size] : streams) {
        Stream *stream = file->root().create_stream(name);
        ASSERT_TRUE(stream);
        const auto bytes = pattern(size, static_cast<uint8_t>(size));
        if (produced && name != u"Kept") {
            ASSERT_EQ(stream->produce(size, pieces_of(bytes, 777)), StorageStatus::ok);
            EXPECT_EQ(stream->size(), size);
        } else {
            ASSERT_EQ(stream->write(bytes.data(), bytes.size()), bytes.size());
        }
    }
    ASSERT_EQ(file->commit(), StorageStatus::ok);
}

TEST(ProducedStreamTest, GivesTheBytesOfTheSameStreamWritten) {
    TempDir dir;
    build(dir / "written.cfb", false);
    build(dir / "produced.cfb", true);
    EXPECT_EQ(test::read_file(dir / "produced.cfb"), test::read_file(dir / "written.cfb"));
}

TEST(ProducedStreamTest, AFailingOrMiscountedProducerLeavesTheOldFile) {
    TempDir dir;
    const auto path = dir / "old.cfb";
    build(path, false);
    const auto old = test::read_file(path);
    const auto bytes = pattern(9000, 3);
    const std::vector<std::pair<const char *, StreamProducer>> cases = {
        {"refuses after writing", pieces_of(bytes, 1000, false)},
        {"writes too few bytes",
         pieces_of(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), 1000)},
        {"writes too many bytes", pieces_of(pattern(9001, 3), 1000)},
    };
    for (const auto &[what, producer] : cases) {
        auto file = CompoundFile::open_update(path);
        ASSERT_TRUE(file);
        Stream *stream = file->root().open_stream(u"Large");
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->produce(bytes.size(), producer), StorageStatus::ok);
        EXPECT_EQ(file->commit(), StorageStatus::io_error) << what;
        EXPECT_EQ(test::read_file(path), old) << what;
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no new file is left beside the old one";
}

TEST(ProducedStreamTest, AWriteReplacesTheProducer) {
    TempDir dir;
    auto file = CompoundFile::create(dir / "w.cfb");
    Stream *stream = file->root().create_stream(u"S");
    ASSERT_EQ(stream->produce(6000, pieces_of(pattern(6000, 1), 6000)), StorageStatus::ok);
    uint8_t byte = 0;
    EXPECT_EQ(stream->read(&byte, 1), 0u) << "nothing to read before the commit";
    ASSERT_EQ(stream->write("abc", 3), 3u);
    EXPECT_EQ(stream->size(), 3u);
    ASSERT_EQ(file->commit(), StorageStatus::ok);
    auto again = CompoundFile::open_read(dir / "w.cfb");
    ASSERT_TRUE(again);
    EXPECT_EQ(test::read_all(again->root().open_stream(u"S")),
              (std::vector<uint8_t>{'a', 'b', 'c'}));
}

}  // namespace
}  // namespace tabrix::platform
