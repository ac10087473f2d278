// The standard write workload on several threads at once, one workbook each, written and
// closed. Prints the seconds from the start of the first thread to the end of the last.
//
//   thread_bench OUTPUT_FOLDER THREADS
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "standard_workload.h"
#include "tabrix.h"

namespace {

bool write_workbook(const std::string &file) {
    const int32_t h = XM_Create97(file.c_str(), 1);
    if (h < 0) return false;
    for (int32_t r = 0; r < bench::kStandardRows; ++r) {
        if (bench::write_standard_row(h, r) != 0) return false;
    }
    return XM_Close(h) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    const int threads = argc > 2 ? std::atoi(argv[2]) : 0;
    if (threads < 1) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER THREADS\n", argv[0]);
        return 2;
    }
    std::atomic<bool> failed = false;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> running;
    for (int t = 0; t < threads; ++t) {
        running.emplace_back([&, t] {
            const std::string file = std::string(argv[1]) + "/thread" + std::to_string(t) + ".xls";
            if (!write_workbook(file)) failed = true;
        });
    }
    for (std::thread &thread : running) thread.join();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (failed) {
        std::fprintf(stderr, "a workbook failed\n");
        return 1;
    }
    std::printf("%.3f\n", elapsed.count());
    return 0;
}
