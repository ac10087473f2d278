#include "engine/edit/objects/autofilter.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/references/name_references.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// NAME: options, shortcut, name length, expression length, then (at 8) the 1-based sheet
// of a sheet's own name. The filter database is built-in name 0x0D.
constexpr uint16_t kBuiltIn = 0x0020;
constexpr size_t kNameSheetAt = 8;
constexpr uint8_t kFilterDatabase = 0x0D;
// An Excel 97 ptgArea3d (its code without the class bits): code, EXTERNSHEET index, rows,
// then the column fields.
constexpr uint8_t kArea3d = 0x1B;
constexpr uint8_t kClassBits = 0x60;
constexpr size_t kArea3dBytes = 11;
constexpr size_t kArea3dColumnsAt = 7;
constexpr uint16_t kColumnMask = 0x00FF;

// The first and last column of the sheet's filter range, when its name is a plain area.
std::optional<std::pair<int32_t, int32_t>> filter_columns(const Workbook &book, int32_t sheet) {
    for (const Record &record : book.external_references.records()) {
        const std::vector<uint8_t> &data = record.data;
        if (record.number != rec::kName || data.size() < 16 ||
            !(load_u16(data.data()) & kBuiltIn) || data[3] != 1 ||
            load_u16(data.data() + kNameSheetAt) != sheet + 1) {
            continue;
        }
        const auto bounds = name_expression(data, true);
        if (!bounds || bounds->at < 1 || data[bounds->at - 1] != kFilterDatabase ||
            bounds->length != kArea3dBytes || (data[bounds->at] & ~kClassBits) != kArea3d) {
            continue;
        }
        const uint8_t *columns = data.data() + bounds->at + kArea3dColumnsAt;
        return std::pair{load_u16(columns) & kColumnMask, load_u16(columns + 2) & kColumnMask};
    }
    return std::nullopt;
}

}  // namespace

int32_t check_autofilter(const RecordList &records) {
    for (const Record &record : records.records()) {
        if ((record.number == rec::kAutoFilterInfo || record.number == rec::kAutoFilter) &&
            record.data.size() < 2) {
            return kUnwalkableFormula;
        }
    }
    return 0;
}

void move_autofilter(Workbook &book, const GridMove &move) {
    if (move.rows || !book.biff8()) return;
    const auto columns = filter_columns(book, move.sheet);
    if (!columns) return;
    int32_t first = columns->first;
    int32_t last = columns->second;
    const bool kept = move_span(move.axis, first, true, last, true);
    std::vector<Record> &records =
        book.sheets[static_cast<size_t>(move.sheet)]->carried.settings.records();
    std::erase_if(records, [&](Record &record) {
        if (record.number == rec::kAutoFilterInfo) {
            if (!kept) return true;
            store_u16(record.data.data(), static_cast<uint16_t>(last - first + 1));
        } else if (record.number == rec::kAutoFilter) {
            const int32_t moved =
                move_position(move.axis, columns->first + load_u16(record.data.data()));
            if (!kept || moved < first || moved > last) return true;
            store_u16(record.data.data(), static_cast<uint16_t>(moved - first));
        }
        return false;
    });
}

}  // namespace tabrix::engine
