// Complete BIFF records held in memory until the workbook is written.
#pragma once

#include <cstdint>
#include <numeric>
#include <span>
#include <vector>

namespace tabrix::engine {

// One record: number, and its data (the 4-byte header is added when written).
struct Record {
    uint16_t number = 0;
    std::vector<uint8_t> data;

    size_t disk_size() const { return data.size() + 4; }
};

// One section of the stream, written from first to last record.
class RecordList {
  public:
    void append(uint16_t number, std::vector<uint8_t> data) {
        records_.push_back(Record{number, std::move(data)});
    }
    void append(uint16_t number, std::span<const uint8_t> data) {
        records_.push_back(Record{number, {data.begin(), data.end()}});
    }
    void append_u16(uint16_t number, uint16_t value) {
        append(number,
               std::vector<uint8_t>{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
    }
    void append_empty(uint16_t number) { append(number, std::vector<uint8_t>{}); }
    void clear() { records_.clear(); }

    bool empty() const { return records_.empty(); }
    std::vector<Record> &records() { return records_; }
    const std::vector<Record> &records() const { return records_; }

    // The first record of that number, or null.
    Record *find(uint16_t number) {
        for (Record &record : records_) {
            if (record.number == number) return &record;
        }
        return nullptr;
    }

    // Bytes the list occupies on disk, headers included. Summed on demand because other
    // parts of the engine rewrite records in place (fonts, EXTERNSHEET).
    size_t byte_total() const {
        return std::accumulate(records_.begin(), records_.end(), size_t{0},
                               [](size_t sum, const Record &r) { return sum + r.disk_size(); });
    }

  private:
    std::vector<Record> records_;
};

}  // namespace tabrix::engine
