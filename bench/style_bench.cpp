// The styling workload through the C interface: one Excel 97 sheet of 62500 rows by 16
// columns (1,000,000 integer cells) written and closed three ways, each timed:
//   plain     XM_WriteInt only;
//   numbers   500 looks registered with XM_GetAttrNo2, each cell written with XM_WriteInt2
//             and its look's attribute number;
//   requests  XM_WriteInt, then XM_SetAttr2 merging the look's request into the cell.
// Prints the seconds of each and the number of attributes the styled workbooks registered.
//
//   style_bench OUTPUT_FOLDER
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tabrix.h"

namespace {

constexpr int32_t kRows = 62500;
constexpr int32_t kColumns = 16;
constexpr int32_t kLooks = 500;

// 10 fonts x 5 top borders x 10 fill colours.
std::vector<XLATTR> make_looks(int32_t h) {
    std::vector<XLATTR> looks(kLooks);
    for (int32_t i = 0; i < kLooks; ++i) {
        XM_InitAttr(&looks[i]);
        looks[i].Font = static_cast<int16_t>(XM_FontNo(h, "Arial", 8.0 + i % 10, 0, 0, 0));
        looks[i].LineTop = static_cast<int16_t>(1 + (i / 10) % 5);
        looks[i].BackColor = static_cast<int16_t>(8 + (i / 50) % 10);
    }
    return looks;
}

int32_t look_of(int32_t r, int32_t c) {
    return (r * kColumns + c) % kLooks;
}

// The number of attributes registered so far: the next new one gets 21 + that count.
int32_t registered_count(int32_t h) {
    XLATTR probe;
    XM_InitAttr(&probe);
    probe.Hidden = 1;
    probe.Font = static_cast<int16_t>(XM_FontNo(h, "Probe", 99.0, 0, 0, 0));
    return XM_GetAttrNo2(h, &probe) - 21;
}

template <class Fill>
double timed(const std::string &path, int32_t *registered, Fill &&fill) {
    auto start = std::chrono::steady_clock::now();
    int32_t h = XM_Create97(path.c_str(), 1);
    if (h < 0) return -1;
    if (fill(h) != 0) return -1;
    if (registered) *registered = registered_count(h);
    if (XM_Close(h) != 0) return -1;
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

int32_t write_plain(int32_t h) {
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            if (int32_t rc = XM_WriteInt(h, 0, c, r, r * kColumns + c); rc != 0) return rc;
        }
    }
    return 0;
}

int32_t write_numbers(int32_t h) {
    std::vector<XLATTR> looks = make_looks(h);
    std::vector<int32_t> numbers;
    for (const XLATTR &look : looks) numbers.push_back(XM_GetAttrNo2(h, &look));
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            int32_t rc = XM_WriteInt2(h, 0, c, r, r * kColumns + c, numbers[look_of(r, c)]);
            if (rc != 0) return rc;
        }
    }
    return 0;
}

int32_t write_requests(int32_t h) {
    std::vector<XLATTR> looks = make_looks(h);
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            if (int32_t rc = XM_WriteInt(h, 0, c, r, r * kColumns + c); rc != 0) return rc;
            if (int32_t rc = XM_SetAttr2(h, 0, c, r, &looks[look_of(r, c)]); rc != 0) return rc;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    int32_t by_number = 0, by_request = 0;
    double plain = timed(folder + "/plain.xls", nullptr, write_plain);
    double numbers = timed(folder + "/numbers.xls", &by_number, write_numbers);
    double requests = timed(folder + "/requests.xls", &by_request, write_requests);
    if (plain < 0 || numbers < 0 || requests < 0) {
        std::fprintf(stderr, "a workbook could not be written\n");
        return 1;
    }
    std::printf("plain     %.3f s\n", plain);
    std::printf("numbers   %.3f s  (%.2fx plain, %d attributes)\n", numbers, numbers / plain,
                by_number);
    std::printf("requests  %.3f s  (%.2fx plain, %d attributes)\n", requests, requests / plain,
                by_request);
    return by_number == kLooks && by_request == kLooks ? 0 : 1;
}
