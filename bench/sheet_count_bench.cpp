// Workbooks of many sheets through the C interface: Excel 97 workbooks of 4000, 8000, 16000
// and 32767 sheets (the most a workbook may have) and an Excel 95 one of 32767, each created,
// given one integer per sheet and closed. Prints the seconds of the create, the writes and
// the close of each; exit status 1 when a call fails.
//
//   sheet_count_bench OUTPUT_FOLDER
#include <chrono>
#include <cstdio>
#include <string>

#include "tabrix.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool run(const std::string &folder, int32_t sheets, bool biff8) {
    const std::string path = folder + "/sheets-" + std::to_string(sheets) + ".xls";
    auto start = Clock::now();
    int32_t h = biff8 ? XM_Create97(path.c_str(), sheets) : XM_Create(path.c_str(), sheets);
    if (h < 0) return false;
    const double create = seconds_since(start);
    start = Clock::now();
    for (int32_t s = 0; s < sheets; ++s) {
        if (XM_WriteInt(h, s, 0, 0, s) != 0) return false;
    }
    const double write = seconds_since(start);
    start = Clock::now();
    if (XM_Close(h) != 0) return false;
    const double close = seconds_since(start);
    std::printf("%-8s %6d sheets  create %.3f s  write %.3f s  close %.3f s  total %.3f s\n",
                biff8 ? "Excel 97" : "Excel 95", sheets, create, write, close,
                create + write + close);
    std::remove(path.c_str());
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheet_count_bench OUTPUT_FOLDER\n");
        return 2;
    }
    for (int32_t sheets : {4000, 8000, 16000, 32767}) {
        if (!run(argv[1], sheets, true)) return 1;
    }
    return run(argv[1], 32767, false) ? 0 : 1;
}
