#include "engine/biff/record_reader.h"

#include "engine/biff/le_bytes.h"

namespace tabrix::engine {

bool RecordReader::peek(RawRecord &out) const {
    if (failed_ || offset_ >= stream_.size()) return false;
    const size_t left = stream_.size() - offset_;
    if (left < 4) return false;
    const uint8_t *header = stream_.data() + offset_;
    const size_t length = load_u16(header + 2);
    if (length > left - 4) return false;
    out.number = load_u16(header);
    out.data = stream_.subspan(offset_ + 4, length);
    out.offset = offset_;
    return true;
}

bool RecordReader::next(RawRecord &out) {
    if (failed_ || offset_ >= stream_.size()) return false;
    if (!peek(out)) {
        failed_ = true;
        return false;
    }
    offset_ += 4 + out.data.size();
    return true;
}

}  // namespace tabrix::engine
