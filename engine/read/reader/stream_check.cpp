#include "engine/read/reader/stream_check.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/biff/record_numbers.h"
#include "engine/read/reader/sheet_scan.h"

namespace tabrix::engine {
namespace {

// The substream whose BOF is at `start`, embedded ones included, reaches its EOF before the
// stream's end or the next part.
bool walks_to_eof(std::span<const uint8_t> part_stream, size_t start) {
    RecordReader records(part_stream, start);
    RawRecord record;
    if (!records.next(record) || record.number != rec::kBof) return false;
    size_t depth = 0;
    while (records.next(record)) {
        if (record.data.size() > kMaxRecordData) return false;
        if (record.number == rec::kBof) {
            ++depth;
        } else if (record.number == rec::kEof) {
            if (depth == 0) return true;
            --depth;
        }
    }
    return false;
}

}  // namespace

bool stream_walks_whole(const WorkbookReader &reader) {
    const std::span<const uint8_t> stream = reader.stream();
    std::vector<size_t> starts{0};
    for (const SheetEntry &sheet : reader.sheets()) starts.push_back(sheet.bof_offset);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t end = i + 1 < starts.size() ? starts[i + 1] : stream.size();
        if (end > stream.size() || !walks_to_eof(stream.first(end), starts[i])) return false;
    }
    return true;
}

XLFILECHECK check_workbook_file(const std::filesystem::path &path) {
    std::unique_ptr<WorkbookReader> reader;
    XLFILECHECK found = fcWorkbook;
    if (WorkbookReader::open(path, &reader, &found) != 0) return found;
    if (any_worksheet_protected(*reader)) return fcProtected;
    if (!sheet_starts_with_bof(*reader, 0)) return fcNoSheets;
    return stream_walks_whole(*reader) ? fcWorkbook : fcDamaged;
}

}  // namespace tabrix::engine
