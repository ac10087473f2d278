#include "engine/read/read_mode/block_walk.h"

#include <bit>
#include <climits>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/read_mode/cell_walk_records.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

BlockCell walked_of(const CellValue &value, uint16_t row, uint16_t column) {
    BlockCell cell{row, column, value.xf, kBlockBlank, value.number, {}};
    switch (value.kind) {
        case CellKind::blank:
            break;
        case CellKind::integer:
            cell.kind = kBlockInteger;
            break;
        case CellKind::number:
            cell.kind = kBlockNumber;
            break;
        case CellKind::boolean:
            cell.kind = kBlockValue;
            cell.value = value.code ? -1.0 : 0.0;
            cell.text = value.code ? u"TRUE" : u"FALSE";
            break;
        case CellKind::error:
            cell.kind = kBlockValue;
            cell.value = error_number(value.code);
            cell.text = error_text(value.code);
            break;
        case CellKind::text:
            cell.kind = kBlockText;
            cell.text = value.text_view();
            break;
    }
    return cell;
}

namespace {

// NUMBER, RK and LABELSST, the records nearly every sheet is made of, read without the
// general decoding; false for any other record and for one too short (the general decoding
// then steps over it). The column is not checked.
bool read_plain(CellRecord kind, std::span<const uint8_t> data, const FileTexts &texts,
                BlockCell &out) {
    const uint8_t *bytes = data.data();
    out.text = {};
    switch (kind) {
        case CellRecord::number:
            if (data.size() < 14) return false;
            out.kind = kBlockNumber;
            out.value = std::bit_cast<double>(static_cast<uint64_t>(load_u32(bytes + 6)) |
                                              static_cast<uint64_t>(load_u32(bytes + 10)) << 32);
            break;
        case CellRecord::rk: {
            if (data.size() < 10) return false;
            const uint32_t rk = load_u32(bytes + 6);
            out.kind = rk_is_integer(rk) ? kBlockInteger : kBlockNumber;
            out.value = rk_value(rk);
            break;
        }
        case CellRecord::label_sst: {
            if (data.size() < 10) return false;
            const std::u16string *text = texts.shared(load_u32(bytes + 6));
            if (!text) return false;
            out.kind = kBlockText;
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

// Where the next call goes on: before the record at `offset` that did not fit, or a refusal
// when not even an empty block holds it.
int32_t stop_before(size_t offset, const CellBlockSink &block) {
    if (block.count() == 0) return err::kParam;
    return offset > INT32_MAX ? kBlockSheetEnd : static_cast<int32_t>(offset);
}

}  // namespace

int32_t walk_cell_block(Workbook &book, int32_t sheet, int32_t position, CellBlockSink &block) {
    if (!book.source) return kBlockNoFile;
    const WorkbookReader &reader = *book.source;
    if (sheet < 0 || static_cast<size_t>(sheet) >= reader.sheets().size()) return err::kParam;
    RecordReader records;
    if (!open_cell_walk(reader, static_cast<size_t>(sheet), position, records)) {
        return kBlockSheetEnd;
    }
    RawRecord record;
    const FileTexts texts(reader);
    CellValue value;
    BlockCell plain;
    size_t depth = 0;  // inside an embedded chart's substream
    for (size_t at = records.offset(); records.next(record); at = records.offset()) {
        if (record.number == rec::kBof) {
            ++depth;
            continue;
        }
        if (record.number == rec::kEof) {
            if (depth == 0) return kBlockSheetEnd;
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (ends_cell_walk(record.number)) return kBlockSheetObjects;

        if (record.number == rec::kBlank) {
            // Off the grid, as for the other cell records.
            if (record.data.size() < 6 || load_u16(record.data.data() + 2) > 255) continue;
            if (!block.fits(1, 0)) return stop_before(at, block);
            BlockCell blank;
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
        const WholeCellRecord whole(records, record, reader.biff8());
        if (!decode_cell(texts, kind, whole.data(), place.first_column, whole.string(), value)) {
            continue;
        }
        const BlockCell cell = walked_of(value, place.row, place.first_column);
        if (!block.fits(1, cell.text.size())) return stop_before(at, block);
        block.put(cell);
    }
    return kBlockSheetEnd;
}

}  // namespace tabrix::engine
