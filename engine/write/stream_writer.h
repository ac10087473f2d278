// Buffered writer of the workbook stream: bytes are gathered in pages of 8192 bytes and
// handed to the compound-file stream a few pages at a time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/biff/record_list.h"
#include "platform/compound_file.h"

namespace tabrix::engine {

class StreamWriter {
  public:
    static constexpr size_t kPageSize = 8192;

    // Writes after the stream's present end; a stream longer than what is written keeps its
    // tail. `expected_size`, when known, lets the stream make room for its final size at once.
    explicit StreamWriter(platform::Stream &stream, uint64_t expected_size = 0);

    // Each returns false once any write has come up short; later calls then do nothing.
    bool write(const void *data, size_t n);
    bool write_record(uint16_t number, std::span<const uint8_t> data);
    bool write_list(const RecordList &list);
    bool flush();

    uint64_t position() const { return start_ + written_ + buffer_.size(); }
    bool ok() const { return ok_; }

  private:
    bool drain();

    platform::Stream &stream_;
    uint64_t start_ = 0;
    uint64_t written_ = 0;
    std::vector<uint8_t> buffer_;
    bool ok_ = true;
};

}  // namespace tabrix::engine
