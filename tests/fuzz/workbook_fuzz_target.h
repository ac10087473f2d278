// One fuzz entry for hostile workbook streams: read mode over the stream, a template load of
// it, row, column, block and sheet edits of what was loaded, its write and a re-read of what
// was written. Shared by the libFuzzer
// program and the smoke pass of the fuzz tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tabrix::engine::fuzz {

// The first input byte: which format the stream is read as, and how it is treated.
inline constexpr uint8_t kBiff8Bit = 0x01;
inline constexpr uint8_t kKeepKeywordsBit = 0x02;
inline constexpr uint8_t kBackwardsBit = 0x04;  // fetch the walked cells last to first
inline constexpr uint8_t kEditBit = 0x08;       // move rows, columns and blocks before the write

// How far one input went.
struct FuzzOutcome {
    bool accepted = false;  // the reader took the stream
    bool read = false;      // a read-mode workbook was made over it
    bool loaded = false;    // the template load took it
    bool written = false;   // the loaded workbook was written (and read again)
};

// Feeds one input through every call. A crash, a hang, a leak or a sanitizer report is a
// finding; so is a written workbook that our own reader refuses, which aborts.
FuzzOutcome fuzz_workbook_stream(const uint8_t *data, size_t size);

}  // namespace tabrix::engine::fuzz
