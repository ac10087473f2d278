#include "engine/edit/objects/conditional_formats.h"

#include <array>

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
    std::vector<Record> &records = sheet.carried.trailer.records();
    std::vector<Record> out;
    out.reserve(records.size());
    for (size_t i = 0; i < records.size();) {
        if (records[i].number != rec::kCondFmt) {
            out.push_back(std::move(records[i++]));
            continue;
        }
        Record condfmt = std::move(records[i++]);
        size_t rules_end = i;
        while (rules_end < records.size() && records[rules_end].number == rec::kCf) ++rules_end;
        size_t end = 0;
        std::optional<std::vector<CellRange>> ranges = condfmt_ranges(condfmt.data, &end);
        if (!ranges) continue;  // refused before anything moved
        move_range_list(*ranges, move);
        if (ranges->empty()) {
            i = rules_end;  // its rules go with it
            continue;
        }
        // The rules' relative references count from the top-left cell of the bounds.
        const CellRange bounds = bounds_of(*ranges);
        std::vector<uint8_t> data(condfmt.data.begin(), condfmt.data.begin() + kRangesAt);
        store_range(data.data() + kBoundsAt, bounds);
        put_range_list(data, *ranges);
        data.insert(data.end(), condfmt.data.begin() + static_cast<ptrdiff_t>(end),
                    condfmt.data.end());
        condfmt.data = std::move(data);
        out.push_back(std::move(condfmt));
        for (; i < rules_end; ++i) {
            if (const auto formulas = cf_formulas(std::span<uint8_t>(records[i].data))) {
                for (const auto &formula : *formulas) {
                    move_anchored_expression(formula, move, bounds);
                }
            }
            out.push_back(std::move(records[i]));
        }
    }
    records = std::move(out);
}

}  // namespace tabrix::engine
