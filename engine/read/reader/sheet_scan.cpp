#include "engine/read/reader/sheet_scan.h"

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {

bool sheet_starts_with_bof(const WorkbookReader &reader, size_t sheet) {
    RawRecord bof;
    return reader.sheet_records(sheet).peek(bof) && bof.number == rec::kBof;
}

SheetScan::SheetScan(const WorkbookReader &reader, size_t sheet)
    : records_(reader.sheet_records(sheet)) {
    RawRecord bof;
    done_ = !records_.next(bof) || bof.number != rec::kBof;
}

void SheetScan::skip_to(size_t offset) {
    if (offset > records_.offset() && offset <= records_.stream().size()) records_.seek(offset);
}

bool SheetScan::next(RawRecord &out) {
    size_t depth = 0;  // inside an embedded chart's substream
    while (!done_ && records_.next(out)) {
        if (out.number == rec::kBof) {
            ++depth;
        } else if (out.number == rec::kEof) {
            if (depth == 0) break;
            --depth;
        } else if (depth == 0) {
            return true;
        }
    }
    done_ = true;
    return false;
}

bool next_string_record(RecordReader &records, RawRecord &out) {
    RawRecord record;
    while (records.peek(record)) {
        if (record.number == rec::kString) {
            records.next(out);
            return true;
        }
        if (record.number != rec::kShrFmla && record.number != rec::kArray &&
            record.number != rec::kTable) {
            return false;
        }
        records.next(record);
    }
    return false;
}

namespace {

// Where the record after the INDEX's last DBCELL starts, or 0 when the INDEX does not lead
// to a DBCELL.
size_t end_of_row_blocks(const WorkbookReader &reader, std::span<const uint8_t> index) {
    const size_t offsets_start = reader.biff8() ? 16 : 12;
    if (index.size() < offsets_start + 4) return 0;
    const size_t last = load_u32(index.data() + index.size() - 4);
    RecordReader records(reader.stream(), last);
    RawRecord dbcell;
    if (!records.next(dbcell) || dbcell.number != rec::kDbCell) return 0;
    return records.offset();
}

}  // namespace

bool sheet_protected(const WorkbookReader &reader, size_t sheet) {
    SheetScan scan(reader, sheet);
    RawRecord record;
    size_t cells_end = 0;
    while (scan.next(record)) {
        if (record.number == rec::kIndex) cells_end = end_of_row_blocks(reader, record.data);
        // The cells of a large sheet need not be stepped through: from its first ROW the scan
        // goes on after the last row block, where the INDEX says it ends.
        if (record.number == rec::kRow && cells_end > record.offset) {
            scan.skip_to(cells_end);
            cells_end = 0;
            continue;
        }
        if (record.number == rec::kProtect && record.data.size() >= 2 &&
            load_u16(record.data.data()) != 0) {
            return true;
        }
    }
    return false;
}

bool any_worksheet_protected(const WorkbookReader &reader) {
    for (size_t sheet = 0; sheet < reader.sheets().size(); ++sheet) {
        if (!reader.sheets()[sheet].is_chart() && sheet_protected(reader, sheet)) return true;
    }
    return false;
}

}  // namespace tabrix::engine
