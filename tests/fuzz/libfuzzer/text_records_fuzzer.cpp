// libFuzzer's entry for texts that go on over several records; its inputs are the workbook
// fuzzer's (an option byte, bit 0 for Excel 97, then a workbook stream). An Excel 97 SST with
// its CONTINUE records is read; the strings it gave are written again by our table and must
// read back the same, runs and phonetic blocks included. A LABEL or STRING with CONTINUE
// records is joined, cut again as our writer cuts it, and must join back to the same data.
// A difference aborts; the sanitizers report the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/continued_text.h"
#include "engine/biff/record_numbers.h"
#include "engine/cells/shared_strings.h"

namespace {

using namespace tabrix::engine;

constexpr size_t kMaxCharacters = 32767;  // what the table takes uncut

ContinuedRecord joined_records(const std::vector<Record> &records) {
    ContinuedRecord joined;
    joined.number = records.front().number;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i > 0) joined.continue_starts.push_back(joined.data.size());
        joined.data.insert(joined.data.end(), records[i].data.begin(), records[i].data.end());
    }
    return joined;
}

const SstFormatting::Entry *formatting_of(const SstFormatting &formatting, uint32_t string) {
    for (const SstFormatting::Entry &entry : formatting.entries) {
        if (entry.string == string) return &entry;
    }
    return nullptr;
}

bool same(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

void check_shared_strings(const ContinuedRecord &sst) {
    SstContents read;
    read_sst_strings(sst, read);
    SharedStringTable table;
    std::vector<uint32_t> index;
    for (uint32_t i = 0; i < read.strings.size(); ++i) {
        const SstFormatting::Entry *entry = formatting_of(read.formatting, i);
        const auto runs = entry ? read.formatting.runs(*entry) : std::span<const uint8_t>();
        const auto phonetic = entry ? read.formatting.phonetic(*entry) : std::span<const uint8_t>();
        index.push_back(read.strings[i].size() > kMaxCharacters
                            ? SharedStringTable::kNotAdded
                            : table.add(read.strings[i], runs, phonetic));
    }
    table.finish();
    if (table.records().empty()) return;
    const std::optional<SstContents> back = read_sst(joined_records(table.records()));
    if (!back) std::abort();
    for (uint32_t i = 0; i < read.strings.size(); ++i) {
        if (index[i] == SharedStringTable::kNotAdded) continue;
        if (back->strings.at(index[i]) != read.strings[i]) std::abort();
        const SstFormatting::Entry *before = formatting_of(read.formatting, i);
        const SstFormatting::Entry *after = formatting_of(back->formatting, index[i]);
        const auto runs = [](const SstFormatting &f, const SstFormatting::Entry *e) {
            return e ? f.runs(*e) : std::span<const uint8_t>();
        };
        const auto phonetic = [](const SstFormatting &f, const SstFormatting::Entry *e) {
            return e ? f.phonetic(*e) : std::span<const uint8_t>();
        };
        if (!same(runs(read.formatting, before), runs(back->formatting, after)) ||
            !same(phonetic(read.formatting, before), phonetic(back->formatting, after))) {
            std::abort();
        }
    }
}

void check_continued_text(RecordReader &records, const RawRecord &record, bool biff8) {
    const size_t text_at = record.number == rec::kLabel ? 6 : 0;
    std::vector<uint8_t> joined;
    const std::span<const uint8_t> whole =
        text_record_data(records, record, text_at, biff8, joined);
    if (joined.empty() || whole.data() != joined.data()) return;  // nothing went on
    const std::vector<uint8_t> images = continued_text_images(
        record.number, joined, text_at, biff8, biff8 ? kMaxRecordData : kMaxBiff5RecordData);
    RecordReader again(images, 0);
    RawRecord first;
    ContinuedRecord cut;
    if (!again.next(first)) std::abort();
    if (!take_continues(again, first, cut)) {
        cut.number = first.number;
        cut.data.assign(first.data.begin(), first.data.end());
    }
    const std::optional<std::vector<uint8_t>> rejoined = joined_text(cut, text_at, biff8);
    if (!rejoined || *rejoined != joined) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const bool biff8 = (data[0] & 1) != 0;
    RecordReader records(std::span<const uint8_t>(data + 1, size - 1), 0);
    RawRecord record;
    while (records.next(record)) {
        if (record.number == rec::kSst && biff8) {
            ContinuedRecord sst;
            if (!take_continues(records, record, sst)) {
                sst.number = record.number;
                sst.data.assign(record.data.begin(), record.data.end());
            }
            check_shared_strings(sst);
        } else if (record.number == rec::kLabel || record.number == rec::kString) {
            check_continued_text(records, record, biff8);
        }
    }
    return 0;
}
