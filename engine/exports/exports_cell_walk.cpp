// C entry point: the cells of a sheet of a workbook's file, many in one call, for readers
// that go through whole sheets; one call per cell costs more than the cell itself.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/exports/boundary.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

constexpr int32_t kNoFile = -6;
constexpr int32_t kSheetEnd = 0;
constexpr int32_t kSheetObjects = -1;

enum WalkKind : int32_t { kBlank = 0, kInteger = 1, kNumber = 2, kValue = 3, kText = 4 };

bool ends_walk(uint16_t number) {
    return number == rec::kObj || number == rec::kImData || number == rec::kMsoDrawing;
}

// The caller's cells and text buffer, filled from the front.
class CellBlock {
  public:
    CellBlock(XLWALKCELL *cells, int32_t capacity, char16_t *text, int32_t text_size)
        : cells_(cells),
          capacity_(static_cast<size_t>(capacity)),
          text_(text),
          text_size_(text && text_size > 0 ? static_cast<size_t>(text_size) : 0) {}

    size_t count() const { return count_; }
    bool fits(size_t cells, size_t units) const {
        return capacity_ - count_ >= cells && text_size_ - text_used_ >= units;
    }

    // The text a value is delivered with: its own, or its boolean or error value's.
    static std::u16string_view text_of(const CellValue &value) {
        switch (value.kind) {
            case CellKind::text:
                return value.text_view();
            case CellKind::boolean:
                return value.code ? u"TRUE" : u"FALSE";
            case CellKind::error:
                return error_text(value.code);
            default:
                return {};
        }
    }

    // Has room: fits() said so.
    void put(const CellValue &value, uint16_t row, uint16_t column) {
        XLWALKCELL &cell = cells_[count_++];
        cell.x = column;
        cell.y = row;
        cell.xf = value.xf;
        cell.kind = kind_of(value);
        cell.value = value.number;
        cell.text = 0;
        cell.length = 0;
        if (value.kind == CellKind::boolean) cell.value = value.code ? -1.0 : 0.0;
        if (value.kind == CellKind::error) cell.value = error_number(value.code);
        if (cell.kind == kValue || cell.kind == kText) {
            const std::u16string_view text = text_of(value);
            std::copy(text.begin(), text.end(), text_ + text_used_);
            cell.text = static_cast<int32_t>(text_used_);
            cell.length = static_cast<int32_t>(text.size());
            text_used_ += text.size();
        }
    }

  private:
    static int32_t kind_of(const CellValue &value) {
        switch (value.kind) {
            case CellKind::blank:
                return kBlank;
            case CellKind::integer:
                return kInteger;
            case CellKind::number:
                return kNumber;
            case CellKind::boolean:
            case CellKind::error:
                return kValue;
            case CellKind::text:
                return kText;
        }
        return kBlank;
    }

    XLWALKCELL *cells_;
    size_t capacity_;
    char16_t *text_;
    size_t text_size_;
    size_t count_ = 0;
    size_t text_used_ = 0;
};

// Where the next call goes on: before the record at `offset` that did not fit, or a refusal
// when not even an empty block holds it.
int32_t stop_before(size_t offset, const CellBlock &block) {
    if (block.count() == 0) return err::kParam;
    return offset > INT32_MAX ? kSheetEnd : static_cast<int32_t>(offset);
}

int32_t walk_block(Workbook &book, int32_t sheet, int32_t position, CellBlock &block) {
    if (!book.source) return kNoFile;
    const WorkbookReader &reader = *book.source;
    if (sheet < 0 || static_cast<size_t>(sheet) >= reader.sheets().size()) return err::kParam;
    const size_t index = static_cast<size_t>(sheet);
    const SheetEntry &entry = reader.sheets()[index];
    if (entry.is_chart() || !sheet_starts_with_bof(reader, index)) return kSheetEnd;

    RecordReader records(reader.stream(), entry.bof_offset);
    RawRecord record;
    if (position <= static_cast<int64_t>(entry.bof_offset)) {
        records.next(record);  // the sheet's own BOF
    } else {
        records.seek(static_cast<size_t>(position));
    }
    const FileTexts texts(reader);
    CellValue value;
    size_t depth = 0;  // inside an embedded chart's substream
    for (size_t at = records.offset(); records.next(record); at = records.offset()) {
        if (record.number == rec::kBof) {
            ++depth;
            continue;
        }
        if (record.number == rec::kEof) {
            if (depth == 0) return kSheetEnd;
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (ends_walk(record.number)) return kSheetObjects;

        if (record.number == rec::kBlank) {
            // Off the grid, as for the other cell records.
            if (record.data.size() < 6 || load_u16(record.data.data() + 2) > 255) continue;
            if (!block.fits(1, 0)) return stop_before(at, block);
            value = CellValue{};
            value.xf = load_u16(record.data.data() + 4);
            block.put(value, load_u16(record.data.data()), load_u16(record.data.data() + 2));
            continue;
        }
        const CellRecord kind = cell_record_of(record.number);
        CellRecordPlace place;
        if (!cell_place_of(kind, record.data, place)) continue;
        if (kind == CellRecord::mulrk || kind == CellRecord::mulblank) {
            const size_t count = static_cast<size_t>(place.last_column - place.first_column) + 1;
            if (!block.fits(count, 0)) return stop_before(at, block);
            for (size_t column = place.first_column; column <= place.last_column; ++column) {
                const auto x = static_cast<uint8_t>(column);
                if (decode_cell(texts, kind, record.data, x, nullptr, value)) {
                    block.put(value, place.row, x);
                }
            }
            continue;
        }
        RawRecord string;
        const bool has_string = kind == CellRecord::formula && formula_has_string(record.data) &&
                                next_string_record(records, string);
        if (!decode_cell(texts, kind, record.data, place.first_column,
                         has_string ? &string.data : nullptr, value)) {
            continue;
        }
        if (!block.fits(1, CellBlock::text_of(value).size())) return stop_before(at, block);
        block.put(value, place.row, place.first_column);
    }
    return kSheetEnd;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_WalkCellsW(int32_t h, int32_t s, int32_t position, XLWALKCELL *cells,
                                 int32_t capacity, char16_t *text, int32_t text_size,
                                 int32_t *count) {
    if (count) *count = 0;
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        if (!cells || capacity <= 0 || !count) return err::kParam;
        CellBlock block(cells, capacity, text, text_size);
        const int32_t next = walk_block(*ref.book, s, position, block);
        *count = static_cast<int32_t>(block.count());
        return next;
    });
}

}  // extern "C"
