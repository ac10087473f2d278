// Strings are written into an 8224-byte record buffer as they arrive; a full buffer becomes
// the SST record (the first) or a CONTINUE record. Every eighth new string's position is kept
// for the EXTSST index.
#include "engine/cells/shared_strings.h"

#include <algorithm>
#include <deque>
#include <optional>
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
// Option flags of a string with formatting runs (4 bytes each, at most a 16-bit count of
// them) or a phonetic block.
constexpr uint8_t kRichFlag = 0x08;
constexpr uint8_t kPhoneticFlag = 0x04;
constexpr size_t kRunBytes = 4;
constexpr size_t kMaxRuns = 0xFFFF;
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

// A narrow text of ASCII characters only: each byte is one UTF-16 code unit.
struct AsciiText {
    std::string_view bytes;
};

constexpr uint64_t kHashMultiplier = 0x100000001b3u;
constexpr uint64_t kAsciiHighBits = 0x80808080u;

// Four ASCII bytes as the four 16-bit units they stand for, the first in the low bits.
uint64_t widened_word(uint32_t bytes) {
    uint64_t word = bytes;
    word = (word | word << 16) & 0x0000FFFF0000FFFFu;
    return (word | word << 8) & 0x00FF00FF00FF00FFu;
}

// Hash and equality over code units, so that an ASCII text finds the entry of the same
// units in UTF-16 without being widened first. Four units are mixed per step: a text takes
// a quarter of the dependent multiplications a unit-by-unit hash would.
// The multiplications carry a unit's bits only upwards, and the index takes the low bits: the
// last step folds every bit into every other, so that texts differing only in their last
// units do not crowd into neighbouring slots.
uint64_t finish_hash(uint64_t hash, uint64_t tail, size_t size) {
    hash = (hash ^ tail ^ (static_cast<uint64_t>(size) << 48)) * kHashMultiplier;
    hash = (hash ^ (hash >> 33)) * 0xff51afd7ed558ccdu;
    hash = (hash ^ (hash >> 33)) * 0xc4ceb9fe1a85ec53u;
    return hash ^ (hash >> 33);
}

size_t hash_units(std::u16string_view units) {
    uint64_t hash = 0xcbf29ce484222325u;
    size_t at = 0;
    for (; at + 4 <= units.size(); at += 4) {
        const uint64_t word =
            static_cast<uint64_t>(units[at]) | static_cast<uint64_t>(units[at + 1]) << 16 |
            static_cast<uint64_t>(units[at + 2]) << 32 | static_cast<uint64_t>(units[at + 3]) << 48;
        hash = (hash ^ word) * kHashMultiplier;
    }
    uint64_t tail = 0;
    for (int shift = 0; at < units.size(); ++at, shift += 16) {
        tail |= static_cast<uint64_t>(units[at]) << shift;
    }
    return static_cast<size_t>(finish_hash(hash, tail, units.size()));
}

// The hash of a narrow text's units, when it is ASCII; in the same pass as the test.
std::optional<size_t> ascii_hash(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325u;
    uint32_t high_bits = 0;
    size_t at = 0;
    for (; at + 4 <= bytes.size(); at += 4) {
        const uint32_t four = load_u32(reinterpret_cast<const uint8_t *>(bytes.data() + at));
        high_bits |= four;
        hash = (hash ^ widened_word(four)) * kHashMultiplier;
    }
    uint64_t tail = 0;
    for (int shift = 0; at < bytes.size(); ++at, shift += 16) {
        const auto byte = static_cast<uint8_t>(bytes[at]);
        high_bits |= byte;
        tail |= static_cast<uint64_t>(byte) << shift;
    }
    if (high_bits & kAsciiHighBits) return std::nullopt;
    return static_cast<size_t>(finish_hash(hash, tail, bytes.size()));
}

bool same_units(std::u16string_view a, std::u16string_view b) {
    return a == b;
}
bool same_units(AsciiText a, std::u16string_view b) {
    return std::equal(a.bytes.begin(), a.bytes.end(), b.begin(), b.end(),
                      [](char x, char16_t y) { return static_cast<char16_t>(x) == y; });
}

// The plain texts by their units: open addressing over a power-of-two table, so that a
// lookup hashes the text once, finds its place with a mask and compares only texts of the
// same hash.
class PlainTextIndex {
  public:
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    template <class Text>
    uint32_t find(Text text, size_t hash) const {
        if (slots_.empty()) return kNone;
        for (size_t at = hash & mask();; at = (at + 1) & mask()) {
            const Slot &slot = slots_[at];
            if (slot.text == nullptr) return kNone;
            if (slot.hash == hash && same_units(text, {slot.text, slot.size})) {
                return slot.number;
            }
        }
    }

    // Makes room for one more text, so that add() cannot fail; std::bad_alloc leaves the
    // index as it was.
    void reserve_one() {
        if (2 * (used_ + 1) <= slots_.size()) return;
        std::vector<Slot> grown(std::max<size_t>(64, 2 * slots_.size()));
        const size_t grown_mask = grown.size() - 1;
        for (const Slot &slot : slots_) {
            if (slot.text == nullptr) continue;
            size_t at = slot.hash & grown_mask;
            while (grown[at].text != nullptr) at = (at + 1) & grown_mask;
            grown[at] = slot;
        }
        slots_.swap(grown);
    }

    // A text not in the index, after reserve_one(); its units must outlive the index.
    void add(size_t hash, std::u16string_view text, uint32_t number) noexcept {
        size_t at = hash & mask();
        while (slots_[at].text != nullptr) at = (at + 1) & mask();
        slots_[at] = Slot{hash, text.data(), static_cast<uint32_t>(text.size()), number};
        ++used_;
    }

  private:
    // The units themselves, not their string: a lookup reaches them in one step.
    struct Slot {
        size_t hash = 0;
        const char16_t *text = nullptr;  // null: free
        uint32_t size = 0;
        uint32_t number = 0;
    };

    size_t mask() const { return slots_.size() - 1; }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

std::u16string widened(std::u16string_view text) {
    return std::u16string(text);
}
std::u16string widened(AsciiText text) {
    return std::u16string(text.bytes.begin(), text.bytes.end());
}

}  // namespace

struct SharedStringTable::Impl {
    // Where a bucket's first string starts: offset of its record from the first record's
    // header, and its offset inside that record counted from the record header.
    struct Bucket {
        uint32_t record_offset;
        uint16_t offset_in_record;
    };
    // How far the records had come before a string was written.
    struct Mark {
        size_t records;
        size_t fill;
        uint32_t completed_bytes;
        size_t buckets;
    };
    struct FormattedText {
        uint32_t number;
        std::u16string text;
    };

    PlainTextIndex index;
    std::deque<std::u16string> plain_texts;  // the texts the index points at
    // Texts with formatting runs or phonetic data, by text, runs and phonetic block together.
    std::unordered_map<std::string, FormattedText> formatted;
    std::vector<const std::u16string *> texts;  // every text, plain or formatted, by number
    std::vector<uint8_t> buffer;
    std::vector<Record> records;
    uint32_t completed_bytes = 0;  // on-disk size of the records in `records`
    std::vector<Bucket> buckets;
    uint32_t total = 0;
    uint32_t unique = 0;
    bool finished = false;

    template <class Text>
    uint32_t add_text(Text text, size_t hash);
    uint32_t add_formatted(std::u16string_view text, std::span<const uint8_t> runs,
                           std::span<const uint8_t> phonetic);
    Mark mark() const;
    void roll_back(const Mark &mark);
    void write_string(std::u16string_view text, std::span<const uint8_t> runs,
                      std::span<const uint8_t> phonetic);
    void flush();
    size_t room() const { return kRecordDataLimit - buffer.size(); }
};

// Looks the text up in place; only a new text is copied, into the table.
template <class Text>
uint32_t SharedStringTable::Impl::add_text(Text text, size_t hash) {
    if (finished) return kNotAdded;
    if (const uint32_t found = index.find(text, hash); found != PlainTextIndex::kNone) {
        ++total;
        return found;
    }

    // Each step that may run out of memory comes before the index changes.
    const Mark before = mark();
    index.reserve_one();
    plain_texts.push_back(widened(text));
    try {
        texts.push_back(&plain_texts.back());
        write_string(plain_texts.back(), {}, {});
    } catch (...) {
        roll_back(before);
        plain_texts.pop_back();
        throw;
    }
    index.add(hash, plain_texts.back(), unique);
    ++total;
    return unique++;
}

uint32_t SharedStringTable::Impl::add_formatted(std::u16string_view text,
                                                std::span<const uint8_t> runs,
                                                std::span<const uint8_t> phonetic) {
    if (finished) return kNotAdded;
    // The lengths close the key, so that no two forms give the same bytes.
    std::string form;
    form.reserve(text.size() * 2 + runs.size() + phonetic.size() + 12);
    for (char16_t unit : text) {
        form.push_back(static_cast<char>(unit & 0xFF));
        form.push_back(static_cast<char>(unit >> 8));
    }
    form.append(runs.begin(), runs.end());
    form.append(phonetic.begin(), phonetic.end());
    for (size_t length : {text.size(), runs.size(), phonetic.size()}) {
        for (int shift = 0; shift < 32; shift += 8) {
            form.push_back(static_cast<char>((length >> shift) & 0xFF));
        }
    }
    if (const auto found = formatted.find(form); found != formatted.end()) {
        ++total;
        return found->second.number;
    }

    const Mark before = mark();
    auto entry = formatted.end();
    try {
        entry =
            formatted.emplace(std::move(form), FormattedText{unique, std::u16string(text)}).first;
        texts.push_back(&entry->second.text);
        write_string(text, runs, phonetic);
    } catch (...) {
        roll_back(before);
        if (entry != formatted.end()) formatted.erase(entry);
        throw;
    }
    ++total;
    return unique++;
}

SharedStringTable::Impl::Mark SharedStringTable::Impl::mark() const {
    return Mark{records.size(), buffer.size(), completed_bytes, buckets.size()};
}

// Puts every record written since the mark back into the buffer and cuts it to where it was;
// moves cannot fail, so the table is as before.
void SharedStringTable::Impl::roll_back(const Mark &before) {
    while (records.size() > before.records) {
        buffer = std::move(records.back().data);
        records.pop_back();
    }
    buffer.resize(before.fill);
    completed_bytes = before.completed_bytes;
    buckets.resize(before.buckets);
    texts.resize(unique);
}

// Count, option flags (with the run count and phonetic size they announce), characters,
// runs and phonetic block. Characters that go on in the next record follow a repeated option
// byte; runs go on whole and the phonetic block byte by byte, without one.
void SharedStringTable::Impl::write_string(std::u16string_view text, std::span<const uint8_t> runs,
                                           std::span<const uint8_t> phonetic) {
    const Biff8Chars chars = biff8_chars(text);
    if (records.empty() && buffer.empty()) {
        buffer.reserve(kRecordDataLimit);
        buffer.resize(kCountBytes);
    }
    if (buffer.size() > kNewStringLimit) flush();
    if (unique % kStringsPerBucket == 0) {
        buckets.push_back(Bucket{completed_bytes, static_cast<uint16_t>(buffer.size() + 4)});
    }

    put_u16(buffer, static_cast<uint16_t>(chars.count));
    put_u8(buffer, static_cast<uint8_t>(chars.option_flags() | (runs.empty() ? 0 : kRichFlag) |
                                        (phonetic.empty() ? 0 : kPhoneticFlag)));
    if (!runs.empty()) put_u16(buffer, static_cast<uint16_t>(runs.size() / kRunBytes));
    if (!phonetic.empty()) put_u32(buffer, static_cast<uint32_t>(phonetic.size()));

    const size_t unit_bytes = chars.unit_bytes();
    size_t next = 0;
    while (true) {
        const size_t piece = std::min<size_t>(room() / unit_bytes, chars.count - next);
        put_bytes(buffer, chars.bytes.data() + next * unit_bytes, piece * unit_bytes);
        next += piece;
        if (next == chars.count) break;
        // The characters go on in the next record, which repeats the option byte.
        flush();
        put_u8(buffer, chars.option_flags());
    }
    for (size_t at = 0; at < runs.size(); at += kRunBytes) {
        if (room() < kRunBytes) flush();
        put_bytes(buffer, runs.data() + at, kRunBytes);
    }
    for (size_t at = 0; at < phonetic.size();) {
        if (room() == 0) flush();
        const size_t piece = std::min(room(), phonetic.size() - at);
        put_bytes(buffer, phonetic.data() + at, piece);
        at += piece;
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
    const std::string_view kept = narrow.substr(0, std::min(narrow.size(), kMaxCharacters));
    if (const std::optional<size_t> hash = ascii_hash(kept)) {
        return impl_->add_text(AsciiText{kept}, *hash);
    }
    const std::u16string wide = platform::cp932_to_utf16(narrow);
    return add(wide);
}

uint32_t SharedStringTable::add(std::u16string_view wide) {
    const std::u16string_view kept = wide.substr(0, capped_length(wide));
    return impl_->add_text(kept, hash_units(kept));
}

uint32_t SharedStringTable::add(std::u16string_view wide, std::span<const uint8_t> runs,
                                std::span<const uint8_t> phonetic) {
    const size_t length = capped_length(wide);
    runs = runs.first(std::min(runs.size() / kRunBytes, kMaxRuns) * kRunBytes);
    if (length < wide.size()) {
        // Runs are in character order: those from the cut on have nothing left to format.
        size_t kept = 0;
        while (kept < runs.size() && load_u16(runs.data() + kept) < length) kept += kRunBytes;
        runs = runs.first(kept);
        phonetic = {};
    }
    if (runs.empty() && phonetic.empty()) return add(wide);
    return impl_->add_formatted(wide.substr(0, length), runs, phonetic);
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
