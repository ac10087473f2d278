#include "engine/edit/objects/conditional_formats.h"

#include <array>
#include <iterator>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// CONDFMT: rule count, options, the bounds of its ranges, then the range list.
constexpr size_t kBoundsAt = 4;
constexpr size_t kRangesAt = 12;
// CF: type, operator, the lengths of its two formulas, options, then the formats; the
// formulas' tokens end the record.
constexpr size_t kFirstLengthAt = 2;
constexpr size_t kSecondLengthAt = 4;
constexpr size_t kCfHeadBytes = 12;

std::optional<std::vector<CellRange>> condfmt_ranges(std::span<const uint8_t> data, size_t *end) {
    if (data.size() < kRangesAt) return std::nullopt;
    auto ranges = load_range_list(data, kRangesAt, end);
    if (!ranges || ranges->empty()) return std::nullopt;
    return ranges;
}

// The two formulas of a CF, or nothing when they do not fit.
template <class Byte>
std::optional<std::array<std::span<Byte>, 2>> cf_formulas(std::span<Byte> data) {
    if (data.size() < kCfHeadBytes) return std::nullopt;
    const size_t first = load_u16(data.data() + kFirstLengthAt);
    const size_t second = load_u16(data.data() + kSecondLengthAt);
    if (first + second > data.size() - kCfHeadBytes) return std::nullopt;
    const size_t at = data.size() - first - second;
    return std::array{data.subspan(at, first), data.subspan(at + first, second)};
}

// The CF records that follow the CONDFMT at `at`.
template <class Records>
auto rules_after(Records &records, size_t at) {
    size_t end = at + 1;
    while (end < records.size() && records[end].number == rec::kCf) ++end;
    return std::span(records.data() + at + 1, end - at - 1);
}

// What a conditional format is without its ranges: its rule count and options, and its rules.
std::vector<uint8_t> format_identity(const Record &condfmt, std::span<const Record> rules) {
    std::vector<uint8_t> identity(condfmt.data.begin(), condfmt.data.begin() + kBoundsAt);
    for (const Record &rule : rules) {
        put_u16(identity, static_cast<uint16_t>(rule.data.size()));
        identity.insert(identity.end(), rule.data.begin(), rule.data.end());
    }
    return identity;
}

// Rebuilds every CONDFMT (checked) with the ranges `edit` gives it from its present ranges
// and rules, which it may change; one left without ranges goes with its rules.
template <class Edit>
void edit_formats(std::vector<Record> &records, Edit &&edit) {
    std::vector<Record> out;
    out.reserve(records.size());
    for (size_t i = 0; i < records.size();) {
        if (records[i].number != rec::kCondFmt) {
            out.push_back(std::move(records[i++]));
            continue;
        }
        const std::span<Record> rules = rules_after(records, i);
        Record condfmt = std::move(records[i]);
        i += 1 + rules.size();
        size_t end = 0;
        std::optional<std::vector<CellRange>> ranges = condfmt_ranges(condfmt.data, &end);
        if (!ranges) continue;  // refused before anything changed
        const std::vector<CellRange> kept = edit(condfmt, std::move(*ranges), rules);
        if (kept.empty()) continue;  // its rules go with it
        std::vector<uint8_t> data(condfmt.data.begin(), condfmt.data.begin() + kRangesAt);
        store_range(data.data() + kBoundsAt, bounds_of(kept));
        put_range_list(data, kept);
        data.insert(data.end(), condfmt.data.begin() + static_cast<ptrdiff_t>(end),
                    condfmt.data.end());
        condfmt.data = std::move(data);
        out.push_back(std::move(condfmt));
        std::move(rules.begin(), rules.end(), std::back_inserter(out));
    }
    records = std::move(out);
}

}  // namespace

int32_t check_conditional_formats(const RecordList &records) {
    for (const Record &record : records.records()) {
        if (record.number == rec::kCondFmt) {
            size_t end = 0;
            if (!condfmt_ranges(record.data, &end)) return kUnwalkableFormula;
        } else if (record.number == rec::kCf) {
            const auto formulas = cf_formulas(std::span<const uint8_t>(record.data));
            if (!formulas) return kUnwalkableFormula;
            for (const auto &formula : *formulas) {
                if (check_tokens(formula, BiffVersion::kBiff8) != 0) return kUnwalkableFormula;
            }
        }
    }
    return 0;
}

void move_conditional_formats(Sheet &sheet, const GridMove &move) {
    edit_formats(sheet.carried.trailer.records(),
                 [&](const Record &, std::vector<CellRange> ranges, std::span<Record> rules) {
                     move_range_list(ranges, move);
                     if (ranges.empty()) return ranges;
                     // The rules' relative references count from the top-left cell of the bounds.
                     const CellRange bounds = bounds_of(ranges);
                     for (Record &rule : rules) {
                         if (const auto formulas = cf_formulas(std::span<uint8_t>(rule.data))) {
                             for (const auto &formula : *formulas) {
                                 move_anchored_expression(formula, move, bounds);
                             }
                         }
                     }
                     return ranges;
                 });
}

void copy_conditional_formats(const Sheet &sheet, const CellRange &copied,
                              std::vector<CopiedRule> &out) {
    const std::vector<Record> &records = sheet.carried.trailer.records();
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].number != rec::kCondFmt) continue;
        size_t end = 0;
        const auto ranges = condfmt_ranges(records[i].data, &end);
        if (!ranges) continue;  // refused before the copy
        std::vector<MergedRange> parts = copied_rule_ranges(*ranges, copied);
        if (parts.empty()) continue;
        out.push_back(
            CopiedRule{format_identity(records[i], rules_after(records, i)), std::move(parts)});
    }
}

void paste_conditional_formats(Sheet &sheet, const std::vector<CopiedRule> &copied,
                               const CellRange &target, int32_t dx, int32_t dy) {
    edit_formats(
        sheet.carried.trailer.records(),
        [&](const Record &condfmt, std::vector<CellRange> ranges, std::span<Record> rules) {
            const CopiedRule *rule = find_copied_rule(copied, format_identity(condfmt, rules));
            return pasted_rule_ranges(ranges, target, rule, dx, dy);
        });
}

}  // namespace tabrix::engine
