// Steps through a BIFF stream one record at a time, each CONTINUE record a record of its own,
// as the template loader keeps them. A header or data that would run past the end of the
// stream stops the walk; nothing outside the stream is ever read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tabrix::engine {

// The longest record data the format allows; a longer record is not one of a workbook.
inline constexpr size_t kMaxRecordData = 8224;

// One record as it lies in the stream; `data` points into the stream.
struct RawRecord {
    uint16_t number = 0;
    std::span<const uint8_t> data;
    size_t offset = 0;  // of the record's header
};

class RecordReader {
  public:
    RecordReader() = default;
    RecordReader(std::span<const uint8_t> stream, size_t start) : stream_(stream), offset_(start) {}

    // The next record; false at the end of the stream, and when the rest of the stream is not
    // a whole record (then failed() is true).
    bool next(RawRecord &out);
    // The record next() would give, without moving.
    bool peek(RawRecord &out) const;
    bool failed() const { return failed_; }
    size_t offset() const { return offset_; }
    void seek(size_t offset) {
        offset_ = offset;
        failed_ = false;
    }
    std::span<const uint8_t> stream() const { return stream_; }

  private:
    std::span<const uint8_t> stream_;
    size_t offset_ = 0;
    bool failed_ = false;
};

}  // namespace tabrix::engine
