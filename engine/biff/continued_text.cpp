#include "engine/biff/continued_text.h"

#include <algorithm>
#include <string>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

namespace {

constexpr uint8_t kWideFlag = 0x01;
// The 16-bit count and the option byte before an Excel 97 text's characters.
constexpr size_t kTextHeadSize = 3;

void put_image(std::vector<uint8_t> &out, uint16_t number, std::span<const uint8_t> data) {
    put_u16(out, number);
    put_u16(out, static_cast<uint16_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

bool take_continues(RecordReader &records, const RawRecord &record, ContinuedRecord &out) {
    // A CONTINUE longer than the format allows is none: it stays for the walk to stop at.
    const auto continues = [&records](RawRecord &next) {
        return records.peek(next) && next.number == rec::kContinue &&
               next.data.size() <= kMaxRecordData;
    };
    RawRecord next;
    if (!continues(next)) return false;
    out.number = record.number;
    out.data.assign(record.data.begin(), record.data.end());
    out.continue_starts.clear();
    while (continues(next)) {
        records.next(next);
        out.continue_starts.push_back(out.data.size());
        out.data.insert(out.data.end(), next.data.begin(), next.data.end());
    }
    return true;
}

std::vector<uint8_t> continue_images(const ContinuedRecord &record) {
    const std::span<const uint8_t> data(record.data);
    std::vector<uint8_t> out;
    out.reserve(data.size() + 4 * record.continue_starts.size());
    for (size_t i = 0; i < record.continue_starts.size(); ++i) {
        const size_t start = record.continue_starts[i];
        const size_t end =
            i + 1 < record.continue_starts.size() ? record.continue_starts[i + 1] : data.size();
        put_image(out, rec::kContinue, data.subspan(start, end - start));
    }
    return out;
}

std::optional<std::vector<uint8_t>> joined_text(const ContinuedRecord &record, size_t text_at,
                                                bool biff8) {
    const std::span<const uint8_t> in(record.data);
    if (text_at > in.size() || in.size() - text_at < 2) return std::nullopt;
    const size_t count = load_u16(in.data() + text_at);
    if (!biff8) {
        if (in.size() - text_at - 2 < count) return std::nullopt;
        return record.data;
    }
    // An empty text may lack its option byte.
    if (count == 0) return record.data;
    if (in.size() - text_at < kTextHeadSize) return std::nullopt;
    const uint8_t flags = in[text_at + 2];
    size_t pos = text_at + kTextHeadSize;
    std::u16string text;
    bool wide = false;
    if (!read_continued_characters(record, pos, count, flags, text, &wide)) return std::nullopt;
    std::vector<uint8_t> out(in.begin(), in.begin() + static_cast<ptrdiff_t>(text_at + 2));
    out.reserve(in.size() + (wide ? count : 0));
    put_u8(out, static_cast<uint8_t>(wide ? flags | kWideFlag : flags & ~kWideFlag));
    for (char16_t unit : text) {
        if (wide) {
            put_u16(out, unit);
        } else {
            put_u8(out, static_cast<uint8_t>(unit));
        }
    }
    out.insert(out.end(), in.begin() + static_cast<ptrdiff_t>(pos), in.end());
    return out;
}

std::span<const uint8_t> text_record_data(RecordReader &records, const RawRecord &record,
                                          size_t text_at, bool biff8,
                                          std::vector<uint8_t> &joined) {
    ContinuedRecord continued;
    if (!take_continues(records, record, continued)) return record.data;
    auto text = joined_text(continued, text_at, biff8);
    if (!text) return record.data;
    joined = std::move(*text);
    return joined;
}

std::vector<uint8_t> continued_text_images(uint16_t number, std::span<const uint8_t> data,
                                           size_t text_at, bool biff8, size_t limit) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + 8 * (data.size() / limit + 1));
    if (!biff8 || data.size() <= limit || text_at + kTextHeadSize >= limit) {
        // Excel 95 bytes go on as they are.
        put_image(out, number, data.first(std::min(limit, data.size())));
        for (size_t at = limit; at < data.size(); at += limit) {
            put_image(out, rec::kContinue, data.subspan(at, std::min(limit, data.size() - at)));
        }
        return out;
    }
    const uint8_t flags = data[text_at + 2];
    const size_t unit = (flags & kWideFlag) != 0 ? 2 : 1;
    size_t at = text_at + kTextHeadSize;
    // Only a CONTINUE the characters go on in starts with their option byte; what follows
    // them goes on as it is.
    const size_t text_end = std::min(data.size(), at + load_u16(data.data() + text_at) * unit);
    const size_t first = at + (limit - at) / unit * unit;
    put_image(out, number, data.first(std::min(first, data.size())));
    std::vector<uint8_t> piece;
    for (at = first; at < data.size();) {
        const bool characters = at < text_end;
        const size_t room = characters ? (limit - 1) / unit * unit : limit;
        const size_t size = std::min(room, data.size() - at);
        piece.clear();
        if (characters) piece.push_back(static_cast<uint8_t>(flags & kWideFlag));
        piece.insert(piece.end(), data.begin() + static_cast<ptrdiff_t>(at),
                     data.begin() + static_cast<ptrdiff_t>(at + size));
        put_image(out, rec::kContinue, piece);
        at += size;
    }
    return out;
}

}  // namespace tabrix::engine
