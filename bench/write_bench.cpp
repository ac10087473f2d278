// The standard write workload through the C interface: one Excel 97 sheet of 65536 rows by
// 16 columns (integers, doubles and texts), written and closed. Prints the seconds taken.
// "sized" also gives every row its own height and every one of the 256 columns its own width;
// "keywords" writes the texts of column 12 in the first 1000 rows as the keywords "**K0" to
// "**K999", which makes the file the template of the read benchmark.
//
//   write_bench OUTPUT.xls [reverse|sized|keywords]
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "standard_workload.h"
#include "tabrix.h"

namespace {

constexpr int32_t kRows = bench::kStandardRows;

constexpr int32_t kKeywordRows = 1000;

int32_t write_row(int32_t h, int32_t r, bool keywords) {
    if (!keywords || r >= kKeywordRows) return bench::write_standard_row(h, r);
    char keyword[16] = "**K";
    *std::to_chars(keyword + 3, keyword + sizeof keyword - 1, r).ptr = '\0';
    if (int32_t rc = XM_WriteStr(h, 0, 12, r, keyword); rc != 0) return rc;
    return bench::write_standard_row(h, r, 12);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xls [reverse|sized|keywords]\n", argv[0]);
        return 2;
    }
    bool reverse = argc > 2 && std::strcmp(argv[2], "reverse") == 0;
    bool sized = argc > 2 && std::strcmp(argv[2], "sized") == 0;
    bool keywords = argc > 2 && std::strcmp(argv[2], "keywords") == 0;
    auto start = std::chrono::steady_clock::now();
    int32_t h = XM_Create97(argv[1], 1);
    if (h < 0) {
        std::fprintf(stderr, "create failed: %d\n", h);
        return 1;
    }
    for (int32_t i = 0; i < kRows; ++i) {
        if (int32_t rc = write_row(h, reverse ? kRows - 1 - i : i, keywords); rc != 0) {
            std::fprintf(stderr, "write failed: %d\n", rc);
            return 1;
        }
    }
    if (sized) {
        for (int32_t r = 0; r < kRows; ++r) {
            if (int32_t rc = XM_SetRowHeight(h, 0, r, 10.0 + (r % 40) * 0.5); rc != 0) {
                std::fprintf(stderr, "height failed: %d\n", rc);
                return 1;
            }
        }
        for (int32_t c = 0; c < 256; ++c) {
            if (int32_t rc = XM_SetColWidth(h, 0, c, c, 4 + c % 20); rc != 0) {
                std::fprintf(stderr, "width failed: %d\n", rc);
                return 1;
            }
        }
    }
    if (int32_t rc = XM_Close(h); rc != 0) {
        std::fprintf(stderr, "close failed: %d\n", rc);
        return 1;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", elapsed.count());
    return 0;
}
