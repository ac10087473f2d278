#include "engine/read/reader/workbook_reader.h"

#include <algorithm>
#include <fstream>
#include <new>

#include "engine/biff/biff_string.h"
#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_cursor.h"
#include "engine/biff/record_numbers.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

// RECALCID build numbers that stamp the version.
constexpr uint32_t kBuild2002 = 80000;
constexpr uint32_t kBuild2002Later = 101716;
constexpr uint32_t kBuild2000 = 92512;

bool read_whole_stream(platform::Stream &stream, std::vector<uint8_t> &out) {
    const uint64_t size = stream.size();
    if (size > SIZE_MAX) return false;
    out.resize(static_cast<size_t>(size));
    if (!stream.seek(0, platform::SeekOrigin::begin)) return false;
    size_t done = 0;
    while (done < out.size()) {
        const size_t n = stream.read(out.data() + done, out.size() - done);
        if (n == 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

XLFILECHECK WorkbookReader::open_file(const std::filesystem::path &path, WorkbookReader &reader) {
    reader.file_ = platform::CompoundFile::open_read(path);
    if (!reader.file_) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) return fcUnreadable;
        std::ifstream probe(path, std::ios::binary);
        return probe.is_open() ? fcNotCompound : fcUnreadable;
    }
    platform::Storage &root = reader.file_->root();
    platform::Stream *book = root.open_stream(u"Book");
    platform::Stream *workbook = root.open_stream(u"Workbook");
    if (!book && !workbook) return fcNoWorkbook;
    reader.biff8_ = workbook != nullptr;
    reader.dual_format_ = book && workbook;
    // The file is open for reading only: its stream can be read where it lies.
    platform::Stream &stream = workbook ? *workbook : *book;
    if (auto in_place = stream.contents()) {
        reader.stream_ = *in_place;
    } else {
        if (!read_whole_stream(stream, reader.own_stream_)) return fcUnreadable;
        reader.stream_ = reader.own_stream_;
    }
    return reader.read_globals();
}

int32_t WorkbookReader::open(const std::filesystem::path &path,
                             std::unique_ptr<WorkbookReader> *out, XLFILECHECK *why) {
    XLFILECHECK found = fcWorkbook;
    try {
        auto reader = std::make_unique<WorkbookReader>();
        found = open_file(path, *reader);
        if (found == fcWorkbook) *out = std::move(reader);
    } catch (const std::bad_alloc &) {
        found = fcUnreadable;
    }
    if (why) *why = found;
    return found == fcWorkbook ? 0 : err::kOpen;
}

int32_t WorkbookReader::from_stream(std::vector<uint8_t> stream, bool biff8,
                                    std::unique_ptr<WorkbookReader> *out) {
    try {
        auto reader = std::make_unique<WorkbookReader>();
        reader->own_stream_ = std::move(stream);
        reader->stream_ = reader->own_stream_;
        reader->biff8_ = biff8;
        if (reader->read_globals() != fcWorkbook) return err::kOpen;
        *out = std::move(reader);
        return 0;
    } catch (const std::bad_alloc &) {
        return err::kOpen;
    }
}

XLFILECHECK WorkbookReader::read_globals() {
    RecordReader records(stream_, 0);
    RawRecord record;
    ContinuedRecord sst;
    bool in_sst = false;
    while (records.next(record)) {
        if (record.data.size() > kMaxRecordData) break;
        if (in_sst && record.number == rec::kContinue) {
            sst.continue_starts.push_back(sst.data.size());
            sst.data.insert(sst.data.end(), record.data.begin(), record.data.end());
            continue;
        }
        in_sst = false;
        const std::span<const uint8_t> data = record.data;
        switch (record.number) {
            case rec::kEof:
                break;
            case rec::kFilePass:
                return fcEncrypted;
            case rec::kProtect:
                if (data.size() >= 2 && load_u16(data.data()) != 0) return fcProtected;
                continue;
            case rec::kCodePage:
                if (data.size() >= 2) code_page_ = load_u16(data.data());
                continue;
            case rec::kSst:
                if (biff8_) {
                    sst.number = record.number;
                    sst.data.assign(data.begin(), data.end());
                    sst.continue_starts.clear();
                    in_sst = true;
                }
                continue;
            case rec::kRecalcId:
                if (data.size() >= 8) {
                    recalc_id_.emplace();
                    std::copy_n(data.begin(), 8, recalc_id_->begin());
                    const uint32_t build = load_u32(data.data() + 4);
                    if (build == kBuild2002 || build == kBuild2002Later) version_stamp_ = 2002;
                    if (build == kBuild2000) version_stamp_ = 2000;
                }
                continue;
            case rec::kBoundSheet: {
                if (data.size() < 7) continue;
                SheetEntry entry;
                entry.bof_offset = load_u32(data.data());
                entry.options = load_u16(data.data() + 4);
                size_t pos = 6;
                if (biff8_) {
                    auto name = read_biff8_short_string(data, pos);
                    if (!name) continue;
                    entry.name = std::move(*name);
                } else {
                    const size_t length = data[6];
                    if (data.size() - 7 < length) continue;
                    entry.name = decode_narrow(data.subspan(7, length));
                }
                sheets_.push_back(std::move(entry));
                continue;
            }
            default:
                continue;
        }
        break;  // EOF
    }
    if (!sst.data.empty()) {
        SstContents contents;
        read_sst_strings(sst, contents);
        shared_strings_ = std::move(contents.strings);
        shared_string_formatting_ = std::move(contents.formatting);
    }
    return sheets_.empty() ? fcNoSheets : fcWorkbook;
}

std::u16string WorkbookReader::decode_narrow(std::span<const uint8_t> bytes) const {
    const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    return platform::code_page_to_utf16(text, code_page_);
}

RecordReader WorkbookReader::sheet_records(size_t sheet) const {
    if (sheet >= sheets_.size() || sheets_[sheet].bof_offset >= stream_.size()) {
        return RecordReader(std::span<const uint8_t>(), 0);
    }
    return RecordReader(stream_, sheets_[sheet].bof_offset);
}

std::optional<std::u16string> read_cell_text(const WorkbookReader &reader,
                                             std::span<const uint8_t> bytes, size_t &pos,
                                             bool short_count) {
    if (reader.biff8()) {
        return short_count ? read_biff8_short_string(bytes, pos) : read_biff8_string(bytes, pos);
    }
    const size_t count_bytes = short_count ? 1 : 2;
    if (pos > bytes.size() || bytes.size() - pos < count_bytes) return std::nullopt;
    const size_t length = short_count ? bytes[pos] : load_u16(bytes.data() + pos);
    if (bytes.size() - pos - count_bytes < length) return std::nullopt;
    std::u16string text = reader.decode_narrow(bytes.subspan(pos + count_bytes, length));
    pos += count_bytes + length;
    return text;
}

}  // namespace tabrix::engine
