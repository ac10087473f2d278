// The cells of the standard write workload, shared by the benchmarks that write it: columns
// 0-7 the integer r*16+c, columns 8-11 the double r*0.5+c, columns 12-15 the text "item-N"
// with N = (r*16+c) mod 1000.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>

#include "tabrix.h"

namespace bench {

inline constexpr int32_t kStandardRows = 65536;
inline constexpr int32_t kStandardColumns = 16;

// The text of cell (r, c); to_chars, not snprintf, so that the harness does not outweigh the
// library.
inline const char *standard_text(char (&text)[16], int32_t r, int32_t c) {
    std::memcpy(text, "item-", 5);
    *std::to_chars(text + 5, text + sizeof text - 1, (r * kStandardColumns + c) % 1000).ptr = '\0';
    return text;
}

// Writes row r of sheet 0 through the engine calls, leaving out column `skip` (-1: none).
inline int32_t write_standard_row(int32_t h, int32_t r, int32_t skip = -1) {
    char text[16];
    for (int32_t c = 0; c < kStandardColumns; ++c) {
        if (c == skip) continue;
        const int32_t rc = c < 8    ? XM_WriteInt(h, 0, c, r, r * kStandardColumns + c)
                           : c < 12 ? XM_WriteDouble(h, 0, c, r, r * 0.5 + c)
                                    : XM_WriteStr(h, 0, c, r, standard_text(text, r, c));
        if (rc != 0) return rc;
    }
    return 0;
}

}  // namespace bench
