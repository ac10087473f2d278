// Reading the standard workload file (written by write_bench): every cell fetched through
// XM_Read, the 200,000 cells of random_cells.h fetched through XM_Read in that order, every
// cell delivered by the sequential walk, every cell delivered 4096 at a time by XM_WalkCellsW, or
// the file with keywords (write_bench ... keywords) filled as a template: its 1000 keyword cells
// written and the workbook closed. Prints the seconds taken, and a check sum of what was read.
//
//   read_bench FILE.xls read | random | walk | blocks
//   read_bench TEMPLATE.xls template OUTPUT.xls
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "random_cells.h"
#include "tabrix.h"

namespace {

constexpr int32_t kRows = 65536;
constexpr int32_t kColumns = 16;
constexpr int32_t kKeywords = 1000;

int fail(const char *what, int32_t rc) {
    std::fprintf(stderr, "%s failed: %d\n", what, rc);
    return 1;
}

int read_every_cell(const char *path, double *sum) {
    int32_t h = XM_ReadOpen(path);
    if (h < 0) return fail("read open", h);
    char text[64];
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            int32_t kind = 0;
            double value = 0;
            if (int32_t rc = XM_Read(h, 0, c, r, &kind, &value, text, sizeof text); rc != 0) {
                return fail("read", rc);
            }
            *sum += kind == 1 ? text[0] : value;
        }
    }
    return XM_ReadClose(h) == 0 ? 0 : fail("read close", -1);
}

int read_random_cells(const char *path, double *sum) {
    int32_t h = XM_ReadOpen(path);
    if (h < 0) return fail("read open", h);
    char text[64];
    uint64_t state = 1;
    for (int32_t i = 0; i < RANDOM_CELL_COUNT; ++i) {
        int32_t r = 0, c = 0, kind = 0;
        next_random_cell(&state, &r, &c);
        double value = 0;
        if (int32_t rc = XM_Read(h, 0, c, r, &kind, &value, text, sizeof text); rc != 0) {
            return fail("read", rc);
        }
        *sum += kind == 1 ? text[0] : value;
    }
    return XM_ReadClose(h) == 0 ? 0 : fail("read close", -1);
}

int walk_every_cell(const char *path, double *sum) {
    int32_t book = 0;
    if (!XlsReadBook(path, &book)) return fail("read book", 0);
    char text[64];
    int32_t position = 0;
    int64_t cells = 0;
    for (;;) {
        int32_t column = 0, row = 0, xf = 0, kind = 0;
        double number = 0;
        position = XlsGetReadBin(position, &column, &row, &xf, &kind, &number, text, sizeof text);
        if (position <= 1) break;
        *sum += kind == 1 ? text[0] : number;
        ++cells;
    }
    if (cells != int64_t{kRows} * kColumns)
        return fail("walk (cells)", static_cast<int32_t>(cells));
    return XlsCloseBook(0) ? 0 : fail("close book", 0);
}

int walk_blocks(const char *path, double *sum) {
    int32_t h = XM_ReadOpen(path);
    if (h < 0) return fail("read open", h);
    std::vector<XLWALKCELL> cells(4096);
    std::vector<char16_t> text(1 << 17);
    int64_t total = 0;
    for (int32_t position = 0;;) {
        int32_t count = 0;
        position = XM_WalkCellsW(h, 0, position, cells.data(), static_cast<int32_t>(cells.size()),
                                 text.data(), static_cast<int32_t>(text.size()), &count);
        if (position < -1) return fail("walk", position);
        for (int32_t i = 0; i < count; ++i) {
            const XLWALKCELL &cell = cells[static_cast<size_t>(i)];
            *sum += cell.kind == 4 ? text[static_cast<size_t>(cell.text)] : cell.value;
        }
        total += count;
        if (position <= 0) break;
    }
    if (total != int64_t{kRows} * kColumns)
        return fail("walk (cells)", static_cast<int32_t>(total));
    return XM_ReadClose(h) == 0 ? 0 : fail("read close", -1);
}

int fill_template(const char *path, const char *output) {
    int32_t h = XM_CreateT(output, path);
    if (h < 0) return fail("template create", h);
    char keyword[16] = "**K";
    for (int32_t i = 0; i < kKeywords; ++i) {
        *std::to_chars(keyword + 3, keyword + sizeof keyword - 1, i).ptr = '\0';
        if (int32_t rc = XM_WriteDoubleh(h, 0, keyword, 0, 0, i * 1.5); rc != 0) {
            return fail("keyword write", rc);
        }
    }
    return XM_Close(h) == 0 ? 0 : fail("close", -1);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3 || (std::strcmp(argv[2], "template") == 0 && argc < 4)) {
        std::fprintf(
            stderr,
            "usage: %s FILE.xls read|random|walk|blocks | %s TEMPLATE.xls template OUT.xls\n",
            argv[0], argv[0]);
        return 2;
    }
    double sum = 0;
    const auto start = std::chrono::steady_clock::now();
    int result = 2;
    if (std::strcmp(argv[2], "read") == 0) result = read_every_cell(argv[1], &sum);
    if (std::strcmp(argv[2], "random") == 0) result = read_random_cells(argv[1], &sum);
    if (std::strcmp(argv[2], "walk") == 0) result = walk_every_cell(argv[1], &sum);
    if (std::strcmp(argv[2], "blocks") == 0) result = walk_blocks(argv[1], &sum);
    if (std::strcmp(argv[2], "template") == 0) result = fill_template(argv[1], argv[3]);
    if (result != 0) return result;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "sum %.1f\n", sum);
    std::printf("%.3f\n", elapsed.count());
    return 0;
}
