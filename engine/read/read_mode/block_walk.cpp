#include "engine/read/read_mode/block_walk.h"

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

int32_t BlockWalkSource::start(Workbook &book, int32_t sheet, int32_t position) {
    if (!book.source) return kBlockNoFile;
    reader_ = book.source.get();
    if (sheet < 0 || static_cast<size_t>(sheet) >= reader_->sheets().size()) return err::kParam;
    RecordReader records;
    if (!open_cell_walk(*reader_, static_cast<size_t>(sheet), position, records)) {
        return kBlockSheetEnd;
    }
    stream_ = reader_->stream();
    offset_ = records.offset();
    shared_ = &reader_->shared_strings();
    return kGoOn;
}

bool BlockWalkSource::decode(size_t &at, uint16_t number, std::span<const uint8_t> data,
                             DecodedRecord &out) {
    const RawRecord record{number, data, at};
    RecordReader records(stream_, at + 4 + data.size());
    const FileTexts texts(*reader_);
    const CellRecord kind = cell_record_of(number);
    out.cells.clear();
    out.units = 0;
    CellRecordPlace place;
    if (!cell_place_of(kind, data, place)) {
        at = records.offset();
        return false;
    }
    if (kind == CellRecord::mulrk || kind == CellRecord::mulblank) {
        at = records.offset();
        for (size_t column = place.first_column; column <= place.last_column; ++column) {
            const auto x = static_cast<uint8_t>(column);
            if (decode_cell(texts, kind, data, x, nullptr, out.value)) {
                out.cells.push_back(walked_of(out.value, place.row, x));
            }
        }
        return true;
    }
    const WholeCellRecord whole(records, record, reader_->biff8());
    at = records.offset();
    if (!decode_cell(texts, kind, whole.data(), place.first_column, whole.string(), out.value)) {
        return false;
    }
    out.cells.push_back(walked_of(out.value, place.row, place.first_column));
    out.units = out.cells.back().text.size();
    return true;
}

}  // namespace tabrix::engine
