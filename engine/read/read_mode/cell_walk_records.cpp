#include "engine/read/read_mode/cell_walk_records.h"

#include "engine/biff/record_numbers.h"
#include "engine/read/reader/sheet_scan.h"

namespace tabrix::engine {

bool ends_cell_walk(uint16_t record_number) {
    return record_number == rec::kObj || record_number == rec::kImData ||
           record_number == rec::kMsoDrawing;
}

bool open_cell_walk(const WorkbookReader &reader, size_t index, int32_t position,
                    RecordReader &records) {
    const SheetEntry &entry = reader.sheets()[index];
    if (entry.is_chart() || !sheet_starts_with_bof(reader, index)) return false;
    records = RecordReader(reader.stream(), entry.bof_offset);
    if (position <= static_cast<int64_t>(entry.bof_offset)) {
        RawRecord bof;
        records.next(bof);  // the sheet's own BOF
    } else {
        records.seek(static_cast<size_t>(position));
    }
    return true;
}

}  // namespace tabrix::engine
