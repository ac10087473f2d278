/* Writes a workbook of ROWS rows by 16 columns over FILE, with MARK in A1, through the engine
 * calls; says "closing" on standard output just before XM_Close, so that a test can stop the
 * process at chosen moments of the close, and then prints XM_Close's result.
 *
 *   big_close FILE ROWS MARK */
#include <stdio.h>
#include <stdlib.h>

#include "tabrix.h"

int main(int argc, char **argv) {
    if (argc != 4) {
        fputs("usage: big_close FILE ROWS MARK\n", stderr);
        return 2;
    }
    const int32_t rows = atoi(argv[2]);
    const int32_t h = XM_Create97(argv[1], 1);
    if (h < 0) {
        printf("%d\n", (int)h);
        return 1;
    }
    for (int32_t y = 0; y < rows; ++y) {
        for (int32_t x = 0; x < 16; ++x) XM_WriteDouble(h, 0, x, y, y * 16.0 + x);
    }
    XM_WriteDouble(h, 0, 0, 0, atof(argv[3]));
    puts("closing");
    fflush(stdout);
    const int32_t closed = XM_Close(h);
    printf("%d\n", (int)closed);
    return closed == 0 ? 0 : 1;
}
