// Strings are written into an 8224-byte record buffer as they arrive; a full buffer becomes
// the SST record (the first) or a CONTINUE record. Every eighth new string's position is kept
// for the EXTSST index.
#include "engine/cells/shared_strings.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "platform/codepage.h"

namespace tabrix::engine {
namespace {

constexpr size_t kRecordDataLimit = 8224;
// A new string starts in a fresh record once the buffer holds more than this, so that its
// 3-byte header and at least its first character always share one record.
constexpr size_t kNewStringLimit = 8208;
constexpr size_t kCountBytes = 8;  // total and unique counts at the start of the SST data
constexpr size_t kMaxCharacters = 32767;
constexpr uint32_t kStringsPerBucket = 8;

constexpr size_t kExtSstFixedBytes = 322;
constexpr size_t kExtSstLimit = 2036;
constexpr size_t kExtSstEntryBytes = 8;

// The length a text is cut to: at most 32767 units, one fewer if the cut would leave the
// high half of a surrogate pair behind.
size_t capped_length(std::u16string_view text) {
    if (text.size() <= kMaxCharacters) return text.size();
    const char16_t last = text[kMaxCharacters - 1];
    return last >= 0xD800 && last <= 0xDBFF ? kMaxCharacters - 1 : kMaxCharacters;
}

}  // namespace

struct SharedStringTable::Impl {
    // Where a bucket's first string starts: offset of its record from the first record's
    // header, and its offset inside that record counted from the record header.
    struct Bucket {
        uint32_t record_offset;
        uint16_t offset_in_record;
    };

    std::unordered_map<std::u16string, uint32_t> index;
    std::vector<const std::u16string *> texts;  // keys of `index` by their number
    std::u16string key;  // the text being looked up; reused so lookups do not allocate
    std::vector<uint8_t> buffer;
    std::vector<Record> records;
    uint32_t completed_bytes = 0;  // on-disk size of the records in `records`
    std::vector<Bucket> buckets;
    uint32_t total = 0;
    uint32_t unique = 0;
    bool finished = false;

    uint32_t add_key();
    void write_string();
    void flush();
};

// Adds the text held in `key`.
uint32_t SharedStringTable::Impl::add_key() {
    if (finished) return kNotAdded;
    if (const auto found = index.find(key); found != index.end()) {
        ++total;
        return found->second;
    }

    const size_t saved_records = records.size();
    const size_t saved_fill = buffer.size();
    const uint32_t saved_completed = completed_bytes;
    const size_t saved_buckets = buckets.size();
    auto entry = index.end();
    try {
        entry = index.emplace(key, unique).first;
        texts.push_back(&entry->first);
        write_string();
    } catch (...) {
        // Put every record written for this string back into the buffer and cut it to where
        // it was; moves cannot fail, so the table is as before.
        while (records.size() > saved_records) {
            buffer = std::move(records.back().data);
            records.pop_back();
        }
        buffer.resize(saved_fill);
        completed_bytes = saved_completed;
        buckets.resize(saved_buckets);
        texts.resize(unique);
        if (entry != index.end()) index.erase(entry);
        throw;
    }
    ++total;
    return unique++;
}

void SharedStringTable::Impl::write_string() {
    const Biff8Chars chars = biff8_chars(key);
    if (records.empty() && buffer.empty()) {
        buffer.reserve(kRecordDataLimit);
        buffer.resize(kCountBytes);
    }
    if (buffer.size() > kNewStringLimit) flush();
    if (unique % kStringsPerBucket == 0) {
        buckets.push_back(Bucket{completed_bytes, static_cast<uint16_t>(buffer.size() + 4)});
    }

    put_u16(buffer, static_cast<uint16_t>(chars.count));
    put_u8(buffer, chars.option_flags());

    const size_t unit_bytes = chars.unit_bytes();
    size_t next = 0;
    while (true) {
        const size_t room = (kRecordDataLimit - buffer.size()) / unit_bytes;
        const size_t piece = std::min<size_t>(room, chars.count - next);
        put_bytes(buffer, chars.bytes.data() + next * unit_bytes, piece * unit_bytes);
        next += piece;
        if (next == chars.count) break;
        // The characters go on in the next record, which repeats the option byte.
        flush();
        put_u8(buffer, chars.option_flags());
    }
}

void SharedStringTable::Impl::flush() {
    records.push_back(Record{records.empty() ? rec::kSst : rec::kContinue, {}});
    records.back().data.swap(buffer);
    completed_bytes += static_cast<uint32_t>(records.back().disk_size());
    buffer.reserve(kRecordDataLimit);
}

SharedStringTable::SharedStringTable() : impl_(std::make_unique<Impl>()) {}
SharedStringTable::~SharedStringTable() = default;

uint32_t SharedStringTable::add(std::string_view narrow) {
    if (is_ascii(narrow)) {
        const size_t length = std::min(narrow.size(), kMaxCharacters);
        impl_->key.resize(length);
        std::copy_n(narrow.begin(), length, impl_->key.begin());
        return impl_->add_key();
    }
    impl_->key = platform::cp932_to_utf16(narrow);
    impl_->key.resize(capped_length(impl_->key));
    return impl_->add_key();
}

uint32_t SharedStringTable::add(std::u16string_view wide) {
    impl_->key.assign(wide.substr(0, capped_length(wide)));
    return impl_->add_key();
}

void SharedStringTable::finish() {
    if (impl_->finished) return;
    if (!impl_->buffer.empty()) impl_->flush();
    if (!impl_->records.empty()) {
        uint8_t *counts = impl_->records.front().data.data();
        store_u32(counts, impl_->total);
        store_u32(counts + 4, impl_->unique);
    }
    impl_->finished = true;
}

const std::vector<Record> &SharedStringTable::records() const {
    return impl_->records;
}

size_t SharedStringTable::byte_total() const {
    const size_t pending = impl_->buffer.empty() ? 0 : impl_->buffer.size() + 4;
    return impl_->completed_bytes + pending;
}

// Bucket size d grows in steps of 8 until the record stays below 2036 bytes; since a
// position was kept every 8 strings, bucket b starts at kept position b * d / 8.
std::vector<uint8_t> SharedStringTable::extsst(uint32_t sst_stream_offset) const {
    const uint32_t unique = impl_->unique;
    uint32_t bucket_size = kStringsPerBucket;
    while (kExtSstEntryBytes * (unique / bucket_size) + kExtSstFixedBytes >= kExtSstLimit) {
        bucket_size += kStringsPerBucket;
    }
    std::vector<uint8_t> data(kExtSstEntryBytes * (unique / bucket_size) + kExtSstFixedBytes, 0);
    store_u16(data.data(), static_cast<uint16_t>(bucket_size));
    for (uint32_t bucket = 0; bucket * bucket_size < unique; ++bucket) {
        const size_t kept = static_cast<size_t>(bucket) * (bucket_size / kStringsPerBucket);
        const size_t at = 2 + bucket * kExtSstEntryBytes;
        if (kept >= impl_->buckets.size() || at + kExtSstEntryBytes > data.size()) break;
        const Impl::Bucket &position = impl_->buckets[kept];
        store_u32(data.data() + at,
                  sst_stream_offset + position.record_offset + position.offset_in_record);
        store_u16(data.data() + at + 4, static_cast<uint16_t>(position.offset_in_record));
    }
    return data;
}

const std::u16string *SharedStringTable::text(uint32_t index) const {
    return index < impl_->texts.size() ? impl_->texts[index] : nullptr;
}

uint32_t SharedStringTable::total_count() const {
    return impl_->total;
}
uint32_t SharedStringTable::unique_count() const {
    return impl_->unique;
}

}  // namespace tabrix::engine
