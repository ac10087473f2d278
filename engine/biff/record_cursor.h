// Walks a BIFF stream record by record, joining each record with the CONTINUE records after
// it. A header or data that would run past the end stops the walk with an error; nothing is
// ever read outside the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tabrix::engine {

struct ContinuedRecord {
    uint16_t number = 0;
    std::vector<uint8_t> data;            // the record's data, then each CONTINUE's data
    std::vector<size_t> continue_starts;  // where each CONTINUE's data begins in `data`
};

class RecordCursor {
  public:
    explicit RecordCursor(std::span<const uint8_t> stream) : stream_(stream) {}

    // The next record with its CONTINUE records. False at the end of the stream, and when the
    // rest of the stream is not a whole record (then failed() is true and the walk is over).
    bool next(ContinuedRecord &out);

    bool failed() const { return failed_; }
    // Where the next record's header starts.
    size_t offset() const { return offset_; }

  private:
    std::span<const uint8_t> stream_;
    size_t offset_ = 0;
    bool failed_ = false;

    // Number and data of the record at offset_ without moving; false when it does not fit.
    bool peek(uint16_t &number, std::span<const uint8_t> &data);
};

}  // namespace tabrix::engine
