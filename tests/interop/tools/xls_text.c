/* Prints the text of one cell as the library reads it, as hex of its UTF-16 units: in read
 * mode fetched alone (XM_GetCellDataW) and met by the block walk (XM_WalkCellsW), then from
 * the cells in memory of the same file opened for modification (and discarded).
 *
 *   xls_text PATH SHEET ROW COLUMN
 *
 *   fetch RC HEX
 *   walk FOUND HEX       (FOUND 1 when the walk delivered the cell)
 *   memory RC HEX */
#include <stdio.h>
#include <stdlib.h>

#include "tabrix.h"

enum { kTextUnits = 1 << 17, kCells = 4096 };

static char16_t text[kTextUnits];
static XLWALKCELL cells[kCells];

static void print_hex(const char *label, int32_t rc, const char16_t *units, int32_t length) {
    printf("%s %d ", label, (int)rc);
    for (int32_t i = 0; i < length; ++i) printf("%04x", (unsigned)units[i]);
    printf("\n");
}

static int32_t length_of(const char16_t *units) {
    int32_t length = 0;
    while (units[length] != 0) ++length;
    return length;
}

int main(int argc, char **argv) {
    if (argc != 5) {
        fputs("usage: xls_text PATH SHEET ROW COLUMN\n", stderr);
        return 2;
    }
    const int32_t s = atoi(argv[2]), y = atoi(argv[3]), x = atoi(argv[4]);
    const int32_t h = XM_ReadOpen(argv[1]);
    if (h < 0) {
        printf("open %d\n", (int)h);
        return 1;
    }
    text[0] = 0;
    int32_t rc = XM_GetCellDataW(h, s, x, y, NULL, NULL, text, kTextUnits, NULL);
    print_hex("fetch", rc, text, rc == 4 ? length_of(text) : 0);

    int32_t found = 0;
    for (int32_t position = 0; !found;) {
        int32_t count = 0;
        position = XM_WalkCellsW(h, s, position, cells, kCells, text, kTextUnits, &count);
        for (int32_t i = 0; i < count && !found; ++i) {
            if (cells[i].x == x && cells[i].y == y) {
                found = 1;
                print_hex("walk", 1, text + cells[i].text, cells[i].length);
            }
        }
        if (position <= 1) break;
    }
    if (!found) print_hex("walk", 0, text, 0);
    XM_ReadClose(h);

    const int32_t opened = XM_Open(argv[1], NULL);
    if (opened < 0) {
        printf("memory %d\n", (int)opened);
        return 1;
    }
    text[0] = 0;
    rc = XM_GetCellDataW(opened, s, x, y, NULL, NULL, text, kTextUnits, NULL);
    print_hex("memory", rc, text, rc == 4 ? length_of(text) : 0);
    XM_OpenClose(opened, 0);
    return 0;
}
