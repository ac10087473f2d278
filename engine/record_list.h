// Complete BIFF records held in memory until the workbook is written.
#pragma once

#include <cstdint>
#include <vector>

namespace tabrix::engine {

// One record: number, and its data (the 4-byte header is added when written).
struct Record {
    uint16_t number = 0;
    std::vector<uint8_t> data;

    size_t disk_size() const { return data.size() + 4; }
};

}  // namespace tabrix::engine
