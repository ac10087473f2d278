#include "engine/edit/objects/data_validations.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// DVAL: options, the drop-down's position (two 4-byte fields), its object, the rule count.
constexpr size_t kDvalBytes = 18;
constexpr size_t kDvalObjectAt = 10;
constexpr size_t kDvalCountAt = 14;
constexpr uint32_t kNoObject = 0xFFFFFFFF;
// DV: options, four texts (title and text of the prompt and of the error), two formulas
// (length, two unused bytes, tokens), then the range list.
constexpr size_t kDvTextsAt = 4;
constexpr size_t kTextCount = 4;
constexpr uint8_t kHighByte = 0x01;

// Where a DV's parts lie.
struct DvLayout {
    size_t formulas[2] = {};  // the tokens of each
    size_t lengths[2] = {};
    size_t ranges_at = 0;
    size_t ranges_end = 0;
    std::vector<CellRange> ranges;
};

std::optional<DvLayout> dv_layout(std::span<const uint8_t> data) {
    size_t at = kDvTextsAt;
    for (size_t i = 0; i < kTextCount; ++i) {
        if (data.size() < at + 3) return std::nullopt;
        const size_t characters = load_u16(data.data() + at);
        const uint8_t options = data[at + 2];
        if (options & ~kHighByte) return std::nullopt;  // rich or phonetic: not a DV text
        at += 3;
        const size_t bytes = characters * ((options & kHighByte) ? 2 : 1);
        if (bytes > data.size() - at) return std::nullopt;
        at += bytes;
    }
    DvLayout layout;
    for (size_t i = 0; i < 2; ++i) {
        if (data.size() < at + 4) return std::nullopt;
        const size_t length = load_u16(data.data() + at);
        at += 4;
        if (length > data.size() - at ||
            check_tokens(data.subspan(at, length), BiffVersion::kBiff8) != 0) {
            return std::nullopt;
        }
        layout.formulas[i] = at;
        layout.lengths[i] = length;
        at += length;
    }
    layout.ranges_at = at;
    auto ranges = load_range_list(data, at, &layout.ranges_end);
    if (!ranges) return std::nullopt;
    layout.ranges = std::move(*ranges);
    return layout;
}

void store_dv_ranges(Record &record, const DvLayout &layout, const std::vector<CellRange> &ranges) {
    std::vector<uint8_t> data(record.data.begin(),
                              record.data.begin() + static_cast<ptrdiff_t>(layout.ranges_at));
    put_range_list(data, ranges);
    data.insert(data.end(), record.data.begin() + static_cast<ptrdiff_t>(layout.ranges_end),
                record.data.end());
    record.data = std::move(data);
}

// Moves one DV: false when none of its cells remains.
bool move_dv(Record &record, const GridMove &move) {
    std::optional<DvLayout> layout = dv_layout(record.data);
    if (!layout) return true;  // refused before anything moved
    move_range_list(layout->ranges, move);
    if (layout->ranges.empty()) return false;
    // Relative references count from the top-left cell of the first range.
    for (size_t i = 0; i < 2; ++i) {
        move_anchored_expression(
            std::span(record.data).subspan(layout->formulas[i], layout->lengths[i]), move,
            layout->ranges.front());
    }
    store_dv_ranges(record, *layout, layout->ranges);
    return true;
}

// DVAL counts the rules left; without rules and without a drop-down object it says nothing.
void count_rules(std::vector<Record> &records) {
    const auto dval = std::find_if(records.begin(), records.end(), [](const Record &record) {
        return record.number == rec::kDval;
    });
    if (dval == records.end()) return;
    const size_t left = std::count_if(records.begin(), records.end(), [](const Record &record) {
        return record.number == rec::kDv;
    });
    if (left == 0 && load_u32(dval->data.data() + kDvalObjectAt) == kNoObject) {
        records.erase(dval);
        return;
    }
    store_u32(dval->data.data() + kDvalCountAt, static_cast<uint32_t>(left));
}

}  // namespace

int32_t check_data_validations(const RecordList &records) {
    for (const Record &record : records.records()) {
        if ((record.number == rec::kDval && record.data.size() < kDvalBytes) ||
            (record.number == rec::kDv && !dv_layout(record.data))) {
            return kUnwalkableFormula;
        }
    }
    return 0;
}

void move_data_validations(Sheet &sheet, const GridMove &move) {
    std::vector<Record> &records = sheet.carried.trailer.records();
    const size_t before = records.size();
    std::erase_if(records, [&](Record &record) {
        return record.number == rec::kDv && !move_dv(record, move);
    });
    if (records.size() != before) count_rules(records);
}

void copy_data_validations(const Sheet &sheet, const CellRange &copied,
                           std::vector<CopiedRule> &out) {
    for (const Record &record : sheet.carried.trailer.records()) {
        if (record.number != rec::kDv) continue;
        const std::optional<DvLayout> layout = dv_layout(record.data);
        if (!layout) continue;  // refused before the copy
        std::vector<MergedRange> parts = copied_rule_ranges(layout->ranges, copied);
        if (parts.empty()) continue;
        out.push_back(CopiedRule{
            std::vector<uint8_t>(record.data.begin(),
                                 record.data.begin() + static_cast<ptrdiff_t>(layout->ranges_at)),
            std::move(parts)});
    }
}

void paste_data_validations(Sheet &sheet, const std::vector<CopiedRule> &copied,
                            const CellRange &target, int32_t dx, int32_t dy) {
    std::vector<Record> &records = sheet.carried.trailer.records();
    const size_t before = records.size();
    std::erase_if(records, [&](Record &record) {
        if (record.number != rec::kDv) return false;
        const std::optional<DvLayout> layout = dv_layout(record.data);
        if (!layout) return false;  // refused before the paste
        const auto identity = std::span(record.data).first(layout->ranges_at);
        const std::vector<CellRange> ranges =
            pasted_rule_ranges(layout->ranges, target, find_copied_rule(copied, identity), dx, dy);
        if (ranges.empty()) return true;
        store_dv_ranges(record, *layout, ranges);
        return false;
    });
    if (records.size() != before) count_rules(records);
}

}  // namespace tabrix::engine
