#include "engine/edit/references/name_references.h"

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// NAME data: options, shortcut key, name length (characters), expression length, two sheet
// fields and four text lengths; then the name (Excel 97: an option byte first, then 8-bit or
// UTF-16 characters) and the expression.
constexpr size_t kNameLengthAt = 3;
constexpr size_t kExpressionLengthAt = 4;
constexpr size_t kNameTextAt = 14;
constexpr uint8_t kHighByte = 0x01;

BiffVersion version_of(bool biff8) {
    return biff8 ? BiffVersion::kBiff8 : BiffVersion::kBiff5;
}

}  // namespace

std::optional<ExpressionBounds> name_expression(std::span<const uint8_t> data, bool biff8) {
    if (data.size() < kNameTextAt + (biff8 ? 1 : 0)) return std::nullopt;
    size_t name_bytes = data[kNameLengthAt];
    size_t at = kNameTextAt;
    if (biff8) {
        if (data[at] & kHighByte) name_bytes *= 2;
        ++at;
    }
    const size_t length = load_u16(data.data() + kExpressionLengthAt);
    if (name_bytes > data.size() - at || length > data.size() - at - name_bytes) {
        return std::nullopt;
    }
    return ExpressionBounds{at + name_bytes, length, kNameTextAt};
}

bool names_walkable(const Workbook &book) {
    for (const Record &record : book.external_references.records()) {
        if (record.number != rec::kName) continue;
        const auto bounds = name_expression(record.data, book.biff8());
        if (!bounds || check_tokens(std::span(record.data).subspan(bounds->at, bounds->length),
                                    version_of(book.biff8())) != 0) {
            return false;
        }
    }
    return true;
}

void move_name_references(Workbook &book, const ReferenceMove &move) {
    if (!book.biff8()) return;
    for (Record &record : book.external_references.records()) {
        if (record.number != rec::kName) continue;
        if (const auto bounds = name_expression(record.data, true)) {
            move_expression(std::span(record.data).subspan(bounds->at, bounds->length), move);
        }
    }
}

}  // namespace tabrix::engine
