#include "engine/read/sheet_scan.h"

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

bool sheet_protected(const WorkbookReader &reader, size_t sheet) {
    SheetScan scan(reader, sheet);
    RawRecord record;
    while (scan.next(record)) {
        if (record.number == rec::kProtect && record.data.size() >= 2 &&
            load_u16(record.data.data()) != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace tabrix::engine
