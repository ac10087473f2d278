#include "engine/biff/common_records.h"

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

namespace {
constexpr size_t kBiff5BofBytes = 8;
constexpr size_t kBiff8BofBytes = 16;
}  // namespace

BofFields bof_fields(bool biff8, uint16_t type) {
    if (biff8) return BofFields{kBofBiff8, type, 0x0E91, 1996, 0x00000041, 0x00000006};
    return BofFields{kBofBiff5, type, 0x0C31, 1994, 0, 0};
}

std::vector<uint8_t> bof_body(const BofFields &fields) {
    std::vector<uint8_t> body;
    body.reserve(kBiff8BofBytes);
    put_u16(body, fields.version);
    put_u16(body, fields.type);
    put_u16(body, fields.build);
    put_u16(body, fields.year);
    if (fields.version >= kBofBiff8) {
        put_u32(body, fields.history);
        put_u32(body, fields.lowest_version);
    }
    return body;
}

Record bof_record(bool biff8, uint16_t type) {
    return Record{rec::kBof, bof_body(bof_fields(biff8, type))};
}

std::optional<BofFields> read_bof(std::span<const uint8_t> body) {
    if (body.size() < 4) return std::nullopt;
    BofFields fields;
    fields.version = load_u16(body.data());
    fields.type = load_u16(body.data() + 2);
    if (body.size() >= kBiff5BofBytes) {
        fields.build = load_u16(body.data() + 4);
        fields.year = load_u16(body.data() + 6);
    }
    if (body.size() >= kBiff8BofBytes) {
        fields.history = load_u32(body.data() + 8);
        fields.lowest_version = load_u32(body.data() + 12);
    }
    return fields;
}

Record eof_record() {
    return Record{rec::kEof, {}};
}

}  // namespace tabrix::engine
