#include "engine/write/stream_writer.h"

#include "engine/biff/le_bytes.h"

namespace tabrix::engine {

namespace {

// A megabyte: the compound-file sink takes pieces this large without copying them again.
constexpr size_t kBufferPages = 128;

}  // namespace

StreamWriter::StreamWriter(platform::ByteSink &sink) : sink_(sink) {
    buffer_.reserve(kPageSize * kBufferPages);
}

bool StreamWriter::drain() {
    if (!ok_) return false;
    if (buffer_.empty()) return true;
    ok_ = sink_.write(buffer_.data(), buffer_.size());
    if (ok_) written_ += buffer_.size();
    buffer_.clear();
    return ok_;
}

bool StreamWriter::write(const void *data, size_t n) {
    if (!ok_) return false;
    const auto *bytes = static_cast<const uint8_t *>(data);
    size_t room = buffer_.capacity() - buffer_.size();
    if (n <= room) {
        buffer_.insert(buffer_.end(), bytes, bytes + n);
        return true;
    }
    if (!drain()) return false;
    if (n >= buffer_.capacity()) {
        // Large pieces (a row's cell records) go straight through.
        ok_ = sink_.write(bytes, n);
        if (ok_) written_ += n;
        return ok_;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + n);
    return true;
}

bool StreamWriter::write_record(uint16_t number, std::span<const uint8_t> data) {
    uint8_t header[4];
    store_u16(header, number);
    store_u16(header + 2, static_cast<uint16_t>(data.size()));
    return write(header, sizeof header) && write(data.data(), data.size());
}

bool StreamWriter::write_list(const RecordList &list) {
    for (const Record &record : list.records()) {
        if (!write_record(record.number, record.data)) return false;
    }
    return ok_;
}

bool StreamWriter::flush() {
    return drain();
}

}  // namespace tabrix::engine
