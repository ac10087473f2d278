/* The read jobs of read_bench done with FreeXL: every cell of the standard workload's file
   (row by row), or the 200,000 cells of random_cells.h; the open is included. Prints the
   seconds taken, and a check sum of what was read on stderr.

     freexl_read_bench FILE.xls read | random */
#include <freexl.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "../random_cells.h"

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static double value_of(const FreeXL_CellValue *cell) {
    switch (cell->type) {
        case FREEXL_CELL_INT:
            return cell->value.int_value;
        case FREEXL_CELL_DOUBLE:
            return cell->value.double_value;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return cell->value.text_value[0];
        default:
            return 0;
    }
}

int main(int argc, char **argv) {
    if (argc < 3 || (strcmp(argv[2], "read") != 0 && strcmp(argv[2], "random") != 0)) {
        fprintf(stderr, "usage: %s FILE.xls read|random\n", argv[0]);
        return 2;
    }
    const double start = now();
    const void *handle = NULL;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_open(argv[1], &handle) != FREEXL_OK ||
        freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    double sum = 0;
    FreeXL_CellValue cell;
    if (strcmp(argv[2], "read") == 0) {
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK) return 1;
                sum += value_of(&cell);
            }
        }
    } else {
        uint64_t state = 1;
        for (int i = 0; i < RANDOM_CELL_COUNT; ++i) {
            int32_t r, c;
            next_random_cell(&state, &r, &c);
            if (freexl_get_cell_value(handle, (unsigned)r, (unsigned short)c, &cell) != FREEXL_OK)
                return 1;
            sum += value_of(&cell);
        }
    }
    freexl_close(handle);
    fprintf(stderr, "sum %.1f\n", sum);
    printf("%.3f\n", now() - start);
    return 0;
}
