/* A library user's program: creates a one-sheet workbook, writes a cell and closes it. */
#include <stdio.h>
#include <tabrix.h>

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    int32_t book = XM_Create97(argv[1], 1);
    if (book < 0) {
        fprintf(stderr, "XM_Create97: %d\n", (int)book);
        return 1;
    }
    int32_t written = XM_WriteInt(book, 0, 0, 0, 42);
    int32_t closed = XM_Close(book);
    if (written < 0 || closed < 0) {
        fprintf(stderr, "XM_WriteInt: %d, XM_Close: %d\n", (int)written, (int)closed);
        return 1;
    }
    return 0;
}
