// C entry point: the cells of a sheet of a workbook's file, many in one call, for readers
// that go through whole sheets; one call per cell costs more than the cell itself.
#include <algorithm>
#include <bit>
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

// One cell as the block takes it.
struct Walked {
    uint16_t row = 0, column = 0, xf = 0;
    int32_t kind = kBlank;
    double value = 0;
    std::u16string_view text;  // kinds kValue and kText
};

// A decoded cell as delivered: booleans and errors with their values and texts.
Walked walked_of(const CellValue &value, uint16_t row, uint16_t column) {
    Walked cell{row, column, value.xf, kBlank, value.number, {}};
    switch (value.kind) {
        case CellKind::blank:
            break;
        case CellKind::integer:
            cell.kind = kInteger;
            break;
        case CellKind::number:
            cell.kind = kNumber;
            break;
        case CellKind::boolean:
            cell.kind = kValue;
            cell.value = value.code ? -1.0 : 0.0;
            cell.text = value.code ? u"TRUE" : u"FALSE";
            break;
        case CellKind::error:
            cell.kind = kValue;
            cell.value = error_number(value.code);
            cell.text = error_text(value.code);
            break;
        case CellKind::text:
            cell.kind = kText;
            cell.text = value.text_view();
            break;
    }
    return cell;
}

// NUMBER, RK and LABELSST, the records nearly every sheet is made of, read without the
// general decoding; false for any other record and for one too short (the general decoding
// then steps over it). The column is not checked.
bool read_plain(CellRecord kind, std::span<const uint8_t> data, const FileTexts &texts,
                Walked &out) {
    const uint8_t *bytes = data.data();
    out.text = {};
    switch (kind) {
        case CellRecord::number:
            if (data.size() < 14) return false;
            out.kind = kNumber;
            out.value = std::bit_cast<double>(static_cast<uint64_t>(load_u32(bytes + 6)) |
                                              static_cast<uint64_t>(load_u32(bytes + 10)) << 32);
            break;
        case CellRecord::rk: {
            if (data.size() < 10) return false;
            const uint32_t rk = load_u32(bytes + 6);
            out.kind = rk_is_integer(rk) ? kInteger : kNumber;
            out.value = rk_value(rk);
            break;
        }
        case CellRecord::label_sst: {
            if (data.size() < 10) return false;
            const std::u16string *text = texts.shared(load_u32(bytes + 6));
            if (!text) return false;
            out.kind = kText;
            out.value = 0;
            out.text = *text;
            break;
        }
        default:
            return false;
    }
    out.row = load_u16(bytes);
    out.column = load_u16(bytes + 2);
    out.xf = load_u16(bytes + 4);
    return true;
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

    // Has room: fits() said so.
    void put(const Walked &walked) {
        XLWALKCELL &cell = cells_[count_++];
        cell.x = walked.column;
        cell.y = walked.row;
        cell.xf = walked.xf;
        cell.kind = walked.kind;
        cell.value = walked.value;
        cell.text = static_cast<int32_t>(text_used_);
        cell.length = static_cast<int32_t>(walked.text.size());
        std::copy(walked.text.begin(), walked.text.end(), text_ + text_used_);
        text_used_ += walked.text.size();
    }

  private:
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
    Walked plain;
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
            Walked blank;
            blank.row = load_u16(record.data.data());
            blank.column = load_u16(record.data.data() + 2);
            blank.xf = load_u16(record.data.data() + 4);
            block.put(blank);
            continue;
        }
        const CellRecord kind = cell_record_of(record.number);
        if (read_plain(kind, record.data, texts, plain)) {
            if (plain.column > 255) continue;  // off the grid
            if (!block.fits(1, plain.text.size())) return stop_before(at, block);
            block.put(plain);
            continue;
        }
        CellRecordPlace place;
        if (!cell_place_of(kind, record.data, place)) continue;
        if (kind == CellRecord::mulrk || kind == CellRecord::mulblank) {
            const size_t count = static_cast<size_t>(place.last_column - place.first_column) + 1;
            if (!block.fits(count, 0)) return stop_before(at, block);
            for (size_t column = place.first_column; column <= place.last_column; ++column) {
                const auto x = static_cast<uint8_t>(column);
                if (decode_cell(texts, kind, record.data, x, nullptr, value)) {
                    block.put(walked_of(value, place.row, x));
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
        const Walked cell = walked_of(value, place.row, place.first_column);
        if (!block.fits(1, cell.text.size())) return stop_before(at, block);
        block.put(cell);
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
