#include "engine/edit/objects/hyperlinks.h"

#include <algorithm>

#include "engine/biff/record_numbers.h"
#include "engine/edit/copy_buffer.h"

namespace tabrix::engine {
namespace {

// HLINK starts with its range; HLINKTOOLTIP with its record number, then the range.
constexpr size_t kTooltipRangeAt = 2;

size_t range_at(uint16_t number) {
    return number == rec::kHlinkTooltip ? kTooltipRangeAt : 0;
}

bool is_link(uint16_t number) {
    return number == rec::kHlink || number == rec::kHlinkTooltip;
}

// An HLINK with its CONTINUE records and the HLINKTOOLTIP after it, or a tooltip alone.
using Link = std::vector<Record>;

CellRange range_of(const Link &link) {
    return load_range(link.front().data.data() + range_at(link.front().number));
}

void set_range(Link &link, const CellRange &range) {
    for (Record &record : link) {
        if (is_link(record.number))
            store_range(record.data.data() + range_at(record.number), range);
    }
}

// Each link of the records, in order; other records are passed to `other`.
template <class OnLink, class OnOther>
void for_each_link(const std::vector<Record> &records, OnLink &&on_link, OnOther &&on_other) {
    for (size_t i = 0; i < records.size();) {
        if (!is_link(records[i].number)) {
            on_other(records[i++]);
            continue;
        }
        Link link{records[i++]};
        bool tooltip = link.front().number == rec::kHlinkTooltip;
        while (i < records.size() && (records[i].number == rec::kContinue ||
                                      (!tooltip && records[i].number == rec::kHlinkTooltip))) {
            tooltip = tooltip || records[i].number == rec::kHlinkTooltip;
            link.push_back(records[i++]);
        }
        on_link(std::move(link));
    }
}

// Rebuilds the trailer with each link replaced by what `edit` makes of it.
template <class Edit>
void edit_links(RecordList &trailer, Edit &&edit) {
    std::vector<Record> out;
    out.reserve(trailer.records().size());
    for_each_link(
        trailer.records(),
        [&](Link link) {
            for (Link &piece : edit(std::move(link))) {
                std::move(piece.begin(), piece.end(), std::back_inserter(out));
            }
        },
        [&](const Record &record) { out.push_back(record); });
    trailer.records() = std::move(out);
}

}  // namespace

int32_t check_hyperlinks(const RecordList &records) {
    for (const Record &record : records.records()) {
        if (is_link(record.number) && record.data.size() < range_at(record.number) + kRangeBytes) {
            return kUnwalkableFormula;
        }
    }
    return 0;
}

void move_hyperlinks(Sheet &sheet, const GridMove &move) {
    edit_links(sheet.carried.trailer, [&](Link link) {
        CellRange range = range_of(link);
        if (!move_range(range, move)) return std::vector<Link>{};
        set_range(link, range);
        return std::vector<Link>{std::move(link)};
    });
}

void clear_hyperlinks(Sheet &sheet, const CellRect &rect) {
    const CellRange cleared = range_of(rect);
    edit_links(sheet.carried.trailer, [&](Link link) {
        std::vector<Link> pieces;
        for (const CellRange &range : difference(range_of(link), cleared)) {
            set_range(pieces.emplace_back(link), range);
        }
        return pieces;
    });
}

void copy_hyperlinks(const Sheet &sheet, const CellRect &rect, RecordList &out) {
    const CellRange copied = range_of(rect);
    for_each_link(
        sheet.carried.trailer.records(),
        [&](Link link) {
            const auto common = intersection(range_of(link), copied);
            if (!common) return;
            set_range(link, *common);
            std::move(link.begin(), link.end(), std::back_inserter(out.records()));
        },
        [](const Record &) {});
}

void paste_hyperlinks(Sheet &sheet, const RecordList &copied, int32_t dx, int32_t dy) {
    std::vector<Record> pasted;
    const CellRange sheet_range{0, kLastRow, 0, kLastColumn};
    for_each_link(
        copied.records(),
        [&](Link link) {
            CellRange range = range_of(link);
            range.first_row += dy;
            range.last_row += dy;
            range.first_column += dx;
            range.last_column += dx;
            const auto kept = intersection(range, sheet_range);
            if (!kept) return;
            set_range(link, *kept);
            std::move(link.begin(), link.end(), std::back_inserter(pasted));
        },
        [](const Record &) {});
    if (pasted.empty()) return;
    // After the sheet's last hyperlink, else before the validations and what follows them.
    std::vector<Record> &trailer = sheet.carried.trailer.records();
    auto at = std::find_if(trailer.rbegin(), trailer.rend(), [](const Record &record) {
                  return is_link(record.number);
              }).base();
    if (at == trailer.begin()) {
        at = std::find_if(trailer.begin(), trailer.end(), [](const Record &record) {
            return record.number == rec::kDval || record.number == rec::kDv ||
                   record.number == rec::kSheetExt || record.number == rec::kFeatHdr ||
                   record.number == rec::kFeat || record.number == rec::kFeatHdr11 ||
                   record.number == rec::kFeat11;
        });
    } else {
        while (at != trailer.end() && at->number == rec::kContinue) ++at;
    }
    trailer.insert(at, std::make_move_iterator(pasted.begin()),
                   std::make_move_iterator(pasted.end()));
}

}  // namespace tabrix::engine
