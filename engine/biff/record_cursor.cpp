#include "engine/biff/record_cursor.h"

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

namespace {
constexpr size_t kHeaderBytes = 4;
}

bool RecordCursor::peek(uint16_t &number, std::span<const uint8_t> &data) {
    const size_t left = stream_.size() - offset_;
    if (left < kHeaderBytes) return false;
    const uint8_t *header = stream_.data() + offset_;
    const size_t length = load_u16(header + 2);
    if (length > left - kHeaderBytes) return false;
    number = load_u16(header);
    data = stream_.subspan(offset_ + kHeaderBytes, length);
    return true;
}

bool RecordCursor::next(ContinuedRecord &out) {
    if (failed_ || offset_ >= stream_.size()) return false;
    uint16_t number = 0;
    std::span<const uint8_t> data;
    if (!peek(number, data)) {
        failed_ = true;
        return false;
    }
    out.number = number;
    out.data.assign(data.begin(), data.end());
    out.continue_starts.clear();
    offset_ += kHeaderBytes + data.size();
    // A truncated CONTINUE is an error of this record: its data would be incomplete.
    while (offset_ < stream_.size()) {
        if (!peek(number, data)) {
            failed_ = true;
            return false;
        }
        if (number != rec::kContinue) break;
        out.continue_starts.push_back(out.data.size());
        out.data.insert(out.data.end(), data.begin(), data.end());
        offset_ += kHeaderBytes + data.size();
    }
    return true;
}

}  // namespace tabrix::engine
