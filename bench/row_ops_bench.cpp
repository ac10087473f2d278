// Row insert and delete on the standard write workload: one Excel 97 sheet of 16 columns
// (integers, doubles, texts) in all rows but the last, so that one more row fits. Without a
// template the book has that sheet only; with one (row_ops_template.py makes it) the sheet is
// its first, and the template's other sheet holds formulas and the book defined names that
// refer to it, which the row calls must take along. Times the writing of the cells, one row
// inserted at the top, the same row deleted again, and the close; prints the seconds of each
// and the ratios of insert and delete to writing the sheet (cells and close). Exit status 1
// when a call fails or the sheet does not come back as it was.
//
//   row_ops_bench OUTPUT.xls [TEMPLATE.xls]
#include <chrono>
#include <cstdio>

#include "standard_workload.h"
#include "tabrix.h"

namespace {

constexpr int32_t kRows = 65535;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The integer of cell (0, row), or -1.
int32_t first_integer(int32_t h, int32_t row) {
    int32_t value = -1;
    return XM_GetCellData(h, 0, 0, row, &value, nullptr, nullptr, 0, nullptr) == 1 ? value : -1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xls [TEMPLATE.xls]\n", argv[0]);
        return 2;
    }
    auto start = Clock::now();
    const int32_t h = argc > 2 ? XM_CreateT(argv[1], argv[2]) : XM_Create97(argv[1], 1);
    if (h < 0) return 1;
    for (int32_t r = 0; r < kRows; ++r) {
        if (bench::write_standard_row(h, r) != 0) return 1;
    }
    const double write = seconds_since(start);

    start = Clock::now();
    if (int32_t rc = XM_RowInsert(h, 0, 0, 1); rc != 0) {
        std::fprintf(stderr, "insert failed: %d\n", rc);
        return 1;
    }
    const double insert = seconds_since(start);
    const bool moved = first_integer(h, 1) == 0 && first_integer(h, kRows) == (kRows - 1) * 16;

    start = Clock::now();
    if (int32_t rc = XM_RowDelete(h, 0, 0, 1); rc != 0) {
        std::fprintf(stderr, "delete failed: %d\n", rc);
        return 1;
    }
    const double remove = seconds_since(start);
    const bool back = first_integer(h, 0) == 0 && first_integer(h, kRows - 1) == (kRows - 1) * 16;

    start = Clock::now();
    if (XM_Close(h) != 0) return 1;
    const double close = seconds_since(start);
    if (!moved || !back) {
        std::fprintf(stderr, "the rows did not move as they should\n");
        return 1;
    }
    const double sheet = write + close;
    std::printf("write %.3f close %.3f insert %.3f delete %.3f\n", write, close, insert, remove);
    std::printf("insert / sheet %.2f delete / sheet %.2f (target <= 3)\n", insert / sheet,
                remove / sheet);
    std::printf("%.3f\n", insert > remove ? insert : remove);
    return 0;
}
