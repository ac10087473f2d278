/* The cells read in random order by the read benchmarks, the same sequence for tabrix and the
   peers: a fixed linear congruential generator over the standard workload's 65536 rows and 16
   columns. Plain C so that the peers' C programs share it. */
#ifndef TABRIX_BENCH_RANDOM_CELLS_H
#define TABRIX_BENCH_RANDOM_CELLS_H

#include <stdint.h>

#define RANDOM_CELL_COUNT 200000

/* The next cell of the sequence started with *state = 1: row 0-65535, column 0-15. */
static inline void next_random_cell(uint64_t *state, int32_t *row, int32_t *column) {
    *state = *state * 6364136223846793005u + 1442695040888963407u;
    const uint32_t bits = (uint32_t)(*state >> 33);
    *row = (int32_t)(bits & 0xFFFF);
    *column = (int32_t)((bits >> 16) & 0xF);
}

#endif
