// Buffered writer of the workbook stream: bytes are gathered in pages of 8192 bytes and
// handed to the sink a megabyte at a time.
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

    explicit StreamWriter(platform::ByteSink &sink);

    // Each returns false once any write has come up short; later calls then do nothing.
    bool write(const void *data, size_t n);
    bool write_record(uint16_t number, std::span<const uint8_t> data);
    bool write_list(const RecordList &list);
    bool flush();

    uint64_t position() const { return written_ + buffer_.size(); }
    bool ok() const { return ok_; }

  private:
    bool drain();

    platform::ByteSink &sink_;
    uint64_t written_ = 0;
    std::vector<uint8_t> buffer_;
    bool ok_ = true;
};

}  // namespace tabrix::engine
